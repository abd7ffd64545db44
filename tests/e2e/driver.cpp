// The scripted user of the end-to-end tests: a Win32 console program, run with wine in
// the prefix where PentaroSetup.exe runs, that finds the installer's windows by title,
// class and text, reads them, waits for them and clicks them.
//
//   driver COMMAND ARGS... [COMMAND ARGS...]...
//
// Commands run in order; the first one that fails prints "driver: ..." on stderr and the
// driver exits with 1. Every wait takes its timeout in seconds. Texts are compared exactly
// (case-sensitive); button texts without their access-key ampersands.
//
//   wait TITLE SECONDS              a visible top-level window with that title
//   gone TITLE SECONDS              no visible top-level window with that title
//   wait-text TITLE CLASS TEXT SECONDS
//                                   a visible control of that class and text in it
//   dump TITLE                      one line per control of the window (see Dump)
//   dialog CAPTION SECONDS          waits for a visible dialog (#32770) with that caption
//                                   and prints its texts and buttons (see DumpDialog)
//   click TITLE CLASS TEXT          clicks the visible control of that class and text
//   double-click TITLE CLASS TEXT   the same twice in quick succession
//   click-at TITLE X Y              clicks whatever control the screen shows at (X, Y) of
//                                   the window's client area; prints "clicked CLASS TEXT"
//   press CAPTION BUTTON            clicks the dialog's button with that text and waits
//                                   (10 s at most) until the dialog has gone
//   type TITLE CLASS TEXT           replaces the text of the control by typing TEXT
//   key TITLE CLASS VK              a key (virtual-key code) pressed and released in the
//                                   first visible control of that class
//   focus TITLE                     the control with the keyboard focus in the program that
//                                   shows that window: "focus CLASS TEXT" (the window itself
//                                   when no control has it)
//   key-focus TITLE VK              a key pressed and released where the keyboard focus is in
//                                   that program, as the keyboard delivers it there
//   type-focus TITLE TEXT           TEXT typed (characters) where the keyboard focus is
//   close TITLE                     the window's close box (WM_SYSCOMMAND SC_CLOSE)
//   move TITLE X Y                  moves the window's top-left corner to (X, Y), out of
//                                   the way of another program's windows
//   shot TITLE FILE                 the window's pixels on the screen as a 24-bit BMP
//   windows                         the visible top-level windows: "toplevel CLASS TITLE"
//   sleep MILLISECONDS
//   never CLASS TEXT                from now on, every wait fails as soon as a visible
//                                   control of that class and text shows in any window
//   syserror CODE                   the system's text for an error code, as the installer
//                                   shows it (trailing blanks and line breaks removed)
//   launch EXE TITLE SECONDS        starts EXE (a Windows path) and prints "launched PID
//                                   MS": the milliseconds until a window with that title
//                                   became visible
//   watch EXE ARGUMENTS SECONDS     starts "EXE" ARGUMENTS (EXE a Windows path), looks for
//                                   top-level windows of that process and of the processes
//                                   it starts (and they start) every millisecond
//                                   until it ends, and prints "exit CODE", one line
//                                   "window CLASS TITLE" per visible window seen, and
//                                   "hidden N", the number of hidden ones; the command
//                                   line is passed on in UTF-16, as written
//   short PATH                      prints "short PATH'": the short form of every part of
//                                   the existing PATH, as the system gives it
//   squat NAME                      creates an event named NAME, kept to the driver's end
//   hold FILE SECONDS               opens FILE as a program that works in it would (reading
//                                   and writing shared, deleting not), prints "held", and
//                                   keeps it open for that long
//   mark                            remembers the time
//   elapsed NAME                    prints "NAME MS": milliseconds since the last mark
//
// Texts printed are escaped: backslash, CR, LF and TAB as \\ \r \n \t; all other bytes
// (the system's ANSI code page) as they are.
//
// A click is a left-button press and release posted to the control at its centre, after
// checking that the control is what the screen shows at that point (no other window
// covers it). Posted rather than sent through SendInput: each test prefix has a Wine
// desktop of its own on a shared X display, and moving the one pointer would disturb
// tests running beside it.
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    // GetWindowText does not ask a window of another process: it reads the text the
    // system keeps for it. An edit field keeps its text itself, so ask it; the message
    // waits until that window's thread takes messages again.
    if (lstrcmpiA(ClassOf(window).c_str(), "Edit") == 0) {
        char text[4096] = {};
        DWORD_PTR copied = 0;
        if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 5000, &copied) == 0)
            throw Failure("the edit field does not answer");
        return std::string(text, copied);
    }
    char text[4096] = {};
    int copied = GetWindowTextA(window, text, sizeof text);
    return std::string(text, static_cast<size_t>(copied > 0 ? copied : 0));
}

