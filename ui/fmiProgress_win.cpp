#include "ui/fmiProgress.h"

#include "toolkit/application.h"
#include "toolkit/format.h"
#include "toolkit/probe.h"
#include "ui/ui_core.h"

#include <windows.h>

std::string ThousandSeparator(unsigned long locale) {
    char separator[8] = {};
    if (GetLocaleInfoA(locale, LOCALE_STHOUSAND, separator, sizeof separator) == 0) return ",";
    return separator;
}

namespace {

// The width of "##" in `font`, measured once per font rather than once per file.
int HashesWidth(const tk::TFont& font) {
    static tk::TFont measured;
    static int width = -1;
    if (width < 0 || !(font == measured)) {
        tk::TBitmap measure;
        measure.SetSize(1, 1);
        measure.Canvas().Font = font;
        width = measure.Canvas().TextWidth("##");
        measured = font;
    }
    return width;
}

} // namespace

TInstProgressForm::TInstProgressForm() {
    RegisterHandler("FormCreate", [this](tk::TControl* s) { FormCreate(s); });
    RegisterHandler("FormShow", [this](tk::TControl* s) { FormShow(s); });
    RegisterHandler("btnPauseClick", [this](tk::TControl* s) { btnPauseClick(s); });
    RegisterHandler("btnCancelClick", [this](tk::TControl* s) { btnCancelClick(s); });
    RegisterCloseQuery("FormCloseQuery",
                       [this](tk::TControl* s, bool& canClose) { FormCloseQuery(s, canClose); });
    LoadLayout("TInstProgressForm");
}

void TInstProgressForm::ControlsLoaded() {
    AdvPanel1 = Find<TAdvPanel>("AdvPanel1");
    AdvPanel2 = Find<TAdvPanel>("AdvPanel2");
    lbStage = Find<tk::TLabel>("lbStage");
    lbProgramName = Find<tk::TLabel>("lbProgramName");
    lbFileName = Find<tk::TLabel>("lbFileName");
    lbFiles = Find<tk::TLabel>("lbFiles");
    lbStatus = Find<tk::TLabel>("lbStatus");
    pbar = Find<TAdvProgressBar>("pbar");
    btnPause = Find<TAdvToolButton>("btnPause");
    btnCancel = Find<TAdvToolButton>("btnCancel");
    // The lines that change with every file are drawn by their panel: a file's new texts
    // end in one paint of the panel instead of one paint per line and per uncovered area.
    for (tk::TLabel* line : {lbFileName, lbFiles, lbStatus})
        line->SetDrawnByParent(true);
    // The bar says what it measures; its value is the percentage.
    pbar->Accessibility.Name = [] { return std::string("Installation progress"); };
}

void TInstProgressForm::FormCreate(tk::TControl*) {
    SetPaused(false);
    LastShownBytes = -1;
}

void TInstProgressForm::SetProgramName(const std::string& Name) {
    lbProgramName->SetCaption(Name);
    lbProgramName->SetLeft(CenteredLeft(lbProgramName->Parent()->Width(), lbProgramName->Width()));
}

void TInstProgressForm::SetStage(const std::string& Text) {
    lbStage->SetCaption(Text);
}

void TInstProgressForm::FormShow(tk::TControl*) {
    SetCancelled(false);
    SetBytesDone(0);
    pbar->Hide();
    lbFileName->Hide();
    lbStatus->Hide();
}

void TInstProgressForm::SetTotalBytes(std::uint32_t Total) {
    tk::Probe("items loaded");
    TotalBytes = Total;
    pbar->SetMax(Total);
    pbar->Show();
    lbFileName->Show();
    lbStatus->Show();
    SetBytesDone(0);
    FileCount = 0;
    pbar->Repaint();
}

void TInstProgressForm::SetCurrentFile(const std::string& Path) {
    tk::Probe("file announced");
    {
        tk::TUpdateScope update(*lbFileName->Parent()); // one repaint for both lines
        lbFileName->SetCaption(Path);
        ++FileCount;
        lbFiles->SetCaption(tk::Format("Files: %d", FileCount));
        PlaceFileCounter();
    }
    tk::Probe("file labels set");
}

