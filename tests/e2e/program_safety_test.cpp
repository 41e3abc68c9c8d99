// The desktop program's safety net against kerma740-panel over a real pseudo-terminal: every read
// kept as the file a save writes, what the panel held kept before a write and before a firmware
// replacement, the read after a write checked, and edits nobody wrote or saved never lost
// without a question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "config_file.h"
#include "process_util.h"
#include "program_rig.h"
#include "ui_test_app.h"

namespace kerma {
namespace {

namespace fs = std::filesystem;
using testing::PanelProcess;
using testing::RunProgram;
using test::ReadAll;
using testing::TempDir;
using test::StatusEnds;
using testing::WriteTestFirmware;
using test::Click;
using test::TypeInto;
using test::WaitForRead;
using test::WaitForStatus;

constexpr int kWaitMs = test::kProgramWaitMs;

// The backups kept so far, oldest first.
std::vector<fs::path> Kept(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool EndsWith(const fs::path& path, const std::string& end) {
    const std::string name = path.filename().string();
    return name.size() >= end.size() &&
           name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// A program and a panel holding the factory configuration of variant 1, backups in a folder of
// the test's own.
struct Bench {
    TempDir dir;
    std::string backups = dir.file("backups");
    std::string memory = dir.file("memory.cfg");
    ScriptedPrompts prompts;
    std::unique_ptr<PanelProcess> panel;

    explicit Bench(std::vector<std::string> panelArgs = {}) {
        TestApp();
        setenv("KERMA740_BACKUP_DIR", backups.c_str(), 1);
        setenv("KERMA740_COM1", dir.file("com1").c_str(), 1);
        EXPECT_EQ(
            RunProgram(dir, "kerma740-cli", {"defaults", "--variant", "1", "--out", memory}).status,
            0);
        panelArgs.insert(panelArgs.begin(), {"--memory", memory});
        panel = std::make_unique<PanelProcess>(dir.file("com1"), panelArgs);
        EXPECT_TRUE(panel->ready());
    }
};

struct CheckCase {
    const char* name;
    std::vector<std::string> panelArgs;
    std::string notice;  // a part of the notice after the read that follows the write
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramWriteCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ProgramWriteCheckTest, ReadIsKeptWriteKeepsThePanelAndTheNextReadIsChecked) {
    Bench b(GetParam().panelArgs);
    const std::string saved = b.dir.file("saved.cfg");
    TMainForm main{Made(LinkRunner::Create())};
    main.editorPrompts = &b.prompts;
    bool done = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);
        auto kept = Kept(b.backups);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_TRUE(EndsWith(kept[0], "_v1.8_read.cfg")) << kept[0];
        b.prompts.files = {saved};
        Click(form, "SaveButton");
        ASSERT_TRUE(WaitForStatus(form, "Запись конфигурации в файл завершено"));
        EXPECT_EQ(ReadAll(kept[0].string()), ReadAll(saved));

        TypeInto(form, "DelayEdit", "30");
        Click(form, "WriteButton");
        ASSERT_TRUE(WaitForStatus(form, "Запись конфигурации завершена"))
            << form.editor().status(0);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return form.model().at("ReadButton").enabled; }, kWaitMs));
        const auto read = kept[0];
        kept = Kept(b.backups);
        ASSERT_EQ(kept.size(), 2u);
        const auto before = kept[0] == read ? kept[1] : kept[0];  // both may bear one second
        EXPECT_TRUE(EndsWith(before, "_v1.8_before-write.cfg")) << before;
        EXPECT_EQ(ReadAll(before.string()), ReadAll(read.string()));

        const size_t shown = b.prompts.shown.size();
        Click(form, "ReadButton");
        ASSERT_TRUE(QTest::qWaitFor([&] { return b.prompts.shown.size() > shown; }, kWaitMs));
        EXPECT_NE(b.prompts.shown.back().find(GetParam().notice), std::string::npos)
            << b.prompts.shown.back();
        EXPECT_TRUE(StatusEnds(form, "Чтение конфигурации завершено"));
        EXPECT_EQ(Kept(b.backups).size(), 3u);
        done = true;
        form.reject();
    };
    main.connectToPanel();
    EXPECT_TRUE(done);
    EXPECT_FALSE(main.editorOpen());  // nothing unsaved: closed without a question
}

INSTANTIATE_TEST_SUITE_P(
    Panels, ProgramWriteCheckTest,
    ::testing::Values(CheckCase{"Good", {}, "Конфигурация в приборе совпадает с записанной"},
                      CheckCase{"StoresAByteWrong",
                                {"--corrupt-write"},
                                "1 ячейка отличается. Отличаются поля:\n  Время выхода"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramSafetyTest, UnsavedEditsAreAskedForAndCancelKeepsThem) {
    Bench b;
    TMainForm main{Made(LinkRunner::Create())};
    main.editorPrompts = &b.prompts;
    const std::string question =
        "Подтверждение|Изменения не записаны в прибор и не сохранены в файл. Сохранить в файл?";
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form));
        TypeInto(form, "DelayEdit", "30");

        b.prompts.choices = {Answer::Cancel, Answer::Cancel, Answer::Cancel};
        form.reject();
        EXPECT_TRUE(form.isVisible());
        Click(form, "CancelButton");  // "Разорвать связь"
        EXPECT_TRUE(form.model().at("CancelButton").enabled);
        Click(form, "DefaultButton");
        EXPECT_EQ(form.model().at("DelayEdit").text, "30");
        EXPECT_EQ(b.prompts.shown, std::vector<std::string>(3, question));

        b.prompts.choices = {Answer::No};
        form.reject();
        EXPECT_FALSE(form.isVisible());
    };
    main.connectToPanel();
    EXPECT_EQ(b.prompts.shown.size(), 4u);
    EXPECT_FALSE(main.editorOpen());
}

