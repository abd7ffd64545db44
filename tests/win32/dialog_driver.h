#pragma once
// Answers the message dialogs that code under test shows, with real key messages: a
// helper thread waits for the dialog on the calling thread, records what it shows and
// presses Enter, Escape or the close box while the calling thread sits in the dialog's
// modal loop.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

enum class Press { Enter, Escape, CloseBox, EscapeThenEnter, CloseBoxThenEnter };

struct SeenDialog {
    bool found = false;
    std::string caption;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    RECT rect{};
    std::vector<std::string> buttons; // texts of the push buttons, access keys removed
    std::vector<std::string> texts;   // texts of every other child window
    HICON icon = nullptr;             // of the icon control, if there is one
    std::string focused;              // text of the control with the focus
    bool stayedOpen = false;          // after the ignored first key of a ...ThenEnter press
    bool closedByAnswer = true;       // false: still up after the answer (then ended)

    // True when one of `texts` is `text` (CR LF compared as LF).
    bool Shows(const std::string& text) const;
};

// Runs `show` and answers the first dialog it puts up with `press`. When no dialog comes
// up `seen.found` stays false; a dialog that ignores the answer is ended (WM_QUIT) so
// that a test fails instead of hanging. Returns what `show` returned.
int AnswerDialog(const std::function<int()>& show, Press press, SeenDialog& seen);
