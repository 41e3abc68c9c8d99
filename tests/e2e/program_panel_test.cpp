// The desktop program against kerma740-panel through a real pseudo-terminal: the main window
// connects, the editor window (offscreen, real widgets driven by keys and clicks) reads the panel,
// an installer edits a field and writes, and the panel's memory holds exactly that.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "config_file.h"
#include "config_of.h"
#include "outcome_text.h"
#include "process_util.h"
#include "program_rig.h"
#include "ui_test_app.h"

namespace kerma {
namespace {

using test::Click;
using test::ConfigOf;
using test::Program;
using test::RecordStatuses;
using test::StatusEnds;
using test::WaitForRead;
using test::WaitForStatus;
using QTest::qWaitFor;
using testing::PanelProcess;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteTestFirmware;

// A variant 1 configuration that differs from the factory one in many fields, normalised the
// way the program saves it.
std::string NonDefaultFile(const TempDir& dir) {
    const auto defaults = dir.file("defaults.cfg"), edited = dir.file("edited.cfg"),
               file = dir.file("panel.cfg");
    EXPECT_EQ(
        RunProgram(dir, "kerma740-cli", {"defaults", "--variant", "1", "--out", defaults}).status,
        0);
    auto image = ReadConfigFile(defaults).value();
    auto& s = image.settings;
    s[2] = 0x85, s[3] = 0x86, s[4] = 0x87, s[5] = 0x88;  // engineer password 5678
    s[8] = 77;                                           // exit time
    s[29] = 66;                                          // entry time
    s[10] = 0x0F, s[11] = 0x00;                          // relay 1: partitions 1..4
    s[18] = 0x08;                                        // auto-arming of partition 4
    s[22] = 0x21;                                        // relay modes 1 and 2
    s[30] = 2, s[31] = 100, s[33] = 50;                  // sound alarm only; durations
    s[36] = 0x03;                                        // two statuses as alarm
    EXPECT_TRUE(WriteConfigFile(edited, image).ok());
    EXPECT_EQ(RunProgram(dir, "kerma740-cli", {"resave", edited, file}).status, 0);
    return file;
}

using test::WorkingDirectory;

// The main window with four QN-M receivers chosen and Yes to the replacement question.
struct VariantThreeChosen : Program {
    explicit VariantThreeChosen(const std::string& link) : Program(link) {
        prompts.answers = {true};
        main.findChild<QRadioButton*>("RPYQNM4")->setChecked(true);
    }
};

class ProgramPanelTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApp(); }
};

