#include "ui/fmMain.h"

#include "resources/product.h"
#include "toolkit/application.h"
#include "toolkit/browse.h"
#include "toolkit/format.h"
#include "toolkit/probe.h"
#include "ui/dialogs.h"
#include "ui/ui_core.h"

#include <shlobj.h>
#include <windows.h>

tMainForm::tMainForm(std::string proposedFolder, InstallFunction install)
    : proposedFolder_(std::move(proposedFolder)), install_(std::move(install)) {
    RegisterHandler("FormCreate", [this](tk::TControl* s) { FormCreate(s); });
    RegisterHandler("btnSetupClick", [this](tk::TControl* s) { btnSetupClick(s); });
    RegisterHandler("btnCancelClick", [this](tk::TControl* s) { btnCancelClick(s); });
    RegisterHandler("btnBrowseClick", [this](tk::TControl* s) { btnBrowseClick(s); });
    RegisterHandler("btnInstallClick", [this](tk::TControl* s) { btnInstallClick(s); });
    LoadLayout("TMainForm");
}

void tMainForm::ControlsLoaded() {
    AdvPanel1 = Find<TAdvPanel>("AdvPanel1");
    Image1 = Find<tk::TImage>("Image1");
    Label14 = Find<tk::TLabel>("Label14");
    Label15 = Find<tk::TLabel>("Label15");
    lbP1Progname = Find<tk::TLabel>("lbP1Progname");
    lbP1ProgVer = Find<tk::TLabel>("lbP1ProgVer");
    PageControl1 = Find<tk::TPageControl>("PageControl1");
    TabSheet1 = Find<tk::TTabSheet>("TabSheet1");
    TabSheet2 = Find<tk::TTabSheet>("TabSheet2");
    lbIns1 = Find<tk::TLabel>("lbIns1");
    lbIns2 = Find<tk::TLabel>("lbIns2");
    btnSetup = Find<TAdvToolButton>("btnSetup");
    btnCancel = Find<TAdvToolButton>("btnCancel");
    edInstallDir = Find<tk::TEdit>("edInstallDir");
    btnBrowse = Find<TAdvToolButton>("btnBrowse");
    btnInstall = Find<TAdvToolButton>("btnInstall");
    BtnCancel2 = Find<TAdvToolButton>("BtnCancel2");
    // A screen reader names the field by the label above it, and the logo by the mark it
    // shows.
    edInstallDir->SetLabel(Find<tk::TLabel>("Label10"));
    Image1->SetAlternativeText(ProductMark);
}

void tMainForm::FormCreate(tk::TControl*) {
    PageControl1->SetActivePageIndex(0);
    SetCaption(tk::Format("%s %s Installer", ProductMaker, ProductName));
    lbIns1->SetCaption(tk::Format("This will install %s %s", ProductMaker, ProductName));
    CenterLabel(lbIns1);
    lbIns2->SetCaption(tk::Format("Version %s %s", ProductVersion, ProductReleaseDate));
    CenterLabel(lbIns2);
    lbP1Progname->SetCaption(ProductName);
    CenterLabel(lbP1Progname);
    lbP1ProgVer->SetCaption(ProductVersion);
    CenterLabel(lbP1ProgVer);
    PaintLogo();
    edInstallDir->SetText(proposedFolder_);
}

void tMainForm::ScaleChanged() {
    for (tk::TLabel* label : {lbIns1, lbIns2, lbP1Progname, lbP1ProgVer})
        CenterLabel(label);
    PaintLogo();
}

void tMainForm::CenterLabel(tk::TLabel* label) {
    label->SetLeft(CenteredLeft(label->Parent()->Width(), label->Width()));
}

void tMainForm::PaintLogo() {
    const int W = Image1->Width();
    const int H = Image1->Height();
    tk::TCanvas& canvas = Image1->Canvas();
    canvas.Brush.Clear = false;
    canvas.Brush.Color = tk::clRed;
    canvas.FillRect({0, 0, W, H});
    canvas.Pen.Color = tk::clYellow;
    canvas.Pen.Width = tk::Scale(10, Dpi());
    canvas.MoveTo(0, 0);
    canvas.LineTo(W, 0);
    canvas.LineTo(W, H);
    canvas.LineTo(0, H);
    canvas.LineTo(0, 0);
    tk::TFont font = canvas.Font;
    font.SetHeight(LogoFontHeight(H, canvas.Pen.Width));
    font.SetColor(tk::clWhite);
    font.SetStyle(tk::fsBold);
    canvas.Font = font;
    tk::TSize text = canvas.TextExtent(ProductMark);
    canvas.TextOut(LogoTextLeft(W, text.cx), LogoTextTop(H, text.cy), ProductMark);
    Image1->Invalidate();
}

void tMainForm::btnSetupClick(tk::TControl*) {
    PageControl1->SetActivePageIndex(1);
    // However Setup was pressed (click, Enter, Space, Alt+S, a screen reader), the keyboard
    // goes on in the folder field, its text selected for typing over.
    edInstallDir->Focus();
    // The folder page offers the shell's folder browser, and the installation makes
    // shortcuts through the shell: both then find it loaded.
    tk::TBrowseForFolder::Prepare();
}

void tMainForm::btnCancelClick(tk::TControl*) {
    Close();
}

void tMainForm::btnBrowseClick(tk::TControl*) {
    tk::TBrowseForFolder browse;
    browse.Text =
        "Change Install Folder. Standard Corvane folders are tq and corvane\\tq. To "
        "install directly to a Corvane flash drive, select the drive, then the tq folder.";
    browse.Options = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
    browse.Folder = edInstallDir->Text();
    browse.Execute(Handle());
    if (!browse.Unusable.empty()) {
        ShowInfo(UnusableFolderMessage(browse.Unusable));
        return;
    }
    if (browse.Folder != edInstallDir->Text()) edInstallDir->SetText(browse.Folder);
}

bool tMainForm::CheckInstallDevice(const std::string& folder) {
    // Only a drive-letter root is asked about. An empty one would make the system answer
    // for the current folder's drive, and Wine takes a relative one ("tq") against the
    // current folder, so that an existing folder of that name there passed for a fixed
    // drive and the files went into it.
    std::string root = InstallRoot(folder);
    if (IsDriveRoot(root) && IsInstallableDriveType(GetDriveTypeA(root.c_str()))) return true;
    ShowInfo("Install Directory is not on a valid device.");
    return false;
}

void tMainForm::btnInstallClick(tk::TControl*) {
    tk::Probe("Install clicked");
    std::string folder = edInstallDir->Text();
    if (!CheckInstallDevice(folder)) return;
    Hide();
    bool installed;
    try {
        installed = install_(edInstallDir->Text());
    } catch (...) {
        // The window comes back before the error is shown, as after a failed run.
        Show();
        throw;
    }
    if (installed) {
        Close();
    } else {
        Show();
        ShowInfoFmt("%s was not installed.", ProductName);
    }
}
