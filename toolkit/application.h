#pragma once
// The GUI application: COM for the GUI thread, the title, the main form, the message
// loop and the one place where errors raised in event handlers are shown.
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace tk {

class TForm;
class ComInitialization;

class TApplication {
public:
    TApplication() = default;
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Initialises COM (apartment-threaded) on this thread. The common controls follow
    // when Run has shown the main form, or earlier when a window of a system class is
    // made (EnsureCommonControls).
    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    TForm* MainForm() const { return mainForm_; }
    // The form whose closing ends the message loop.
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Shows the main form and processes messages until it closes or Terminate is called.
    void Run();
    // Processes every pending message, then returns; never waits.
    void ProcessMessages();
    // Processes one pending message, or waits until one arrives when none is pending.
    void HandleMessage();
    // Ends the message loop (a WM_QUIT also ends it).
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Shows an error that reached an event handler's end; the message loop goes on.
    void HandleException(const std::exception& error);
    // When set, errors go here instead of to the message box (tests use it).
    std::function<void(const std::exception&)> OnException;

private:
    bool ProcessMessage();

    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::unique_ptr<ComInitialization> com_;
};

// The application object of this program.
TApplication& Application();

// Registers the common controls' window classes, once per process. Under Wine this loads
// comctl32 and its theming (about 10 ms), which the first window need not wait for.
void EnsureCommonControls();

} // namespace tk
