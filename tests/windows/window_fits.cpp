// Whether the editor lies inside the free area of its screen (the taskbar left out), as Windows
// itself reports both. Starts the program, connects from its main window (F2) and measures the
// editor that opens. It runs in the program's desktop: the Wine tests start it in a virtual
// desktop with a taskbar.
// Usage: window_fits RESULT_FILE PROGRAM
//   writes "fits" or "outside" with the window's and the free area's rectangles, or what went
//   wrong, to RESULT_FILE; the exit status is 0 for "fits".
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "find_window.h"

namespace {

using find_window::WaitForWindow;

void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

std::string Measure(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& free = monitor.rcWork;
    const bool inside = box.left >= free.left && box.top >= free.top && box.right <= free.right &&
                        box.bottom <= free.bottom;
    char text[160];
    std::snprintf(text, sizeof text, "%s window %ld,%ld-%ld,%ld free %ld,%ld-%ld,%ld",
                  inside ? "fits" : "outside", box.left, box.top, box.right, box.bottom, free.left,
                  free.top, free.right, free.bottom);
    return text;
}

std::string Run(wchar_t* program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, program, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return "program not started";
    }
    std::string result = "no main window";
    if (HWND main = WaitForWindow(L"Kerma-740", 60)) {
        SetForegroundWindow(main);
        Sleep(500);
        PressKey(VK_F2);
        result = "no editor";
        if (HWND editor = WaitForWindow(L"Kerma 740", 60)) {
            Sleep(1000);  // the window takes its final size as it is shown
            result = Measure(editor);
        }
    }
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

}  // namespace

int main() {
    SetProcessDPIAware();  // the rectangles in the screen's own pixels
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 3) return 2;
    const std::string result = Run(args[2]);
    FILE* out = _wfopen(args[1], L"w");
    if (out == nullptr) return 2;
    std::fprintf(out, "%s\n", result.c_str());
    std::fclose(out);
    return result.rfind("fits", 0) == 0 ? 0 : 1;
}
