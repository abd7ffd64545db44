#include "install/progress_front_end.h"

#include "install/run_core.h"
#include "ui/fmiProgress.h"

SilentProgressFrontEnd::SilentProgressFrontEnd(InstallLog& log, bool createShortcut)
    : SilentFrontEnd(log, createShortcut) {}

SilentProgressFrontEnd::~SilentProgressFrontEnd() = default;

void SilentProgressFrontEnd::Begin() {
    SilentFrontEnd::Begin();
    progress_ = std::make_unique<TInstProgressForm>();
    progress_->SetProgramName(ProductName);
    progress_->SetStage(InstallingStage);
    progress_->SetProgressOnly();
    progress_->Show();
}

void SilentProgressFrontEnd::SetTotalBytes(std::uint32_t total) {
    SilentFrontEnd::SetTotalBytes(total);
    progress_->SetTotalBytes(total);
}

void SilentProgressFrontEnd::SetCurrentFile(const std::string& path) {
    SilentFrontEnd::SetCurrentFile(path);
    progress_->SetCurrentFile(path);
}

void SilentProgressFrontEnd::SetBytesDone(std::uint32_t done) {
    SilentFrontEnd::SetBytesDone(done);
    progress_->SetBytesDone(done);
}

void SilentProgressFrontEnd::End() {
    progress_.reset();
    SilentFrontEnd::End();
}
