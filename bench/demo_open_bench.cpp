// Time from the click on "Демо режим" to the editor window shown with the factory configuration,
// and the program's peak memory with the editor open. Prints figures; run it under Xvfb or with
// QT_QPA_PLATFORM=offscreen. Targets: under 250 ms and under 120 MB.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "main_form.h"

namespace {

// Peak resident memory of this process, in megabytes.
double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

double OpenDemo(kerma::TMainForm& main, const char* variantButton) {
    main.findChild<QRadioButton*>(variantButton)->setChecked(true);
    double shownMs = 0;
    QElapsedTimer timer;
    main.hooks.showEditor = [&](kerma::TK740Form& form) {
        form.show();
        QApplication::processEvents();  // painted
        shownMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        form.reject();
    };
    timer.start();
    main.findChild<QPushButton*>("Button1")->click();
    return shownMs;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto runner = kerma::LinkRunner::Create();
    if (!runner) {
        std::fprintf(stderr, "%s\n", runner.error().c_str());
        return 1;
    }
    kerma::TMainForm main{std::move(*runner)};
    main.show();
    QApplication::processEvents();
    std::printf("demo click to editor shown (ms), first and second opening:\n");
    for (const char* button : {"RPYQNM1", "RPYQNM4"}) {
        const double first = OpenDemo(main, button);
        const double second = OpenDemo(main, button);
        std::printf("  %-8s %7.1f %7.1f\n", button, first, second);
    }
    main.findChild<QCheckBox*>("CheckBoxQN")->setChecked(true);
    const double qn = OpenDemo(main, "RPYQN4");
    std::printf("  %-8s %7.1f\n", "RPYQN4", qn);
    std::printf(
        "peak memory with the editor open: %.1f MB (target < 120 MB; target time < 250 ms)\n",
        PeakMegabytes());
    return 0;
}