std::string WithoutAccessKeys(const std::string& text) {
    std::string result;
    for (char c : text)
        if (c != '&') result += c;
    return result;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// Adds to `family` every process whose parent is in it (started by one of them).
void AddChildren(std::vector<DWORD>& family) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (std::find(family.begin(), family.end(), entry.th32ParentProcessID) != family.end() &&
            std::find(family.begin(), family.end(), entry.th32ProcessID) == family.end())
            family.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The visible top-level window with that title (a dialog when `dialogOnly`), or null.
HWND FindTopLevel(const std::string& title, bool dialogOnly = false) {
    for (HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window) || TextOf(window) != title) continue;
        if (dialogOnly && ClassOf(window) != "#32770") continue;
        return window;
    }
    return nullptr;
}

HWND FindControl(HWND top, const std::string& cls, const std::string& text) {
    for (HWND window : Descendants(top)) {
        if (!IsWindowVisible(window) || ClassOf(window) != cls) continue;
        if (WithoutAccessKeys(TextOf(window)) == text || TextOf(window) == text) return window;
    }
    return nullptr;
}

double Seconds(const std::string& text) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || value < 0) throw Failure("bad timeout " + text);
    return value;
}

struct Forbidden {
    std::string cls;
    std::string text;
};
std::vector<Forbidden> forbidden;