void TInstProgressForm::PlaceFileCounter() {
    counterPlaced_ = true;
    lbFiles->SetLeft(lbFiles->Parent()->ClientWidth() - lbFiles->Width() -
                     HashesWidth(lbFiles->Font()));
}

void TInstProgressForm::ScaleChanged() {
    lbProgramName->SetLeft(CenteredLeft(lbProgramName->Parent()->Width(), lbProgramName->Width()));
    if (counterPlaced_) PlaceFileCounter();
    lbStatus->SetLeft(CenteredLeft(lbStatus->Parent()->Width(), lbStatus->Width()));
    if (!btnPause->Visible())
        btnCancel->SetLeft(CenteredLeft(btnCancel->Parent()->Width(), btnCancel->Width()));
}

void TInstProgressForm::SetBytesDone(std::uint32_t Done) {
    tk::Probe("file written");
    pbar->SetPosition(Done);
    tk::Probe("bar drawn");
    if (static_cast<std::int32_t>(Done) != LastShownBytes) {
        {
            tk::TUpdateScope update(*lbStatus->Parent()); // one repaint for text and place
            lbStatus->SetCaption(BytesDoneText(Done, TotalBytes, ThousandSeparator()));
            lbStatus->SetLeft(CenteredLeft(lbStatus->Parent()->Width(), lbStatus->Width()));
        }
        tk::Probe("bytes shown");
        tk::Application().ProcessMessages();
    }
    LastShownBytes = static_cast<std::int32_t>(Done);
    tk::Probe("messages processed");
}

template <typename Predicate> void TInstProgressForm::ProcessMessagesUntil(Predicate done) {
    // Each round handles what is pending; an empty queue blocks in the system's wait
    // for the next message, so a paused or finished window uses no processor time.
    tk::Application().ProcessMessages();
    while (!done() && !tk::Application().Terminated())
        tk::Application().HandleMessage();
}

void TInstProgressForm::ShowSuccess() {
    tk::Probe("files written");
    bool wasCancelled = Cancelled;
    btnPause->Hide();
    btnCancel->SetCaption("OK");
    btnCancel->SetAccessKey('O');
    btnCancel->SetLeft(CenteredLeft(btnCancel->Parent()->Width(), btnCancel->Width()));
    lbStage->SetCaption("Installation Successful.");
    lbFileName->Hide();
    // A screen reader announces what Enter does now.
    btnCancel->Focus();
    if (!Cancelled) ProcessMessagesUntil([this] { return Cancelled; });
    SetCancelled(wasCancelled);
}

void TInstProgressForm::SetProgressOnly() {
    progressOnly_ = true;
    btnPause->Hide();
    btnCancel->Hide();
}

void TInstProgressForm::SetCancelled(bool V) {
    SetPaused(false);
    Cancelled = V;
}

void TInstProgressForm::SetPaused(bool V) {
    Paused = V;
    btnPause->SetCaption(V ? "Resume" : "Pause");
    btnPause->SetAccessKey(V ? 'R' : 'P');
}

void TInstProgressForm::btnCancelClick(tk::TControl*) {
    SetCancelled(true);
}

void TInstProgressForm::btnPauseClick(tk::TControl* Sender) {
    Sender->OnClick = [this](tk::TControl* s) { AltPauseClick(s); };
    SetPaused(true);
    ProcessMessagesUntil([this] { return !Paused || Cancelled; });
}

void TInstProgressForm::AltPauseClick(tk::TControl* Sender) {
    SetPaused(false);
    Sender->OnClick = [this](tk::TControl* s) { btnPauseClick(s); };
}

void TInstProgressForm::FormCloseQuery(tk::TControl*, bool& CanClose) {
    if (progressOnly_) {
        CanClose = false;
        return;
    }
    CanClose = !Cancelled;
    SetCancelled(true);
}