// Ctrl+P: the report of what the editor shows, edits included, secrets masked.
TEST(ProgramSafetyTest, CtrlPSavesTheReportOfWhatTheEditorShows) {
    Bench b;
    const std::string html = b.dir.file("report.html"), pdf = b.dir.file("report.pdf");
    TMainForm main{Made(LinkRunner::Create())};
    main.editorPrompts = &b.prompts;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form));
        TypeInto(form, "DelayEdit", "30");
        b.prompts.files = {html, pdf};
        QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(form.editor().status(0), "Отчёт о конфигурации записан в файл");
        b.prompts.choices = {Answer::No};
        form.reject();
    };
    main.connectToPanel();
    const std::string report = ReadAll(html);
    EXPECT_NE(report.find("<td>Время выхода</td><td>30 с</td>"), std::string::npos);
    EXPECT_NE(report.find("<td>v 1.8</td>"), std::string::npos);
    EXPECT_EQ(report.find("1234"), std::string::npos);
    EXPECT_EQ(ReadAll(pdf).rfind("%PDF", 0), 0u);
}

// Ctrl+D: the read is kept (the status hint says where), and the editor compared with that
// backup matches; after an edit, the field is listed by its label in a window that copies it.
TEST(ProgramSafetyTest, CtrlDListsTheFieldsThatDifferFromAFile) {
    Bench b;
    TMainForm main{Made(LinkRunner::Create())};
    main.editorPrompts = &b.prompts;
    QStringList shown;
    QString copied;
    fs::path backup;
    QTimer window;
    QObject::connect(&window, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() != "ComparisonWindow") return;
        shown << modal->findChild<QPlainTextEdit*>()->toPlainText();
        for (auto* button : modal->findChildren<QPushButton*>()) {
            if (button->text() == "Копировать") button->click();
        }
        copied = QApplication::clipboard()->text();
        static_cast<QDialog*>(modal)->reject();
    });
    window.start(20);
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form));
        const auto kept = Kept(b.backups);
        ASSERT_EQ(kept.size(), 1u);
        backup = kept[0];
        const QString hint = form.findChild<QLabel*>("StatusPanel1")->toolTip();
        EXPECT_TRUE(hint.contains(
            QString::fromStdString("Резервная копия (считана из прибора): " + kept[0].string())))
            << hint.toStdString();

        b.prompts.files = {kept[0].string(), kept[0].string()};
        QTest::keyClick(&form, Qt::Key_D, Qt::ControlModifier);
        TypeInto(form, "DelayEdit", "30");
        form.model().click("avt1");
        form.model().click("Keysound3");
        QTest::keyClick(&form, Qt::Key_D, Qt::ControlModifier);
        b.prompts.choices = {Answer::No};
        form.reject();
    };
    main.connectToPanel();
    ASSERT_EQ(shown.size(), 2) << shown.join("|").toStdString();
    const QString file = QString::fromStdString("Файл «" + backup.filename().string() +
                                                "», папка " + b.backups + "/\n");
    EXPECT_EQ(shown[0], file + "Совпадают");
    // Check boxes and a choice of radio buttons in the report's words, a choice on one line.
    EXPECT_EQ(shown[1], file +
                            "Отличаются поля (в редакторе → в файле):\nВремя выхода: 30 → 45\n"
                            "Звук клавиатуры: выключен → включён\nАвтовзятие, раздел 1: да → нет");
    EXPECT_EQ(copied, shown[1]);
}

TEST(ProgramSafetyTest, FirmwareReplacementKeepsWhatThePanelHeld) {
    Bench b;
    WriteTestFirmware(b.dir, 35, 300);
    auto cwd = std::make_unique<test::WorkingDirectory>(b.dir.file(""));
    b.prompts.answers = {true};
    TMainForm main{Made(LinkRunner::Create())};
    main.editorPrompts = &b.prompts;
    main.findChild<QRadioButton*>("RPYQNM4")->setChecked(true);
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        EXPECT_TRUE(WaitForStatus(form, "Запись конфигурации завершена"))
            << form.editor().status(0);
        form.reject();
    };
    main.connectToPanel();
    cwd.reset();
    const auto kept = Kept(b.backups);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(EndsWith(kept[0], "_v1.8_before-firmware.cfg")) << kept[0];
    const auto backup = ReadConfigFile(kept[0].string());
    const auto memory = ReadConfigFile(b.memory);
    ASSERT_TRUE(backup.ok());
    ASSERT_TRUE(memory.ok());
    EXPECT_EQ(backup.value().settings, test::OnTheLine(memory.value().settings));
    EXPECT_EQ(backup.value().codes, test::OnTheLine(memory.value().codes));
}

}  // namespace
}  // namespace kerma
