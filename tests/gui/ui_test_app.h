#pragma once
// One QApplication for a whole widget test executable (gtest_main owns main()).
#include <QApplication>

namespace kerma {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace kerma
