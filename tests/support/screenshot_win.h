#pragma once
// Screenshots for GUI tests: what a window shows on the screen, saved as a BMP under the
// folder named by the environment variable PENTARO_SCREENSHOT_DIR (scripts/test turns
// them into PNG files under build/screenshots/).
#include <windows.h>

#include <string>

// Saves the window's on-screen pixels (frame included) as <dir>\<name>.bmp; false when
// there is no screenshot folder or the file cannot be written.
bool SaveWindowScreenshot(HWND window, const std::string& name);
