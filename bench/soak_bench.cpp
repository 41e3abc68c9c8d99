// A long session with one panel: the desktop program (offscreen, real windows, exchange threads)
// connects to kerma740-panel (variant 5, the largest blocks), then edits one field, writes, and
// reads back, cycle after cycle. Every write is checked cell by cell against the panel's memory
// (the edit and nothing else changed), every read against the editor's state after the first
// read (the edit and nothing else differs). Prints the resident memory of the program and of the
// panel at cycle 1 and at the last cycle. Usage: bench_soak [CYCLES] (default 100).
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "config_file.h"
#include "config_of.h"
#include "main_form.h"
#include "process_util.h"
#include "qt_wait.h"
#include "scripted_prompts.h"
#include "state_dump.h"
#include "write_check.h"

namespace {

using namespace kerma;

using kerma::test::ConfigOf;
using kerma::test::StatusEnds;

constexpr int kWaitMs = 60000;
constexpr int kVersion = 53;
constexpr int kVariant = 5;
constexpr const char* kField = "SoundUpDown";  // the alarm sound duration
constexpr int kFieldCell = 31;

// Resident memory in megabytes, of this process or of another one.
double ResidentMb(const std::string& pid = "self") {
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// Cells that differ, counted; each one printed.
int Differences(const Block& want, const Block& got, const char* block, int cycle) {
    if (want.size() != got.size()) {
        std::printf("cycle %d: %s block has %zu cells, %zu expected\n", cycle, block, got.size(),
                    want.size());
        return static_cast<int>(std::max(want.size(), got.size()));
    }
    int count = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        if (want[i] == got[i]) continue;
        ++count;
        std::printf("cycle %d: %s cell %zu is %d, %d expected\n", cycle, block, i, got[i], want[i]);
    }
    return count;
}

// Editor dump lines that differ, ignoring the edited field and its up-down.
int DumpDifferences(const std::string& want, const std::string& got, int cycle) {
    auto lines = [](const std::string& dump) {
        std::vector<std::string> out;
        size_t start = 0;
        for (size_t end; (end = dump.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = dump.substr(start, end - start);
            if (line.rfind("SoundEdit=", 0) != 0 && line.rfind("SoundUpDown=", 0) != 0)
                out.push_back(line);
        }
        return out;
    };
    const auto a = lines(want), b = lines(got);
    int count = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] == b[i]) continue;
        ++count;
        std::printf("cycle %d: read gave %s, %s expected\n", cycle, b[i].c_str(), a[i].c_str());
    }
    return count;
}

class Soak {
  public:
    Soak(TK740Form& form, const std::string& saved, int panelPid)
        : form_(form), saved_(saved), panelPid_(std::to_string(panelPid)) {}

    // One write and one read; false when the program did not finish them.
    bool cycle(int n, int value) {
        FormModel& m = form_.model();
        m.setPosition(kField, value);
        m.click("WriteButton");
        if (!QTest::qWaitFor([&] { return StatusEnds(form_, "Запись конфигурации завершена"); },
                        kWaitMs)) {
            std::printf("cycle %d: write did not finish: %s\n", n,
                        form_.editor().status(0).c_str());
            return false;
        }
        ConfigBlocks memory = ConfigOf(saved_);
        if (n == 0) {
            baseline_ = memory;  // the program's own form of the configuration
        } else {
            ConfigBlocks want = baseline_;
            want.settings[kFieldCell] = value;
            wrongCells_ += Differences(want.settings, memory.settings, "settings", n);
            wrongCells_ += Differences(want.codes, memory.codes, "codes", n);
        }
        m.click("ReadButton");
        if (!QTest::qWaitFor(
                [&] {
                    return StatusEnds(form_, "Чтение конфигурации завершено") &&
                           m.at("PageControl").enabled;
                },
                kWaitMs)) {
            std::printf("cycle %d: read did not finish: %s\n", n, form_.editor().status(0).c_str());
            return false;
        }
        const std::string dump = DumpEditorState(form_.editor(), kVariant);
        if (n == 0) firstRead_ = dump;
        wrongFields_ += DumpDifferences(firstRead_, dump, n);
        if (m.at(kField).position != value) {
            ++wrongFields_;
            std::printf("cycle %d: %s reads %d, %d written; status \"%s\"\n", n, kField,
                        m.at(kField).position, value, form_.editor().status(0).c_str());
        }
        return true;
    }

