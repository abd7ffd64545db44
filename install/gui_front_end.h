#pragma once
// The interactive installer's front end: the progress window (TInstProgressForm) while the
// run loads and writes, and the message dialogs for what it tells and asks. It lives at the
// top, beside the run, so that the windows below need not know the run.
#include "install/front_end.h"

#include <memory>

class TInstProgressForm;

class GuiFrontEnd : public InstallFrontEnd {
public:
    GuiFrontEnd();
    ~GuiFrontEnd() override;
    GuiFrontEnd(const GuiFrontEnd&) = delete;
    GuiFrontEnd& operator=(const GuiFrontEnd&) = delete;

    // A progress window without an owner, headed with the product name and the stage
    // "Installing ...", shown modelessly.
    void Begin() override;
    void SetTotalBytes(std::uint32_t total) override;
    void SetCurrentFile(const std::string& path) override;
    void SetBytesDone(std::uint32_t done) override;
    bool Cancelled() override;
    // "Installation Successful." and the wait for OK (ShowSuccess).
    void Finished() override;
    // Destroys the progress window.
    void End() override;
    // ShowInfo, or ShowInfoCaption when `caption` is not empty.
    void Tell(const std::string& caption, const std::string& text) override;
    // AskDialog: a warning with Yes and No.
    bool Ask(const std::string& question) override;

private:
    std::unique_ptr<TInstProgressForm> progress_;
};
