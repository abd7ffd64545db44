#pragma once
// The message dialogs through which the installer shows every message and asks every
// question. Each call builds one dialog, shows it modally (centred on the screen, owned
// by the thread's active window if there is one), waits for the user, destroys it and
// returns the code of the button pressed. Where comctl32 offers TaskDialogIndirect the
// system's task dialog is used; elsewhere a dialog window of our own with the same
// buttons, default button and cancel rules. No call keeps state; none raises.
#include <cstdarg>
#include <string>
#include <vector>

// Kind of an AskDialog: fixes its caption and icon.
enum DialogType {
    dtWarning = 0,      // caption "Warning", warning icon
    dtError = 1,        // caption "Error", error icon
    dtInformation = 2,  // caption "Information", information icon
    dtConfirmation = 3, // caption "Confirm", question icon
    dtCustom = 4,       // default caption, no icon
};

// Buttons of an AskDialog, a bit set (dbYes | dbNo).
enum DialogButtons {
    dbYes = 1,
    dbNo = 2,
    dbOK = 4,
    dbCancel = 8,
};

// What the dialogs return: the Windows dialog-result value of the button pressed;
// drNone when the dialog could not be shown at all.
enum DialogResult {
    drNone = 0,
    drOK = 1,
    drCancel = 2,
    drRetry = 4,
    drYes = 6,
    drNo = 7,
};

// Information icon, the default caption (the executable's name without extension),
// `text` and a single OK button; only OK or Enter closes it. Returns drOK (drNone if
// it could not be shown).
int ShowInfo(const std::string& text);

// As ShowInfo with `caption` as the window caption (empty: the default caption).
int ShowInfoCaption(const std::string& caption, const std::string& text);

// ShowInfo of `format` filled with the arguments as printf does ("%s", "%d").
int ShowInfoFmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A message box from MessageBox style flags. `owner` is ignored (the dialog is owned
// by the application like every other). Flags & 0xF0 choose the icon (0x10 error,
// 0x20 question, 0x30 warning, 0x40 information, else none); flags & 0x0F the buttons
// (0 OK, 1 OK Cancel, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel; codes the installer never
// uses give OK); flags & 0x300 the default button (first, second, third; first when there is no
// such button). Escape and the close box work exactly when Cancel is shown.
// Returns drOK, drCancel, drYes, drNo or drRetry; drNone when the dialog could not be shown.
int TaskMessageBox(void* owner, const std::string& text, const std::string& caption,
                   unsigned flags);

// A question: caption and icon from `type` (DialogType), the buttons of the set
// `buttons` (DialogButtons; none means OK), the first of them the default. Escape and
// the close box always work and give drCancel. `helpContext` has no effect.
// Returns drYes, drNo, drOK or drCancel; drNone for any other outcome.
int AskDialog(const std::string& text, int type, int buttons, int helpContext);

// --- The dialog description both dialog paths show (portable, unit-tested) ---

enum class DialogIcon { None, Warning, Question, Error, Information };

struct DialogDescription {
    std::string caption; // empty: the default caption
    std::string text;
    DialogIcon icon = DialogIcon::None;
    std::vector<int> buttons; // DialogResult codes in the order shown: OK, Yes, No, Retry, Cancel
    int defaultButton = drOK; // one of `buttons`
    bool cancellable = false; // Escape and the close box give drCancel
};

DialogDescription DescribeInfo(const std::string& caption, const std::string& text);
DialogDescription DescribeMessageBox(const std::string& text, const std::string& caption,
                                     unsigned flags);
DialogDescription DescribeAskDialog(const std::string& text, int type, int buttons);

// The caption a dialog shows when it is given none: the file name of `exePath` without
// its extension ("C:\cd\PentaroSetup.exe" -> "PentaroSetup").
std::string DefaultDialogCaption(const std::string& exePath);

// `text` with every line break as CR LF (a lone LF or CR becomes CR LF).
std::string WithCrLfBreaks(const std::string& text);

// The caption of a button of our own dialog window, with its access key ("&Yes").
std::string ButtonCaption(int code);

// Where the controls of our own dialog window go, in pixels of its client area, given the
// size of the text and of one button (width, height) and whether there is an icon of
// `iconSize` pixels, all in pixels at `dpi`; the spacing is scaled to it. Buttons sit in a
// row at the bottom right, in order.
struct DialogRect {
    int left = 0, top = 0, width = 0, height = 0;
};
struct DialogLayout {
    int clientWidth = 0, clientHeight = 0;
    DialogRect icon, text;
    std::vector<DialogRect> buttons;
};
DialogLayout LayoutDialog(int textWidth, int textHeight, bool hasIcon, int iconSize,
                          int buttonCount, int buttonWidth, int buttonHeight, int dpi = 96);

// --- Test seam ---

// Makes every dialog use our own dialog window even where the task dialog exists, so
// that tests reach both paths on one system. Off by default.
void UseFallbackDialogForTesting(bool fallback);
