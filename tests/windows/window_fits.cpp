// Whether a program's window lies inside the free area of its screen (the taskbar left out),
// as Windows itself reports both. The Wine tests run it in the virtual desktop of the program.
// Usage: window_fits TITLE_PART RESULT_FILE [SECONDS]
//   waits up to SECONDS (default 60) for a visible window whose title holds TITLE_PART, then
//   writes "fits" or "outside" with the window's and the free area's rectangles to RESULT_FILE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
    std::wstring part;
    HWND found = nullptr;
};

BOOL CALLBACK Look(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (IsWindowVisible(window) && std::wstring(title).find(search->part) != std::wstring::npos) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    SetProcessDPIAware();  // the rectangles in the screen's own pixels
    Search search;
    for (const char* c = argv[1]; *c != '\0'; ++c) search.part.push_back(static_cast<wchar_t>(*c));
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
    for (int i = 0; i < seconds * 10 && search.found == nullptr; ++i) {
        EnumWindows(Look, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(100);
    }
    FILE* out = std::fopen(argv[2], "w");
    if (out == nullptr) return 2;
    if (search.found == nullptr) {
        std::fprintf(out, "no window\n");
        std::fclose(out);
        return 1;
    }
    Sleep(1000);  // the window takes its final size as it is shown
    RECT window{};
    GetWindowRect(search.found, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(search.found, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& free = monitor.rcWork;
    const bool inside = window.left >= free.left && window.top >= free.top &&
                        window.right <= free.right && window.bottom <= free.bottom;
    std::fprintf(out, "%s window %ld,%ld-%ld,%ld free %ld,%ld-%ld,%ld\n", inside ? "fits" : "outside",
                 window.left, window.top, window.right, window.bottom, free.left, free.top,
                 free.right, free.bottom);
    std::fclose(out);
    return inside ? 0 : 1;
}