TEST_F(ProgramPanelTest, ReadEditWriteLeavesExactlyTheEditInThePanel) {
    TempDir dir;
    const std::string memory = NonDefaultFile(dir), saved = dir.file("saved.cfg");
    PanelProcess panel(dir.file("com1"), {"--memory", memory, "--save", saved});
    ASSERT_TRUE(panel.ready());
    Program program(dir.file("com1"));
    ScriptedPrompts& prompts = program.prompts;
    TMainForm& main = program.main;
    bool checked = false;
    std::vector<std::string> statuses;
    main.hooks.showEditor = [&](TK740Form& form) {
        RecordStatuses(form, statuses);
        form.show();
        ASSERT_TRUE(WaitForRead(form, 20000)) << form.editor().status(0);
        if (const char* shots = std::getenv("KERMA740_SHOTS"))  // a look by eye
            form.grab().save(QString(shots) + "/program_after_read.png");
        // Handshake, identification and the read chain, in this order, then the 1.8 layout.
        const std::vector<std::string> road{
            "Установка связи с прибором...Попытка №1 из 10",
            "Связь установлена. Идет проверка версии программного обеспечения",
            "ППКОП Kerma-740 версия v 1.8    Идет чтение конфигурации ... . ",
            "ППКОП Kerma-740 версия v 1.8  Чтение конфигурации завершено"};
        auto at = statuses.begin();
        for (const auto& text : road) {
            at = std::find(at, statuses.end(), text);
            EXPECT_NE(at, statuses.end()) << text;
        }
        EXPECT_EQ(form.editor().status(1), "Режим <on-line>. На линии прибор версии v 1.8.");
        EXPECT_TRUE(form.model().at("GroupBox21").visible);
        EXPECT_FALSE(form.model().at("GroupBox26").visible);
        EXPECT_FALSE(form.model().at("kom781").visible);
        EXPECT_FALSE(form.model().at("ConnectButton").enabled);
        EXPECT_EQ(form.model().at("DelayEdit").text, "77");
        EXPECT_EQ(form.model().at("DelayEditVxod").text, "66");
        EXPECT_EQ(form.model().at("Rele1Combo").itemIndex, 1);
        EXPECT_EQ(form.model().at("Rele2Combo").itemIndex, 2);
        EXPECT_TRUE(form.model().at("keysound2").checked);
        EXPECT_TRUE(form.model().at("privrele13").checked);
        EXPECT_FALSE(form.model().at("privrele15").checked);
        EXPECT_TRUE(form.model().at("avt4").checked);

        // A refused write: the engineer password cut to two digits sends nothing.
        auto* password = qobject_cast<QLineEdit*>(form.widget("PasswordEdit"));
        ASSERT_NE(password, nullptr);
        password->setFocus();
        password->setCursorPosition(2);
        QTest::keyClick(password, Qt::Key_Delete);
        QTest::keyClick(password, Qt::Key_Delete);
        Click(form, "WriteButton");
        QTest::qWait(300);
        EXPECT_FALSE(std::filesystem::exists(saved));
        ASSERT_FALSE(prompts.shown.empty());

        // Back to four digits, a new exit time typed, and a write.
        password->setFocus();
        password->setCursorPosition(2);
        QTest::keyClicks(password, "78");
        test::TypeInto(form, "DelayEdit", "30");
        const size_t notices = prompts.shown.size();
        Click(form, "WriteButton");
        ASSERT_TRUE(WaitForStatus(form, "Запись конфигурации завершена", 20000))
            << form.editor().status(0);
        EXPECT_EQ(prompts.shown.size(), notices);
        if (const char* shots = std::getenv("KERMA740_SHOTS"))
            form.grab().save(QString(shots) + "/program_after_write.png");
        checked = true;
        form.reject();
    };
    main.connectToPanel();
    ASSERT_TRUE(checked);
    auto expected = ConfigOf(memory).settings;
    expected[8] = 30;
    EXPECT_EQ(ConfigOf(saved).settings, expected);
    EXPECT_FALSE(main.editorOpen());
}

TEST_F(ProgramPanelTest, FirmwareOfAnotherVariantIsReplacedAndGetsItsDefaults) {
    TempDir dir;
    const auto saved = dir.file("saved.cfg");
    // A test firmware: version byte 35 (variant 3), a body of 300 bytes.
    WriteTestFirmware(dir, 35, 300);
    WorkingDirectory cwd(dir.file(""));
    PanelProcess panel(dir.file("com1"), {"--version", "18", "--save", saved});
    ASSERT_TRUE(panel.ready());
    VariantThreeChosen program(dir.file("com1"));
    ScriptedPrompts& prompts = program.prompts;
    TMainForm& main = program.main;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        EXPECT_TRUE(WaitForStatus(form, "Запись конфигурации завершена", 60000))
            << form.editor().status(0);
        form.reject();
    };
    main.connectToPanel();
    ASSERT_GE(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("Провести смену ПО прибора?"), std::string::npos);
    const auto defaults = dir.file("defaults3.cfg");
    ASSERT_EQ(
        RunProgram(dir, "kerma740-cli", {"defaults", "--variant", "3", "--out", defaults}).status,
        0);
    const auto expected = test::OnTheLine(ConfigOf(defaults).settings);
    auto written = ConfigOf(saved).settings;
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_EQ(written[1], 35);
    // The panel's type and version, and cells files hold 0 in, are the panel's own.
    for (size_t i : {0, 1, 6, 7, 38, 39}) written[i] = expected[i];
    EXPECT_EQ(written, expected);
}

// Waits of the link at a twentieth of their length: ten handshake attempts in seconds.
class FastClock final : public Clock {
  public:
    void sleepMs(int ms) override { SystemClock::instance().sleepMs(ms / 20); }
};