void CheckForbidden() {
    for (const Forbidden& f : forbidden)
        for (HWND top : TopLevelWindows())
            if (IsWindowVisible(top) && FindControl(top, f.cls, f.text) != nullptr)
                throw Failure(f.cls + " \"" + Escaped(f.text) + "\" showed in \"" +
                              Escaped(TextOf(top)) + "\"");
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Polls `found` every millisecond or so until it holds or the time is up; the fine step
// keeps the timings that the benchmark reads from the waits honest.
template <typename Predicate> bool WaitFor(double seconds, Predicate found) {
    double deadline = Now() + seconds * 1000;
    for (;;) {
        CheckForbidden();
        if (found()) return true;
        if (Now() >= deadline) return false;
        Sleep(1);
    }
}

HWND RequireTopLevel(const std::string& title, bool dialogOnly = false) {
    HWND window = FindTopLevel(title, dialogOnly);
    if (window == nullptr) throw Failure("no visible window \"" + Escaped(title) + "\"");
    return window;
}

HWND RequireControl(HWND top, const std::string& cls, const std::string& text) {
    HWND control = FindControl(top, cls, text);
    if (control == nullptr)
        throw Failure("no visible " + cls + " \"" + Escaped(text) + "\" in \"" +
                      Escaped(TextOf(top)) + "\"");
    return control;
}

// The visible control of that class and text in the window with that title, waiting a
// moment for a window that is still being built or shown.
HWND SettledControl(const std::string& title, bool dialogOnly, const std::string& cls,
                    const std::string& text) {
    HWND control = nullptr;
    WaitFor(5, [&] {
        HWND top = FindTopLevel(title, dialogOnly);
        control = top != nullptr ? FindControl(top, cls, text) : nullptr;
        return control != nullptr;
    });
    if (control == nullptr) return RequireControl(RequireTopLevel(title, dialogOnly), cls, text);
    return control;
}

// `clicks` presses and releases in a row, all posted before the window's thread takes the
// first: a double click (without CS_DBLCLKS a quick second click is a second click).
void Click(HWND control, int clicks = 1) {
    POINT centre{};
    std::string reason;
    // A window that has only just been shown may not be on top or enabled yet: give it a
    // moment before calling it covered.
    bool ready = WaitFor(5, [&] {
        RECT r;
        GetClientRect(control, &r);
        centre = {(r.right - r.left) / 2, (r.bottom - r.top) / 2};
        POINT screen = centre;
        ClientToScreen(control, &screen);
        HWND shown = WindowFromPoint(screen);
        if (shown != control)
            reason = "\"" + Escaped(TextOf(control)) + "\" is covered by a " + ClassOf(shown) +
                     " \"" + Escaped(TextOf(shown)) + "\"";
        else if (!IsWindowEnabled(control))
            reason = "\"" + Escaped(TextOf(control)) + "\" is disabled";
        else
            reason.clear();
        return reason.empty();
    });
    if (!ready) throw Failure(reason);
    LPARAM at = MAKELPARAM(centre.x, centre.y);
    PostMessageA(control, WM_MOUSEMOVE, 0, at);
    for (int i = 0; i < clicks; ++i) {
        PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(control, WM_LBUTTONUP, 0, at);
    }
}

// One line per control: class, text, "visible" or "hidden", and the rectangle relative to
// the window's client area (left top width height). The first line is the window itself:
// class, title, its client width and height, its style bits and its frame on the screen
// (left top width height).
void Dump(HWND top) {
    RECT client;
    GetClientRect(top, &client);
    RECT frame;
    GetWindowRect(top, &frame);
    std::printf("window\t%s\t%s\t%ld %ld\t%08lx\t%ld %ld %ld %ld\n", ClassOf(top).c_str(),
                Escaped(TextOf(top)).c_str(), client.right, client.bottom,
                static_cast<unsigned long>(GetWindowLongA(top, GWL_STYLE)), frame.left, frame.top,
                frame.right - frame.left, frame.bottom - frame.top);
    for (HWND window : Descendants(top)) {
        RECT r;
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
        std::printf("control\t%s\t%s\t%s\t%ld %ld %ld %ld\n", ClassOf(window).c_str(),
                    Escaped(TextOf(window)).c_str(), IsWindowVisible(window) ? "visible" : "hidden",
                    r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
}

// "caption" line, then "text" lines for the visible static texts and "button" lines for
// the visible push buttons, in the dialog's child order.
void DumpDialog(HWND dialog) {
    std::printf("caption\t%s\n", Escaped(TextOf(dialog)).c_str());
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        std::string cls = ClassOf(child);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(cls.c_str(), "Button") == 0 && (style & 0x0F) <= BS_DEFPUSHBUTTON)
            std::printf("button\t%s\n", Escaped(WithoutAccessKeys(TextOf(child))).c_str());
        else if (!TextOf(child).empty())
            std::printf("text\t%s\n", Escaped(TextOf(child)).c_str());
    }
}

// Where the keyboard's input goes in the program that shows `top`: its thread's focus, else
// its active window, else `top` itself.
HWND KeyboardFocus(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) {
        if (info.hwndFocus != nullptr) return info.hwndFocus;
        if (info.hwndActive != nullptr) return info.hwndActive;
    }
    return top;
}

void TypeText(HWND control, const std::string& text) {
    // What a user does: focus the field, select everything, type over it. WM_CHAR is what
    // the keyboard's translation delivers to the field.
    DWORD_PTR ignored;
    SendMessageTimeoutA(control, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, &ignored);
    PostMessageA(control, WM_CHAR, VK_BACK, 1);
    for (unsigned char c : text)
        PostMessageA(control, WM_CHAR, c, 1);
}