    void printMemory(int n) const {
        std::printf("cycle %3d: program %.1f MB resident, panel %.1f MB\n", n, ResidentMb(),
                    ResidentMb(panelPid_));
    }
    [[nodiscard]] int wrongCells() const { return wrongCells_; }
    [[nodiscard]] int wrongFields() const { return wrongFields_; }

  private:
    TK740Form& form_;
    std::string saved_;
    std::string panelPid_;
    ConfigBlocks baseline_;
    std::string firstRead_;
    int wrongCells_ = 0;
    int wrongFields_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 100;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    testing::TempDir dir;
    const std::string saved = dir.file("saved.cfg");
    testing::PanelProcess panel(dir.file("com1"),
                                {"--version", std::to_string(kVersion), "--save", saved});
    if (!panel.ready()) {
        std::fprintf(stderr, "kerma740-panel did not start\n");
        return 1;
    }
    setenv("KERMA740_COM1", dir.file("com1").c_str(), 1);

    ScriptedPrompts prompts;
    auto runner = LinkRunner::Create();
    if (!runner) {
        std::printf("%s\n", runner.error().c_str());
        return 1;
    }
    TMainForm main{std::move(*runner)};
    main.editorPrompts = &prompts;
    main.findChild<QCheckBox*>("CheckBoxQN")->setChecked(true);
    main.findChild<QRadioButton*>("RPYQN4")->setChecked(true);
    int done = -1;
    double seconds = 0;
    std::unique_ptr<Soak> soak;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        if (!QTest::qWaitFor([&] { return StatusEnds(form, "Чтение конфигурации завершено"); },
                        kWaitMs)) {
            std::printf("connect did not finish: %s\n", form.editor().status(0).c_str());
            form.reject();
            return;
        }
        soak = std::make_unique<Soak>(form, saved, panel.pid());
        QElapsedTimer timer;
        timer.start();
        for (int n = 0; n <= cycles; ++n) {
            if (!soak->cycle(n, 10 + n % 50)) break;
            done = n;
            if (n == 1 || n == cycles) soak->printMemory(n);
        }
        seconds = static_cast<double>(timer.elapsed()) / 1000.0;
        form.reject();
    };
    main.connectToPanel();
    if (!soak || done < cycles) {
        std::printf("stopped after %d of %d cycles\n", std::max(done, 0), cycles);
        return 1;
    }
    std::printf("%d write/read cycles of variant %d in %.1f s (%.0f ms a cycle)\n", cycles,
                kVariant, seconds, seconds * 1000.0 / (cycles + 1));
    // A read after a write is checked against what was written and says so: that notice is
    // expected once a cycle; any other message is a fault.
    const auto matches = static_cast<size_t>(
        std::count(prompts.shown.begin(), prompts.shown.end(), std::string(kWriteMatchesText)));
    const size_t others = prompts.shown.size() - matches;
    std::printf(
        "cells written wrong: %d, fields read wrong: %d, \"%s\": %zu, other messages: %zu\n",
        soak->wrongCells(), soak->wrongFields(), kWriteMatchesText, matches, others);
    for (const auto& text : prompts.shown) {
        if (text != kWriteMatchesText) std::printf("  %s\n", text.c_str());
    }
    const bool clean = soak->wrongCells() == 0 && soak->wrongFields() == 0 && others == 0;
    return clean ? 0 : 1;
}
