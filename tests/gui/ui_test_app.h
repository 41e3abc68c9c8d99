#pragma once
// One QApplication for a whole widget test executable (gtest_main owns main()).
#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kerma {

// Offscreen, the windows see two screens: the first with room for every window, the second the
// free area of a laptop screen at 150 % (1366 x 768 less the taskbar).
// Gives the file to remove once the platform has read it.
inline std::filesystem::path UseTestScreens() {
#ifdef _WIN32
    return {};
#else
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen") return {};
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("kerma740-screens-" + std::to_string(getpid()) + ".json");
    std::ofstream(path) << R"({"screens": [
        {"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080},
        {"name": "laptop", "x": 1920, "y": 0, "width": 911, "height": 480}]})";
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path.string()).c_str());
    return path;
#endif
}

inline QApplication& TestApp() {
    const std::filesystem::path screens = UseTestScreens();
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    if (!screens.empty()) std::filesystem::remove(screens);
    return *app;
}

}  // namespace kerma
