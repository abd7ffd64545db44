#include "install/silent_front_end.h"

std::string SilentFrontEnd::Refusal(const std::vector<std::string>& paths) {
    if (log_.Path().empty() || !IsOneOf(log_.Path(), paths)) {
        log_.Release();
        return {};
    }
    log_.Refuse();
    return LogIsInstalledFileMessage(log_.Path());
}

void SilentFrontEnd::SetTotalBytes(std::uint32_t total) {
    log_.Write("Writing " + std::to_string(total) + " bytes");
}

void SilentFrontEnd::SetCurrentFile(const std::string& path) {
    current_ = path;
}

void SilentFrontEnd::SetBytesDone(std::uint32_t done) {
    // Reported once the file is written in full and has its date.
    log_.Write("Written: " + current_ + " (" + std::to_string(done - done_) + " bytes)");
    done_ = done;
}

void SilentFrontEnd::Finished() {
    log_.Write("Installation Successful.");
}

void SilentFrontEnd::Tell(const std::string& caption, const std::string& text) {
    log_.Write(caption.empty() ? "Message:" : "Message [" + caption + "]:", text);
}

bool SilentFrontEnd::Ask(const std::string& question) {
    log_.Write("Question:", question);
    log_.Write(answer_ ? "Answer: Yes" : "Answer: No (/NOSHORTCUT)");
    return answer_;
}