void SaveBmp(HWND window, const std::string& file) {
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) throw Failure("empty window rectangle");
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h; // bottom-up, as a BMP file stores rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
    header.bfSize = header.bfOffBits + size;
    FILE* out = std::fopen(file.c_str(), "wb");
    bool ok = out != nullptr && std::fwrite(&header, sizeof header, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, 1, size, out) == size;
    if (out != nullptr && std::fclose(out) != 0) ok = false;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!ok) throw Failure("cannot write " + file);
}

class Arguments {
public:
    Arguments(int argc, char** argv) : argv_(argv + 1, argv + argc) {
        // The same arguments as the system holds them, before the ANSI copy replaced what
        // the code page lacks (full-width characters, for one).
        int count = 0;
        LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
        if (wide != nullptr && count == argc) wide_.assign(wide + 1, wide + count);
        LocalFree(wide);
    }
    bool More() const { return next_ < argv_.size(); }
    std::string Take(const char* what) {
        if (!More()) throw Failure(std::string("missing ") + what);
        return argv_[next_++];
    }
    // The next argument as UTF-16.
    std::wstring TakeWide(const char* what) {
        const size_t at = next_;
        std::string ansi = Take(what);
        if (at < wide_.size()) return wide_[at];
        return std::wstring(ansi.begin(), ansi.end());
    }

private:
    std::vector<std::string> argv_;
    std::vector<std::wstring> wide_;
    size_t next_ = 0;
};

double mark = 0;

