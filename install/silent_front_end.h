#pragma once
// The front end of an unattended install (/S): no window ever. Everything the interactive
// installer would show goes to the log with the same text; the shortcut question gets a
// fixed answer; nothing cancels.
#include "install/front_end.h"
#include "engine/log.h"

#include <cstdint>
#include <string>

class SilentFrontEnd : public InstallFrontEnd {
public:
    // `createShortcut` answers the desktop-shortcut question: Yes, as its default button,
    // unless /NOSHORTCUT asked for No.
    SilentFrontEnd(InstallLog& log, bool createShortcut) : log_(log), answer_(createShortcut) {}

    void Begin() override {}
    // Refuses the run when the log is one of `paths`, and drops the log, which would
    // otherwise land on the product's file; else lets the held log be written.
    std::string Refusal(const std::vector<std::string>& paths) override;
    void SetTotalBytes(std::uint32_t total) override;
    void SetCurrentFile(const std::string& path) override;
    void SetBytesDone(std::uint32_t done) override;
    bool Cancelled() override { return false; }
    void Finished() override;
    void End() override {}
    void Tell(const std::string& caption, const std::string& text) override;
    bool Ask(const std::string& question) override;

private:
    InstallLog& log_;
    bool answer_;
    std::string current_;
    std::uint32_t done_ = 0;
};
