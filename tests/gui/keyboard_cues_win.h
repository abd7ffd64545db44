#pragma once
// The system's "underline access keys and show focus always" setting for the GUI tests.
#include <windows.h>

// Sets the setting for this session only (Wine's default is on, Windows' off) and restores
// it.
struct KeyboardCues {
    explicit KeyboardCues(BOOL always) {
        SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &saved, 0);
        SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(always), 0);
    }
    ~KeyboardCues() {
        SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(saved), 0);
    }
    KeyboardCues(const KeyboardCues&) = delete;
    KeyboardCues& operator=(const KeyboardCues&) = delete;
    BOOL saved = FALSE;
};
