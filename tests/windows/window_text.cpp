// The texts a window shows, as Windows itself holds them: starts a program, waits for its window,
// writes the window's own text and every child's (labels, buttons) to a file as UTF-8 lines and
// ends the program that owns the window. The Wine tests read the uninstaller's page with it.
// Usage: window_text RESULT_FILE TITLE_PART PROGRAM
//   exit status 0 when the window was found and its texts written.
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "find_window.h"

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

BOOL CALLBACK Collect(HWND child, LPARAM data) {
    const std::wstring text = TextOf(child);
    if (!text.empty()) *reinterpret_cast<std::string*>(data) += Utf8(text) + "\n";
    return TRUE;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 4) return 2;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, args[3], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The window may belong to a copy the program starts of itself (an uninstaller does so).
    const HWND found = find_window::WaitForWindow(args[2], 60);
    if (found == nullptr) return 1;
    Sleep(500);  // the page fills its texts as it is shown
    std::string texts = Utf8(TextOf(found)) + "\n";
    EnumChildWindows(found, Collect, reinterpret_cast<LPARAM>(&texts));
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    if (HANDLE shown = OpenProcess(PROCESS_TERMINATE, FALSE, owner)) {
        TerminateProcess(shown, 0);
        CloseHandle(shown);
    }
    FILE* out = _wfopen(args[1], L"wb");
    if (out == nullptr) return 2;
    std::fwrite(texts.data(), 1, texts.size(), out);
    std::fclose(out);
    return 0;
}
