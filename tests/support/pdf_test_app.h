#pragma once
// The application object a PDF report is laid out in: the client makes one before it writes a
// PDF, and so does a test that writes one through the client's commands.
#include <QGuiApplication>

namespace kerma::test {

inline void UsePdfApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "kerma740-test";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);  // lives to the end of the process, as in a program
}

}  // namespace kerma::test