struct OutcomeCase {
    const char* name;
    std::vector<std::string> panelArgs;
    std::string message;  // on the status bar
    std::string notice;   // in the message box
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {
  protected:
    void SetUp() override { TestApp(); }
};

// Another panel type and a silent line, seen from the program: the message box, the status
// texts on the way, and the editor closed or disconnected.
TEST_P(ProgramOutcomeTest, FailedConnectIsReported) {
    TempDir dir;
    PanelProcess panel(dir.file("com1"), GetParam().panelArgs);
    ASSERT_TRUE(panel.ready());
    FastClock clock;
    Program program(dir.file("com1"), clock);
    ScriptedPrompts& prompts = program.prompts;
    TMainForm& main = program.main;
    std::vector<std::string> statuses;
    bool closedByProgram = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        RecordStatuses(form, statuses);
        form.show();
        EXPECT_TRUE(qWaitFor(
            [&] { return !form.isVisible() || form.editor().status(0) == GetParam().message; },
            30000));
        closedByProgram = !form.isVisible();
        if (!closedByProgram) {
            EXPECT_EQ(form.editor().status(0), GetParam().message);
            EXPECT_TRUE(form.model().at("ConnectButton").enabled);
            EXPECT_FALSE(form.model().at("CancelButton").enabled);
            form.reject();
        }
    };
    main.connectToPanel();
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back(), GetParam().notice);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.front(), "Установка связи с прибором...Попытка №1 из 10");
    if (GetParam().message == "Нет ответа от прибора") {
        EXPECT_NE(std::find(statuses.begin(), statuses.end(),
                            "Установка связи с прибором...Попытка №10 из 10"),
                  statuses.end());
        EXPECT_FALSE(closedByProgram);  // the editor stays, disconnected
    } else {
        EXPECT_TRUE(closedByProgram);
    }
    EXPECT_FALSE(main.editorOpen());
}

INSTANTIATE_TEST_SUITE_P(Panels, ProgramOutcomeTest,
                         ::testing::Values(
                             OutcomeCase{"OtherType", {"--type", "11"},
                                         "Подключенный прибор имеет другой тип (тип 11)",
                                         "Подключенный прибор имеет другой тип (тип 11)"},
                             OutcomeCase{"Silent", {"--silent"}, "Нет ответа от прибора",
                                         "Нет ответа от прибора\nЭхо не приходит: проверьте "
                                         "кабель, адаптер и питание прибора."},
                             OutcomeCase{"EchoOnly", {"--mute"}, "Нет ответа от прибора",
                                         "Нет ответа от прибора\nЭхо приходит, но прибор не "
                                         "отвечает: проверьте, что к линии подключён прибор "
                                         "Kerma-740 и он включён."}),
                         [](const auto& info) { return std::string(info.param.name); });

// A refused upload, and one the panel takes whole and never answers (the firmware ends in 0x00,
// the byte the last echo leaves behind): both are a failed upload, never a new firmware to
// reconnect to.
struct UploadFailureCase {
    const char* name;
    std::vector<std::string> panelArgs;
    char lastByte;
};

class UploadFailureTest : public ProgramPanelTest,
                          public ::testing::WithParamInterface<UploadFailureCase> {};

TEST_P(UploadFailureTest, EndsWithTheFirmwareError) {
    const UploadFailureCase& c = GetParam();
    TempDir dir;
    WriteTestFirmware(dir, 33, 64, c.lastByte);
    WorkingDirectory cwd(dir.file(""));
    std::vector<std::string> args{"--version", "18"};
    args.insert(args.end(), c.panelArgs.begin(), c.panelArgs.end());
    PanelProcess panel(dir.file("com1"), args);
    ASSERT_TRUE(panel.ready());
    VariantThreeChosen program(dir.file("com1"));
    ScriptedPrompts& prompts = program.prompts;
    std::vector<std::string> statuses;
    program.main.hooks.showEditor = [&](TK740Form& form) {
        RecordStatuses(form, statuses);
        form.show();
        EXPECT_TRUE(qWaitFor(
            [&] {
                return !prompts.shown.empty() &&
                       prompts.shown.back() == "Ошибка при смене прошивки! Повторите процедуру.";
            },
            30000));
        EXPECT_EQ(form.editor().status(0), "Ошибка: Dallas CRC (прибор не принял прошивку)");
        form.reject();
    };
    program.main.connectToPanel();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Прошивка загружена успешно"), 0);
}

INSTANTIATE_TEST_SUITE_P(Panels, UploadFailureTest,
                         ::testing::Values(UploadFailureCase{"Refused", {"--refuse-upload"}, 0x3C},
                                           UploadFailureCase{"SilentAfterTheFirmware",
                                                             {"--upload-silent-after", "71"},
                                                             0x00}),
                         [](const auto& info) { return std::string(info.param.name); });

// A panel paced at 4800 baud on "com 1", so a test can act while a frame is on its way, and the
// program with scripted prompts.
struct PacedPanel {
    TempDir dir;
    PanelProcess panel{dir.file("com1"), {"--baud", "4800"}};
};

