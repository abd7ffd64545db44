#include "install/gui_front_end.h"

#include "install/run_core.h"
#include "ui/dialogs.h"
#include "ui/fmiProgress.h"

GuiFrontEnd::GuiFrontEnd() = default;
GuiFrontEnd::~GuiFrontEnd() = default;

void GuiFrontEnd::Begin() {
    progress_ = std::make_unique<TInstProgressForm>();
    progress_->SetProgramName(ProductName);
    progress_->SetStage(InstallingStage);
    progress_->Show();
}

void GuiFrontEnd::SetTotalBytes(std::uint32_t total) {
    progress_->SetTotalBytes(total);
}

void GuiFrontEnd::SetCurrentFile(const std::string& path) {
    progress_->SetCurrentFile(path);
}

void GuiFrontEnd::SetBytesDone(std::uint32_t done) {
    progress_->SetBytesDone(done);
}

bool GuiFrontEnd::Cancelled() {
    return progress_->Cancelled;
}

void GuiFrontEnd::Finished() {
    progress_->ShowSuccess();
}

void GuiFrontEnd::End() {
    progress_.reset();
}

void GuiFrontEnd::Tell(const std::string& caption, const std::string& text) {
    if (caption.empty())
        ShowInfo(text);
    else
        ShowInfoCaption(caption, text);
}

bool GuiFrontEnd::Ask(const std::string& question) {
    return AskDialog(question, dtWarning, dbYes | dbNo, 0) == drYes;
}
