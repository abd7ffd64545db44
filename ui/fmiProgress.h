#pragma once
// The progress window that the installation run shows while it loads and writes the
// product's files. It owns no thread and no timer: the run calls it on the GUI thread,
// and it handles the user's clicks only while it processes pending messages, inside
// SetBytesDone, inside its pause handler and inside ShowSuccess. The run reads
// Cancelled after each file.
#include "controls/appearance.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <cstdint>
#include <string>

class TInstProgressForm : public tk::TForm {
public:
    // Builds the window from its layout (hidden) and runs FormCreate.
    TInstProgressForm();
    const char* ClassName() const override { return "TInstProgressForm"; }

    // A pause is in progress.
    bool Paused = false;
    // The user asked to stop (Cancel, the close box), or pressed OK at the end.
    bool Cancelled = false;
    // Total byte count of the copying phase.
    std::uint32_t TotalBytes = 0;
    // The byte count last written into the status line; -1 before the first.
    std::int32_t LastShownBytes = -1;
    // Files announced through SetCurrentFile since SetTotalBytes.
    std::int32_t FileCount = 0;

    TAdvPanel* AdvPanel1 = nullptr;
    TAdvPanel* AdvPanel2 = nullptr;
    tk::TLabel* lbStage = nullptr;
    tk::TLabel* lbProgramName = nullptr;
    tk::TLabel* lbFileName = nullptr;
    tk::TLabel* lbFiles = nullptr;
    tk::TLabel* lbStatus = nullptr;
    TAdvProgressBar* pbar = nullptr;
    TAdvToolButton* btnPause = nullptr;
    TAdvToolButton* btnCancel = nullptr;

    // The heading, centred in its panel.
    void SetProgramName(const std::string& Name);
    void SetStage(const std::string& Text);
    // Starts the copying phase: the bar's maximum, the file line, counter and status line
    // shown, the counter back at 0.
    void SetTotalBytes(std::uint32_t Total);
    // Announces the next file (its full path) and counts it.
    void SetCurrentFile(const std::string& Path);
    // Reports the running byte total. When it changed, the status line follows and the
    // pending messages are processed once, which is when Pause and Cancel take effect; a
    // pause holds the caller here until it ends.
    void SetBytesDone(std::uint32_t Done);
    // "Installation Successful." with OK; waits for OK or the close box unless the writing
    // was stopped. Afterwards Cancelled tells again whether the writing was stopped.
    void ShowSuccess();
    // For an install that asks nothing: Pause and Cancel hidden, and the close box does
    // nothing, so the window shows progress only. Before Show.
    void SetProgressOnly();
    // Every change of the cancel flag also ends a pause.
    void SetCancelled(bool V);
    void SetPaused(bool V);

    void FormCreate(tk::TControl* Sender);
    void FormShow(tk::TControl* Sender);
    void FormCloseQuery(tk::TControl* Sender, bool& CanClose);
    void btnPauseClick(tk::TControl* Sender);
    void AltPauseClick(tk::TControl* Sender);
    void btnCancelClick(tk::TControl* Sender);

protected:
    void ControlsLoaded() override;
    // Places again what the window places itself: the heading, the counter, the status line
    // and, once writing is done, OK.
    void ScaleChanged() override;

private:
    void PlaceFileCounter();
    bool counterPlaced_ = false;
    bool progressOnly_ = false;
    // Processes messages until `done` holds; waits for the next message instead of
    // spinning when none is pending.
    template <typename Predicate> void ProcessMessagesUntil(Predicate done);
};

// The thousands separator of a locale, by default the user's (the "%.0n" number format).
std::string ThousandSeparator(unsigned long locale = 0x0400 /* LOCALE_USER_DEFAULT */);