struct PacedProgram : PacedPanel, Program {
    PacedProgram() : Program(dir.file("com1")) {}
};

// "Разорвать связь" in the middle of a read: the status bar says there is no link, and no
// time-out of the stopped read comes after it.
TEST_F(ProgramPanelTest, BreakingTheLinkDuringAReadLeavesNoLinkOnTheStatusBar) {
    PacedProgram rig;
    ASSERT_TRUE(rig.panel.ready());
    ScriptedPrompts& prompts = rig.prompts;
    TMainForm& main = rig.main;
    bool checked = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForStatus(form, "Идет чтение конфигурации ... . ", 20000))
            << form.editor().status(0);
        QTest::qWait(500);  // the codes frame is coming in
        Click(form, "CancelButton");
        EXPECT_EQ(form.editor().status(0), "Нет связи с прибором");
        QTest::qWait(3000);  // longer than a time-out of the stopped read
        EXPECT_EQ(form.editor().status(0), "Нет связи с прибором");
        EXPECT_TRUE(form.model().at("ConnectButton").enabled);
        EXPECT_TRUE(prompts.shown.empty());
        checked = true;
        form.reject();
    };
    main.connectToPanel();
    EXPECT_TRUE(checked);
}

// "Установить связь" at once after a read was cut: the panel is still sending the rest of its
// frame, and the handshake waits for the line to fall quiet instead of taking those bytes for
// its answer (another type, another version).
TEST_F(ProgramPanelTest, ConnectRightAfterACutReadWaitsForAQuietLine) {
    PacedProgram rig;
    ASSERT_TRUE(rig.panel.ready());
    ScriptedPrompts& prompts = rig.prompts;
    TMainForm& main = rig.main;
    std::vector<std::string> statuses;
    bool readAgain = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);
        RecordStatuses(form, statuses);
        Click(form, "ReadButton");
        QTest::qWait(400);  // the codes frame is coming in
        Click(form, "CancelButton");
        Click(form, "ConnectButton");
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);
        readAgain = true;
        form.reject();
    };
    main.connectToPanel();
    EXPECT_TRUE(readAgain);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{});
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), OutcomeText(LinkResult::LineBusy)),
              statuses.end());
}

// The adapter pulled in the middle of a read: the panel's end of the line goes away. It is named
// at once (the port has gone, the link is down, no time-out or tries in between), and once the
// panel is back "Установить связь" connects and reads again. Before that, the same port is
// closed and opened again: the exclusive open must not lock an ordinary user out of it.
TEST_F(ProgramPanelTest, LinePulledMidReadEndsClearlyAndReconnects) {
    TempDir dir;
    const std::string link = dir.file("com1");
    // Paced, so the test can pull the line while the codes block is under way.
    const std::vector<std::string> args{"--baud", "9600"};
    auto panel = std::make_unique<PanelProcess>(link, args);
    ASSERT_TRUE(panel->ready());
    Program program(link);
    ScriptedPrompts& prompts = program.prompts;
    TMainForm& main = program.main;
    bool readAgain = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);
        Click(form, "CancelButton");
        Click(form, "ConnectButton");
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);

        auto* progress = form.findChild<QProgressBar*>();
        ASSERT_NE(progress, nullptr);
        Click(form, "ReadButton");
        ASSERT_TRUE(
            qWaitFor([&] { return progress->isVisible() && progress->value() >= 10; }, 10000));
        panel->stop(SIGKILL);
        ASSERT_TRUE(qWaitFor([&] { return !prompts.shown.empty() && !main.runner().busy(); },
                               20000))
            << form.editor().status(0);
        EXPECT_EQ(prompts.shown, std::vector<std::string>{
                                     "Порт COM1 пропал: адаптер отключён от компьютера."});
        EXPECT_EQ(form.editor().status(0), "Нет связи с прибором");
        EXPECT_EQ(form.editor().status(1), "Режим <on-line>.");
        EXPECT_FALSE(form.model().at("ReadButton").enabled);
        EXPECT_FALSE(form.model().at("CancelButton").enabled);
        EXPECT_TRUE(form.model().at("ConnectButton").enabled);

        panel = std::make_unique<PanelProcess>(link, args);
        ASSERT_TRUE(panel->ready());
        Click(form, "ConnectButton");
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);
        readAgain = true;
        form.reject();
    };
    main.connectToPanel();
    EXPECT_TRUE(readAgain);
    EXPECT_EQ(prompts.shown.size(), 1u);
}

