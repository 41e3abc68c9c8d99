#pragma once
// Finding a program's window from outside it, as the Wine tests' helpers do: the first visible
// top-level window whose title holds a text.
#include <windows.h>

#include <string>

namespace find_window {

struct Search {
    const wchar_t* part;
    HWND found = nullptr;
};

inline BOOL CALLBACK Look(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (IsWindowVisible(window) && std::wstring(title).find(search->part) != std::wstring::npos) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// nullptr when no such window came up within the time.
inline HWND WaitForWindow(const wchar_t* titlePart, int seconds) {
    Search search{titlePart};
    for (int i = 0; i < seconds * 10 && search.found == nullptr; ++i) {
        EnumWindows(Look, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(100);
    }
    return search.found;
}

}  // namespace find_window
