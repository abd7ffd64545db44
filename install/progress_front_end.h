#pragma once
// The front end of an unattended install that shows its progress (/SILENT, /PASSIVE): the
// log and the fixed answers of the silent front end, and the progress window while the run
// loads and writes. The window has no Pause or Cancel and closes when the run ends; it asks
// nothing and tells nothing, so the install never waits on the user.
#include "install/silent_front_end.h"

#include <memory>

class TInstProgressForm;

class SilentProgressFrontEnd : public SilentFrontEnd {
public:
    SilentProgressFrontEnd(InstallLog& log, bool createShortcut);
    ~SilentProgressFrontEnd() override;
    SilentProgressFrontEnd(const SilentProgressFrontEnd&) = delete;
    SilentProgressFrontEnd& operator=(const SilentProgressFrontEnd&) = delete;

    void Begin() override;
    void SetTotalBytes(std::uint32_t total) override;
    void SetCurrentFile(const std::string& path) override;
    void SetBytesDone(std::uint32_t done) override;
    void End() override;

private:
    std::unique_ptr<TInstProgressForm> progress_;
};