// What the installer does while a write is on the line, and what must follow.
struct WriteInterruption {
    const char* name;
    int atPercent;  // of the chain's bytes: the codes block is the first half
    std::function<void(TK740Form&, PanelProcess&)> act;
    bool asks;       // the question before the write is broken off comes
    bool yes;        // its answer
    bool completes;  // the write reaches its end
};

class RunningWriteTest : public ::testing::TestWithParam<WriteInterruption> {
  protected:
    void SetUp() override { TestApp(); }
};

// A write on the line belongs to the panel: closing the editor or breaking the link asks first
// and "Нет" lets it run to its end; the file commands are off; a write cut between its blocks
// says so, with the backup of what the panel held. Paced so each step falls inside the write.
TEST_P(RunningWriteTest, IsNeverCutWithoutTheInstallerKnowing) {
    const WriteInterruption& c = GetParam();
    PacedProgram rig;
    ASSERT_TRUE(rig.panel.ready());
    ScriptedPrompts& prompts = rig.prompts;
    prompts.answers = {c.yes};
    TMainForm& main = rig.main;
    const std::string question =
        "Подтверждение|Идёт запись в прибор. Если прервать её, в приборе может остаться неполная "
        "конфигурация. Прервать запись?";
    const std::string cut =
        "Запись не завершена: в приборе могут быть новые коды и старые "
        "настройки. Запишите конфигурацию ещё раз.\nПрежняя конфигурация "
        "прибора сохранена в файле ";
    bool checked = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(WaitForRead(form)) << form.editor().status(0);
        prompts.shown.clear();
        auto* progress = form.findChild<QProgressBar*>();
        ASSERT_NE(progress, nullptr);
        Click(form, "WriteButton");
        ASSERT_TRUE(qWaitFor([&] { return progress->value() >= c.atPercent; }, 20000));
        EXPECT_FALSE(form.model().at("DefaultButton").enabled);
        EXPECT_FALSE(form.model().at("LoadButton").enabled);
        c.act(form, rig.panel);
        if (c.completes) {
            ASSERT_TRUE(WaitForStatus(form, "Запись конфигурации завершена"))
                << form.editor().status(0);
            EXPECT_TRUE(form.isVisible());
            EXPECT_TRUE(form.model().at("DefaultButton").enabled);
        } else {
            ASSERT_TRUE(qWaitFor(
                [&] { return !prompts.shown.empty() && prompts.shown.back().rfind(cut, 0) == 0; },
                30000))
                << (prompts.shown.empty() ? form.editor().status(0) : prompts.shown.back());
            EXPECT_NE(prompts.shown.back().find("before-write"), std::string::npos);
        }
        const bool asked = !prompts.shown.empty() && prompts.shown.front() == question;
        EXPECT_EQ(asked, c.asks);
        checked = true;
        form.reject();
    };
    main.connectToPanel();
    EXPECT_TRUE(checked);
}

INSTANTIATE_TEST_SUITE_P(
    Acts, RunningWriteTest,
    ::testing::Values(
        WriteInterruption{
            "EscapeNo", 25,
            [](TK740Form& form, PanelProcess&) { QTest::keyClick(&form, Qt::Key_Escape); }, true,
            false, true},
        WriteInterruption{"BreakYes", 60,
                          [](TK740Form& form, PanelProcess&) { Click(form, "CancelButton"); },
                          true, true, false},
        WriteInterruption{"Defaults", 20,
                          [](TK740Form& form, PanelProcess&) { Click(form, "DefaultButton"); },
                          false, false, true},
        WriteInterruption{"PanelKilled", 60,
                          [](TK740Form&, PanelProcess& panel) { panel.stop(SIGKILL); }, false,
                          false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Root opens any device, so this says something only when the tests run as an ordinary user
// (./test does that once).
TEST_F(ProgramPanelTest, PortTheUserMayNotOpenGivesTheBusyMessage) {
    if (geteuid() == 0) GTEST_SKIP() << "root may open every port";
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    ASSERT_EQ(chmod(name, 0), 0);
    setenv("KERMA740_COM1", name, 1);
    TMainForm main{Made(LinkRunner::Create())};
    QString shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    answer.start(20);
    main.connectToPanel();
    EXPECT_EQ(shown.toStdString(),
              "Порт COM1 занят другой программой или не доступен.\nПричина: нет прав доступа.");
    EXPECT_FALSE(main.editorOpen());
    close(master);
    close(slave);
}

}  // namespace
}  // namespace kerma
