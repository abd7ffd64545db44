#pragma once
// The main window: a welcome page with Setup and Cancel, and a folder page on which the
// user confirms or changes the install folder and starts the installation. It does no
// installing of its own: Install hands the folder to the function the program entry gave it.
#include "controls/appearance.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <functional>
#include <string>

class tMainForm : public tk::TForm {
public:
    // Installs the product into the folder given (the field's text) and returns true when
    // the program may end; false brings the window back with "Pentaro was not installed.".
    // What it raises is shown by the application after the window has come back.
    using InstallFunction = std::function<bool(const std::string& folder)>;

    // Builds the window from its layout (hidden) and runs FormCreate, which puts
    // `proposedFolder` into the folder field. Install calls `install`.
    tMainForm(std::string proposedFolder, InstallFunction install);
    const char* ClassName() const override { return "TMainForm"; }

    TAdvPanel* AdvPanel1 = nullptr;
    tk::TImage* Image1 = nullptr;
    tk::TLabel* Label14 = nullptr;
    tk::TLabel* Label15 = nullptr;
    tk::TLabel* lbP1Progname = nullptr;
    tk::TLabel* lbP1ProgVer = nullptr;
    tk::TPageControl* PageControl1 = nullptr;
    tk::TTabSheet* TabSheet1 = nullptr;
    tk::TTabSheet* TabSheet2 = nullptr;
    tk::TLabel* lbIns1 = nullptr;
    tk::TLabel* lbIns2 = nullptr;
    TAdvToolButton* btnSetup = nullptr;
    TAdvToolButton* btnCancel = nullptr;
    tk::TEdit* edInstallDir = nullptr;
    TAdvToolButton* btnBrowse = nullptr;
    TAdvToolButton* btnInstall = nullptr;
    TAdvToolButton* BtnCancel2 = nullptr;

    void FormCreate(tk::TControl* Sender);
    void btnSetupClick(tk::TControl* Sender);
    void btnCancelClick(tk::TControl* Sender);
    void btnBrowseClick(tk::TControl* Sender);
    void btnInstallClick(tk::TControl* Sender);

    // True when the folder's drive is removable, fixed or remote; otherwise tells the
    // user and gives false.
    bool CheckInstallDevice(const std::string& folder);
    // Centres a label in its parent (after its text is set: labels size to their text).
    static void CenterLabel(tk::TLabel* label);
    // Draws the "P+" logo into Image1.
    void PaintLogo();

protected:
    void ControlsLoaded() override;
    // Centres the labels again and draws the logo at the new scale.
    void ScaleChanged() override;

private:
    std::string proposedFolder_;
    InstallFunction install_;
};
