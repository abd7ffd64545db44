#include "install/uninstall_core.h"

// Stub bodies: the record's text and the removal plan follow in the next commits.

std::string UninstallKeyPath() { return std::string(UninstallKeyParent) + "\\Corvane Pentaro"; }

std::string FormatInstallRecord(const InstallRecord& record) { return InstallRecordFormatLine; }

EUnusableRecord::EUnusableRecord(const std::string& recordPath, const std::string& reason)
    : tk::Exception(recordPath + " " + reason) {}

InstallRecord ParseInstallRecord(const std::string& text, const std::string& installFolder,
                                 const std::vector<std::string>& desktops) {
    return {};
}

RemovalPlan PlanRemoval(const InstallRecord& record, const DiskSnapshot& disk) { return {}; }

std::string LinksRefusalMessage(const std::vector<std::string>& links) { return {}; }