void Run(Arguments& args) {
    std::string command = args.Take("command");
    if (command == "wait") {
        std::string title = args.Take("title");
        double seconds = Seconds(args.Take("seconds"));
        if (!WaitFor(seconds, [&] { return FindTopLevel(title) != nullptr; }))
            throw Failure("no window \"" + Escaped(title) + "\" within " + std::to_string(seconds) +
                          " s");
    } else if (command == "gone") {
        std::string title = args.Take("title");
        double seconds = Seconds(args.Take("seconds"));
        if (!WaitFor(seconds, [&] { return FindTopLevel(title) == nullptr; }))
            throw Failure("window \"" + Escaped(title) + "\" still there after " +
                          std::to_string(seconds) + " s");
    } else if (command == "wait-text") {
        std::string title = args.Take("title");
        std::string cls = args.Take("class");
        std::string text = args.Take("text");
        double seconds = Seconds(args.Take("seconds"));
        if (!WaitFor(seconds, [&] {
                HWND top = FindTopLevel(title);
                return top != nullptr && FindControl(top, cls, text) != nullptr;
            }))
            throw Failure("no " + cls + " \"" + Escaped(text) + "\" in \"" + Escaped(title) +
                          "\" within " + std::to_string(seconds) + " s");
    } else if (command == "dump") {
        Dump(RequireTopLevel(args.Take("title")));
    } else if (command == "dialog") {
        std::string caption = args.Take("caption");
        double seconds = Seconds(args.Take("seconds"));
        HWND dialog = nullptr;
        if (!WaitFor(seconds, [&] { return (dialog = FindTopLevel(caption, true)) != nullptr; }))
            throw Failure("no dialog \"" + Escaped(caption) + "\" within " +
                          std::to_string(seconds) + " s");
        // The dialog fills in its controls while it starts up; let it settle.
        Sleep(150);
        DumpDialog(dialog);
    } else if (command == "click" || command == "double-click") {
        std::string title = args.Take("title");
        std::string cls = args.Take("class");
        Click(SettledControl(title, false, cls, args.Take("text")), command == "click" ? 1 : 2);
    } else if (command == "click-at") {
        HWND top = RequireTopLevel(args.Take("title"));
        POINT at{static_cast<LONG>(std::strtol(args.Take("x").c_str(), nullptr, 10)),
                 static_cast<LONG>(std::strtol(args.Take("y").c_str(), nullptr, 10))};
        ClientToScreen(top, &at);
        HWND shown = WindowFromPoint(at);
        if (shown == nullptr || GetAncestor(shown, GA_ROOT) != top)
            throw Failure("no control of \"" + Escaped(TextOf(top)) + "\" at that point");
        POINT local = at;
        ScreenToClient(shown, &local);
        LPARAM where = MAKELPARAM(local.x, local.y);
        PostMessageA(shown, WM_MOUSEMOVE, 0, where);
        PostMessageA(shown, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageA(shown, WM_LBUTTONUP, 0, where);
        std::printf("clicked\t%s\t%s\n", ClassOf(shown).c_str(), Escaped(TextOf(shown)).c_str());
    } else if (command == "press") {
        std::string caption = args.Take("caption");
        std::string button = args.Take("button");
        HWND control = SettledControl(caption, true, "Button", button);
        HWND dialog = GetAncestor(control, GA_ROOT);
        Click(control);
        // Gone before the next command looks for a dialog, which may have the same caption.
        if (!WaitFor(10, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }))
            throw Failure("dialog \"" + Escaped(TextOf(dialog)) + "\" still up after " + button);
    } else if (command == "type") {
        HWND top = RequireTopLevel(args.Take("title"));
        std::string cls = args.Take("class");
        HWND control = nullptr;
        for (HWND window : Descendants(top))
            if (IsWindowVisible(window) && ClassOf(window) == cls)
                control = control ? control : window;
        if (control == nullptr) throw Failure("no visible " + cls);
        TypeText(control, args.Take("text"));
    } else if (command == "key") {
        HWND top = RequireTopLevel(args.Take("title"));
        std::string cls = args.Take("class");
        HWND control = nullptr;
        for (HWND window : Descendants(top))
            if (control == nullptr && IsWindowVisible(window) && ClassOf(window) == cls)
                control = window;
        if (control == nullptr) throw Failure("no visible " + cls);
        WPARAM key = std::strtoul(args.Take("virtual-key code").c_str(), nullptr, 0);
        PostMessageA(control, WM_KEYDOWN, key, 1);
        PostMessageA(control, WM_KEYUP, key, 0xC0000001);
    } else if (command == "focus") {
        HWND focus = KeyboardFocus(RequireTopLevel(args.Take("title")));
        std::printf("focus\t%s\t%s\n", ClassOf(focus).c_str(), Escaped(TextOf(focus)).c_str());
    } else if (command == "key-focus") {
        HWND focus = KeyboardFocus(RequireTopLevel(args.Take("title")));
        WPARAM key = std::strtoul(args.Take("virtual-key code").c_str(), nullptr, 0);
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    } else if (command == "type-focus") {
        HWND focus = KeyboardFocus(RequireTopLevel(args.Take("title")));
        for (unsigned char c : args.Take("text"))
            PostMessageA(focus, WM_CHAR, c, 1);
    } else if (command == "close") {
        PostMessageA(RequireTopLevel(args.Take("title")), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (command == "move") {
        HWND top = RequireTopLevel(args.Take("title"));
        int x = std::atoi(args.Take("x").c_str());
        int y = std::atoi(args.Take("y").c_str());
        SetWindowPos(top, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (command == "shot") {
        HWND top = RequireTopLevel(args.Take("title"));
        SaveBmp(top, args.Take("file"));
    } else if (command == "windows") {
        for (HWND window : TopLevelWindows()) {
            if (!IsWindowVisible(window)) continue;
            std::printf("toplevel\t%s\t%s\n", ClassOf(window).c_str(),
                        Escaped(TextOf(window)).c_str());
        }
    } else if (command == "never") {
        std::string cls = args.Take("class");
        forbidden.push_back({cls, args.Take("text")});
    } else if (command == "syserror") {
        unsigned long code = std::strtoul(args.Take("code").c_str(), nullptr, 0);
        char* buffer = nullptr;
        DWORD length =
            FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
        std::string text(buffer != nullptr ? buffer : "", length);
        if (buffer != nullptr) LocalFree(buffer);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        std::printf("syserror\t%s\n", Escaped(text).c_str());
    } else if (command == "launch") {
        std::string exe = args.Take("exe");
        std::string title = args.Take("title");
        double seconds = Seconds(args.Take("seconds"));
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        double start = Now();
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            throw Failure("cannot start " + exe);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (!WaitFor(seconds, [&] { return FindTopLevel(title) != nullptr; }))
            throw Failure("no window \"" + Escaped(title) + "\" within " + std::to_string(seconds) +
                          " s");
        std::printf("launched\t%lu\t%.1f\n", process.dwProcessId, Now() - start);
    } else if (command == "watch") {
        // Started with the wide command line, so that the installer reads exactly what the
        // test wrote, in any script.
        std::wstring wideExe = args.TakeWide("exe");
        std::string exe(wideExe.begin(), wideExe.end());
        std::wstring commandLine = L"\"" + wideExe + L"\" " + args.TakeWide("arguments");
        double seconds = Seconds(args.Take("seconds"));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            throw Failure("cannot start " + exe);
        CloseHandle(process.hThread);
        std::vector<std::string> seen;
        std::vector<HWND> hidden;
        std::vector<DWORD> family{process.dwProcessId};
        double start = Now();
        double scanned = 0;
        while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
            if (Now() - scanned > 20) {
                AddChildren(family);
                scanned = Now();
            }
            for (HWND window : TopLevelWindows()) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (std::find(family.begin(), family.end(), owner) == family.end()) continue;
                if (!IsWindowVisible(window)) {
                    if (std::find(hidden.begin(), hidden.end(), window) == hidden.end())
                        hidden.push_back(window);
                    continue;
                }
                std::string line = ClassOf(window) + "\t" + Escaped(TextOf(window));
                if (std::find(seen.begin(), seen.end(), line) == seen.end()) seen.push_back(line);
            }
            if (Now() - start > seconds * 1000) {
                TerminateProcess(process.hProcess, 255);
                break;
            }
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        for (const std::string& line : seen)
            std::printf("window\t%s\n", line.c_str());
        std::printf("hidden\t%u\n", static_cast<unsigned>(hidden.size()));
        if (Now() - start > seconds * 1000)
            throw Failure(exe + " did not end within " + std::to_string(seconds) + " s");
        std::printf("exit\t%lu\n", code);
    } else if (command == "short") {
        std::string path = args.Take("path");
        char shortPath[MAX_PATH];
        const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) throw Failure("no short name for " + path);
        std::printf("short\t%s\n", Escaped(shortPath).c_str());
    } else if (command == "squat") {
        // An object of another kind under a name, held to the end of this driver's run.
        std::string name = args.Take("name");
        if (CreateEventA(nullptr, TRUE, FALSE, name.c_str()) == nullptr)
            throw Failure("cannot create the event " + name);
    } else if (command == "hold") {
        std::string path = args.Take("file");
        double seconds = Seconds(args.Take("seconds"));
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw Failure("cannot open " + path);
        std::printf("held\t%s\n", Escaped(path).c_str());
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(seconds * 1000));
        CloseHandle(file);
    } else if (command == "mark") {
        mark = Now();
    } else if (command == "elapsed") {
        std::printf("%s\t%.1f\n", args.Take("name").c_str(), Now() - mark);
    } else if (command == "sleep") {
        Sleep(static_cast<DWORD>(Seconds(args.Take("milliseconds"))));
    } else {
        throw Failure("unknown command " + command);
    }
    std::fflush(stdout);
}

// Window rectangles, clicks and screenshots in the screen's real pixels at any display scale:
// a driver the system takes for a 96-dpi program would see the installer's windows (which
// are scale-aware) through the system's 96-dpi translation.
void BecomeScaleAware() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    using ContextProc = BOOL(WINAPI*)(HANDLE);
    auto setContext = reinterpret_cast<ContextProc>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (setContext != nullptr && setContext(reinterpret_cast<HANDLE>(-4))) return;
    SetProcessDPIAware();
}

} // namespace

int main(int argc, char** argv) {
    BecomeScaleAware();
    Arguments args(argc, argv);
    try {
        while (args.More())
            Run(args);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "driver: %s\n", error.what());
        return 1;
    }
    return 0;
}
