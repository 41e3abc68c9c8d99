#pragma once
// The desktop program as the end-to-end tests drive it over a pseudo-terminal: the main window on
// "com 1" with scripted prompts, and the editor window's waits, keys, clicks and status texts.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "made.h"
#include "main_form.h"
#include "qt_wait.h"
#include "scripted_prompts.h"

namespace kerma::test {

constexpr int kProgramWaitMs = 30000;

inline bool WaitForStatus(TK740Form& form, const std::string& end, int ms = kProgramWaitMs) {
    return QTest::qWaitFor([&] { return StatusEnds(form, end); }, ms);
}

// The status comes first, then the block is decoded and the pages are enabled.
inline bool ReadDone(TK740Form& form) {
    return StatusEnds(form, "Чтение конфигурации завершено") &&
           form.model().at("PageControl").enabled;
}

inline bool WaitForRead(TK740Form& form, int ms = kProgramWaitMs) {
    return QTest::qWaitFor([&] { return ReadDone(form); }, ms);
}

// Types over the field's text and leaves it, as an installer does.
inline void TypeInto(TK740Form& form, const char* field, const char* text) {
    auto* edit = qobject_cast<QLineEdit*>(form.widget(field));
    ASSERT_NE(edit, nullptr) << field;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

inline void Click(TK740Form& form, const char* button) {
    QTest::mouseClick(form.widget(button), Qt::LeftButton);
}

// Every text the first status panel shows from now on, in order.
inline void RecordStatuses(TK740Form& form, std::vector<std::string>& statuses) {
    form.model().subscribe([&statuses](const Control& c, ControlProperty p) {
        if (p == ControlProperty::Caption && c.name == "StatusPanel0") statuses.push_back(c.caption);
    });
}

// The cells as the line carries them: a list without a selection is -1 in a file, 0xFF there.
inline Block OnTheLine(Block cells) {
    for (auto& cell : cells) cell &= 0xFF;
    return cells;
}

// The program looks for the firmware base under its working directory.
struct WorkingDirectory {
    std::filesystem::path old = std::filesystem::current_path();
    explicit WorkingDirectory(const std::string& dir) { std::filesystem::current_path(dir); }
    ~WorkingDirectory() { std::filesystem::current_path(old); }
};

// The main window with its "com 1" on the panel's link and prompts that answer from a script.
// The link is named before the window is made, as the installer's machine has it.
struct Program {
    bool mapped;
    ScriptedPrompts prompts;
    TMainForm main;

    explicit Program(const std::string& link, Clock& clock = SystemClock::instance())
        : mapped(setenv("KERMA740_COM1", link.c_str(), 1) == 0),
          main(Made(LinkRunner::Create(clock))) {
        main.editorPrompts = &prompts;
    }
};

}  // namespace kerma::test
