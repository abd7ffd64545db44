#pragma once
// What the installation run tells and asks, and where it goes. The interactive installer
// answers with the progress window and the message dialogs; an unattended install with
// a log and fixed answers; the tests with a recorder. Nothing here touches the system.
#include <cstdint>
#include <string>
#include <vector>

class InstallFrontEnd {
public:
    virtual ~InstallFrontEnd() = default;

    // The run has begun: the progress window appears (product name, "Installing ...").
    virtual void Begin() = 0;
    // Sum of the sizes of every item about to be written.
    virtual void SetTotalBytes(std::uint32_t total) = 0;
    // Every file the run may write (the product's files, dosbox.conf, the uninstaller and its
    // record, the desktop shortcuts), once the items have loaded and before anything is
    // written. A front end that must not see one of them written over (the unattended log)
    // returns the message that stops the run; empty lets it go on.
    virtual std::string Refusal(const std::vector<std::string>& paths) {
        (void)paths;
        return {};
    }
    // The full path of the file now being written.
    virtual void SetCurrentFile(const std::string& path) = 0;
    // Bytes written so far. The interactive front end handles the user's clicks here
    // (Pause holds the run inside this call).
    virtual void SetBytesDone(std::uint32_t done) = 0;
    // True once the user asked to stop.
    virtual bool Cancelled() = 0;
    // The write pass has ended (completed or cancelled): "Installation Successful." and
    // the wait for OK when it completed; returns at once after a cancel.
    virtual void Finished() = 0;
    // The progress window goes away. Called on every path after Begin, errors included.
    virtual void End() = 0;

    // A message the user must read; `caption` empty means the installer's own title.
    virtual void Tell(const std::string& caption, const std::string& text) = 0;
    // A yes/no question (warning kind, Yes and No); true for Yes. A dialog that could
    // not be shown, Escape and the close box all count as No.
    virtual bool Ask(const std::string& question) = 0;
};
