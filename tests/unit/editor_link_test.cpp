// The editor's side of the link, headless: outcomes on the status bar and in message boxes, the
// chains, identification and the write after a firmware replacement, against the in-process
// panel.
#include "editor_link.h"

#include <gtest/gtest.h>

#include <fstream>

#include "codes_image.h"
#include "config_file.h"
#include "session_rig.h"
#include "settings_image.h"

namespace kerma {
namespace {

bool Contains(const std::vector<uint8_t>& bytes, std::vector<uint8_t> run) {
    return std::search(bytes.begin(), bytes.end(), run.begin(), run.end()) != bytes.end();
}

// Hands every step on to the editor's link, after letting a test act on an outcome.
struct OutcomeSpy final : LinkHost {
    explicit OutcomeSpy(LinkHost& link) : link(link) {}
    LinkHost& link;
    std::function<void(int32_t)> onOutcome;
    void outcome(const LinkOutcome& o) override {
        link.outcome(o);
        if (onOutcome) onOutcome(o.code);
    }
    void progress(LinkOperation op, int done, int total) override { link.progress(op, done, total); }
    void identified(Block b) override { link.identified(std::move(b)); }
    void configurationRead(Block s, Block c) override { link.configurationRead(std::move(s), std::move(c)); }
    void codesFrameSent() override { link.codesFrameSent(); }
    void codesFrameRefused() override { link.codesFrameRefused(); }
    void configurationWritten() override { link.configurationWritten(); }
    void uploadReady() override { link.uploadReady(); }
    void uploadEnded(bool accepted) override { link.uploadEnded(accepted); }
};

// A line of a configuration file.
std::string FileLine(const std::string& path, int n) {
    std::ifstream in(path);
    std::string line;
    for (int i = 0; i <= n && std::getline(in, line); ++i) {}
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// A session over the in-process panel. A firmware file for variant 3 is in the base.
struct Rig final : test::PanelSessionRig {
    EditorLink* link = nullptr;

    explicit Rig(uint8_t version, int chosenVariant = 1) : PanelSessionRig(9, version) {
        window.chosen = chosenVariant;
        base.put("740-QNMv3_9.tsk", MakeFirmware(33, 16));
        openOn(driver, noView);
        link = &session->link();
    }

    void connect() {
        driver.state().identifyPending = true;
        link->connectCommand();
        driver.pump();
    }
    // The firmware replacement took over, for variant 3's file.
    bool replacing() const {
        return session->replacingFirmware() && session->firmware().fileName() == "740-QNMv3_9.tsk";
    }
    std::vector<std::string> backups() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(backupFolder(), ec))
            names.push_back(e.path().string());
        return names;
    }
};

// The link down as "Разорвать связь" leaves it: the port closed and "Установить связь" on offer.
void ExpectLinkDown(Rig& rig, const std::string& status0 = "Нет связи с прибором") {
    EXPECT_EQ(rig.editor.status(0), status0);
    EXPECT_FALSE(rig.driver.portOpen());
    EXPECT_EQ(rig.enabled({"ConnectButton", "CancelButton"}), (std::vector<bool>{true, false}));
}

TEST(EditorLinkTest, ConnectIdentifiesShapesAndReadsThePanel) {
    Rig rig(17);
    rig.connect();
    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_EQ(rig.editor.state().versionText, "1.7");
    EXPECT_FALSE(rig.driver.state().identifyPending);
    EXPECT_EQ(rig.driver.state().layoutCode, 99);
    // Minor 7: GSMkom comes back, the user password and partition names stay hidden.
    EXPECT_FALSE(rig.editor.model().at("GroupBox21").visible);
    EXPECT_TRUE(rig.editor.model().at("GSMkom").visible);
    EXPECT_FALSE(rig.editor.model().at("kom781").visible);
    EXPECT_EQ(rig.session->image().settingsCopy[1], 17);
    const Block& codes = rig.editor.state().codesImage;
    ASSERT_GE(codes.size(), 1024u);
    EXPECT_TRUE(std::equal(codes.begin(), codes.begin() + 1024, rig.panel.codes().begin()));
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 1.7  Чтение конфигурации завершено");
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>. На линии прибор версии v 1.7.");
    EXPECT_EQ(rig.editor.model().at("VersionLabel").caption, "Версия ПО прибора: 1.7");
    EXPECT_EQ(rig.enabled({"ReadButton", "WriteButton", "CancelButton", "ConnectButton"}),
              (std::vector<bool>{true, true, true, false}));
    // The read chain's command frames carried the regular layout byte.
    const auto& rx = rig.panel.received();
    EXPECT_TRUE(Contains(rx, {0x55, 99, 0x93}));
    const auto& progress = rig.window.progress;
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), -1);  // hidden at the end
    EXPECT_NE(std::find(progress.begin(), progress.end(), 100), progress.end());
}

// A connect that ended before the panel was identified leaves an editor without a version: it
// has nothing to save yet, and the defaults and "Записать в файл" then work for the variant
// chosen on the main window, as in a demo.
TEST(EditorLinkTest, EditorWithoutAPanelWorksForTheChosenVariant) {
    Rig rig(18, 3);
    rig.panel.faults().silent = true;
    rig.connect();
    rig.prompts.shown.clear();
    const std::string file = (rig.base.folder().parent_path() / "object.cfg").string();
    rig.prompts.files = {file};
    EXPECT_FALSE(rig.session->saveCommand());
    EXPECT_EQ(rig.prompts.shown,
              std::vector<std::string>{"В редакторе нет конфигурации для записи в файл."});
    rig.session->defaultsCommand();
    EXPECT_EQ(rig.editor.state().layoutVariant, 3);
    EXPECT_EQ(rig.editor.state().versionText, "3.3");
    rig.prompts.files = {file};
    EXPECT_TRUE(rig.session->saveCommand());
    EXPECT_EQ(rig.prompts.shown.size(), 1u);
    const auto saved = ReadConfigFile(file);
    ASSERT_TRUE(saved.ok()) << saved.error();
    EXPECT_EQ(VariantOfVersion(saved->settings[1]), 3);
}

TEST(EditorLinkTest, OtherVariantAsksForReplacementAndNoClosesTheEditor) {
    Rig rig(52);
    rig.connect();
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_EQ(rig.prompts.shown[0],
              "Подтверждение|ПО прибора ППКОП Kerma-740 версия v 5.2 не соответсвует выбранному "
              "вами типу системы. Провести смену ПО прибора? Это процедура займет примерно 10 "
              "минут.");
    EXPECT_TRUE(rig.window.closed);
    EXPECT_FALSE(rig.session->replacingFirmware());
    EXPECT_TRUE(rig.driver.state().identifyPending);
    EXPECT_EQ(rig.driver.state().layoutCode, 85);
}

TEST(EditorLinkTest, YesHandsOverToTheReplacement) {
    Rig rig(18, 3);
    rig.prompts.answers = {true};
    rig.connect();
    EXPECT_TRUE(rig.replacing());
    EXPECT_FALSE(rig.window.closed);
}

// New firmware erases the configuration: the panel is read with its present layout first, and
// that read is nobody's read (no status of its own, no read or write button to start another).
TEST(EditorLinkTest, PanelIsReadBeforeItsFirmwareIsReplaced) {
    Rig rig(18, 3);
    rig.prompts.answers = {true};
    rig.panel.codes()[5] = 0x42;
    rig.connect();
    // Read with the layout of the panel's own variant 1.
    EXPECT_TRUE(Contains(rig.panel.received(), {0x55, 99, 0x93}));
    EXPECT_TRUE(rig.replacing());
    // Kept as a file: the settings block (version 1.8), then the codes block.
    const auto kept = rig.backups();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(FileLine(kept[0], 1), "18");
    EXPECT_EQ(FileLine(kept[0], 1024 + 5), "66");
    EXPECT_EQ(rig.session->image().settingsCopy[1], 0);  // nothing decoded into the editor
    EXPECT_EQ(rig.enabled({"ReadButton", "WriteButton"}), (std::vector<bool>{false, false}));
    EXPECT_EQ(rig.editor.status(0).find("Чтение конфигурации завершено"), std::string::npos);
}

// A panel that cannot be read over this line gets no firmware over it either.
TEST(EditorLinkTest, PanelThatCannotBeReadFirstKeepsItsFirmware) {
    Rig rig(18, 3);
    rig.prompts.answers = {true};
    rig.prompts.afterQuestion = [&] { rig.panel.faults().notReady = true; };
    rig.connect();
    EXPECT_FALSE(rig.session->replacingFirmware());
    EXPECT_TRUE(rig.backups().empty());
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1].find("Конфигурацию прибора перед сменой прошивки считать не "
                                        "удалось. Прошивка не заменена"),
              0u);
    EXPECT_EQ(rig.editor.status(0), "Ошибка: Dallas CRC (прибор не сообщил о готовности)");
    EXPECT_EQ(rig.enabled({"CancelButton", "WriteButton"}), (std::vector<bool>{true, false}));
    // Connected anew, the read goes through: then the replacement.
    rig.panel.faults().notReady = false;
    rig.prompts.afterQuestion = nullptr;
    rig.prompts.answers = {true};
    rig.link->disconnectCommand();
    rig.connect();
    EXPECT_TRUE(rig.replacing());
}

TEST(EditorLinkTest, ErasedPanelIsOfferedAReplacement) {
    Rig rig(0);
    rig.connect();
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_NE(rig.prompts.shown[0].find("версия v 0.0 не соответсвует"), std::string::npos);
}

TEST(EditorLinkTest, PanelOfAnotherTypeClosesTheEditor) {
    Rig rig(18);
    rig.panel.faults().typeOverride = 11;
    rig.connect();
    EXPECT_EQ(rig.prompts.shown,
              std::vector<std::string>{"Подключенный прибор имеет другой тип (тип 11)"});
    EXPECT_TRUE(rig.window.closed);
}

TEST(EditorLinkTest, NoAnswerDisconnects) {
    Rig rig(18);
    rig.panel.faults().silent = true;
    rig.connect();
    EXPECT_EQ(rig.prompts.shown,
              std::vector<std::string>{"Нет ответа от прибора\nЭхо не приходит: проверьте кабель, "
                                       "адаптер и питание прибора."});
    ExpectLinkDown(rig, "Нет ответа от прибора");
}

TEST(EditorLinkTest, AttemptTextNamesTheAttempt) {
    Rig rig(18);
    rig.link->outcome({LinkResult::Attempt, 3});
    EXPECT_EQ(rig.editor.status(0), "Установка связи с прибором...Попытка №3 из 10");
}

struct OutcomeCase {
    int32_t code;
    std::string status0;  // "" leaves the panel as it was
    std::string notice;
};

class OutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

// Every outcome code's own reaction, with the device caption of a 1.8 panel.
TEST_P(OutcomeTest, ShowsItsTexts) {
    Rig rig(18);
    rig.editor.setVersion(18);
    rig.editor.setStatus(0, "before");
    rig.link->outcome({GetParam().code, 4});
    EXPECT_EQ(rig.editor.status(0), GetParam().status0.empty() ? "before" : GetParam().status0);
    if (GetParam().notice.empty())
        EXPECT_TRUE(rig.prompts.shown.empty());
    else
        EXPECT_EQ(rig.prompts.shown, std::vector<std::string>{GetParam().notice});
}

INSTANTIATE_TEST_SUITE_P(
    Codes, OutcomeTest,
    ::testing::Values(
        OutcomeCase{1, "Нет ответа от прибора", "Нет ответа от прибора"},
        OutcomeCase{2, "", "Подключенный прибор имеет другой тип (тип 0)"},
        OutcomeCase{3, "Ошибка: Dallas CRC", "Ошибка: Dallas CRC"},
        OutcomeCase{4, "Ошибка: Dallas CRC", ""}, OutcomeCase{5, "", ""},
        OutcomeCase{6, "Ошибка: Time-Out", ""},
        OutcomeCase{7, "Установка связи с прибором...Попытка №4 из 10", ""},
        OutcomeCase{10, "ППКОП Kerma-740 версия v 1.8  Запись конфигурации завершена", ""},
        OutcomeCase{11, "ППКОП Kerma-740 версия v 1.8  Чтение конфигурации завершено", ""},
        OutcomeCase{12, "Прошивка загружена успешно", ""},
        OutcomeCase{13, "Нет связи с прибором", ""},
        OutcomeCase{14, "Нет связи с прибором", "Порт COM1 пропал: адаптер отключён от компьютера."},
        OutcomeCase{18, "Связь установлена. Идет проверка версии программного обеспечения", ""},
        OutcomeCase{99, "", ""}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(EditorLinkTest, ReadAndWriteOutcomesSetTheModeLine) {
    Rig rig(18);
    rig.editor.setVersion(18);
    rig.link->outcome({LinkResult::Read});
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>. На линии прибор версии v 1.8.");
    EXPECT_EQ(rig.editor.model().at("VersionLabel").caption, "Версия ПО прибора: 1.8");
    rig.editor.setStatus(1, "");
    rig.link->outcome({LinkResult::Written});
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>. На линии прибор версии v 1.8.");
}

TEST(EditorLinkTest, WriteStoresBothBlocksAndReportsIt) {
    Rig rig(33, 3);
    rig.connect();
    rig.link->writeCommand();
    rig.driver.pump();
    const Block codes = EncodeCodesImage(rig.editor, rig.session->image());
    EXPECT_TRUE(std::equal(codes.begin(), codes.begin() + 1024, rig.panel.codes().begin()));
    EXPECT_EQ(rig.panel.settings()[100],
              EncodeSettingsImage(rig.editor, rig.session->image()).value()[100]);
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 3.3  Запись конфигурации завершена");
    EXPECT_EQ(rig.enabled({"PageControl", "WriteButton"}), (std::vector<bool>{true, true}));
}

// A write that ends once its codes frame was on the line may leave new codes beside old settings:
// the user hears it, with the backup of what the panel held, even when the panel's refusal of
// the codes came (a noisy line proves nothing). One that ends before the codes frame was whole
// leaves the panel as it was and says only its outcome. No file or defaults may be loaded over
// the editor while the chain runs.
TEST(EditorLinkTest, WriteCutBetweenItsBlocksIsSaidAloud) {
    const std::string cut =
        "Запись не завершена: в приборе могут быть новые коды и старые настройки. Запишите "
        "конфигурацию ещё раз.\nПрежняя конфигурация прибора сохранена в файле ";
    const std::string gone = "Порт COM1 пропал: адаптер отключён от компьютера.";
    // Bytes the program sends until the codes frame of the write is whole: the connect's
    // handshake and three reads, then the write's command and frame.
    constexpr int kBytesToCodesCrc = 20 + 4 + 1027;
    const auto faults = [](auto set) {
        PanelFaults f;
        set(f);
        return f;
    };
    const struct {
        const char* name;
        int atPercent;  // of the chain when the cut comes; 0: the panel's faults from the start
        bool userBreak;
        PanelFaults from;
        std::string status0;
        std::vector<std::string> notices;  // before the cut's notice
        bool said;
    } cases[] = {
        {"settings refused", 51, false, {}, "Ошибка: Dallas CRC (прибор не принял блок)", {}, true},
        {"user break", 51, true, {}, "Нет связи с прибором", {}, true},
        {"codes refused", 0, false, faults([](PanelFaults& f) { f.refuseWrite = true; }),
         "Ошибка: Dallas CRC (прибор не принял блок)", {}, true},
        {"user break in the codes frame", 20, true, {}, "Нет связи с прибором", {}, false},
        {"power lost after the codes", 0, false,
         faults([](PanelFaults& f) { f.powerLossAfterCodes = true; }),
         "Ошибка: Dallas CRC (прибор не ответил о записи блока)", {}, true},
        {"adapter pulled at the status", 0, false,
         faults([](PanelFaults& f) { f.hangUpAfter = kBytesToCodesCrc; }), "Нет связи с прибором",
         {gone}, true},
        {"garbled codes frame", 0, false, faults([](PanelFaults& f) { f.garbleWrite = true; }),
         "Ошибка: Dallas CRC (эхо не совпало с переданным байтом)", {}, false},
        {"late status", 0, false, faults([](PanelFaults& f) { f.statusDelayMs = 600; }),
         "ППКОП Kerma-740 версия v 1.8  Запись конфигурации завершена", {}, false},
    };
    for (const auto& c : cases) {
        Rig rig(18);
        rig.connect();
        rig.panel.faults() = c.from;
        bool fileCommandsOff = true;
        rig.window.onProgress = [&](int percent) {
            fileCommandsOff &= !rig.enabled("DefaultButton") && !rig.enabled("LoadButton");
            if (c.atPercent == 0 || percent < c.atPercent) return;
            if (c.userBreak)
                rig.link->disconnectCommand();
            else
                rig.panel.faults().refuseWrite = true;
        };
        rig.link->writeCommand();
        EXPECT_TRUE(rig.link->writing()) << c.name;
        rig.driver.pump();
        const std::string& backup = rig.session->safety().beforeWriteBackup();
        EXPECT_FALSE(backup.empty()) << c.name;
        std::vector<std::string> notices = c.notices;
        if (c.said) notices.push_back(cut + backup);
        EXPECT_EQ(rig.prompts.shown, notices) << c.name;
        EXPECT_EQ(rig.editor.status(0), c.status0) << c.name;
        EXPECT_TRUE(fileCommandsOff) << c.name;
        EXPECT_FALSE(rig.link->chainRunning()) << c.name;
        EXPECT_TRUE(rig.enabled("DefaultButton") && rig.enabled("LoadButton")) << c.name;
    }
}

// A port that does not open leaves the link down: "Установить связь" stays on offer.
TEST(EditorLinkTest, ConnectOnAPortThatDoesNotOpenKeepsTheLinkDown) {
    Rig rig(18);
    rig.connect();
    rig.link->disconnectCommand();
    rig.portOpens = false;
    rig.link->connectCommand();
    ExpectLinkDown(rig);
    EXPECT_FALSE(rig.link->chainRunning());
}

TEST(EditorLinkTest, RefusedWriteLeavesButtonsDisabled) {
    Rig rig(18);
    rig.connect();
    rig.panel.faults().refuseWrite = true;
    rig.link->writeCommand();
    rig.driver.pump();
    EXPECT_EQ(rig.editor.status(0), "Ошибка: Dallas CRC (прибор не принял блок)");
    EXPECT_EQ(rig.enabled({"ReadButton", "WriteButton", "PageControl"}),
              (std::vector<bool>(3, false)));
}

// A port that stops taking bytes in the middle of a write (an adapter pulled out) has lost the
// panel: the link is broken as "Разорвать связь" breaks it, so the installer sees that there is
// no link and can make it again, instead of a CRC error on a frame the panel never saw end.
TEST(EditorLinkTest, PortFailingMidWriteBreaksTheLink) {
    Rig rig(18);
    rig.connect();
    rig.window.onProgress = [&rig](int percent) {
        if (percent > 4) rig.channel.setWritesFail(true);
    };
    rig.link->writeCommand();
    rig.driver.pump();
    ExpectLinkDown(rig);
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>.");
    EXPECT_EQ(rig.prompts.shown,
              std::vector<std::string>{"Порт COM1 пропал: адаптер отключён от компьютера."});
    EXPECT_FALSE(rig.enabled("WriteButton"));
    EXPECT_EQ(rig.window.progress.back(), -1);
    EXPECT_EQ(rig.panel.acceptedWrites(), 0);
}

TEST(EditorLinkTest, SettingsThatCannotBeBuiltStopTheWriteBeforeAnyByte) {
    Rig rig(18);
    rig.connect();
    rig.panel.clearRecord();
    rig.editor.model().setText("PasswordEdit", "");
    rig.link->writeCommand();
    rig.driver.pump();
    EXPECT_TRUE(rig.panel.received().empty());
    EXPECT_EQ(rig.prompts.shown.back(),
              "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!");
    EXPECT_TRUE(rig.enabled("WriteButton"));
}

TEST(EditorLinkTest, DisconnectStopsAndCloses) {
    Rig rig(18);
    rig.connect();
    rig.link->disconnectCommand();
    ExpectLinkDown(rig);
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>.");
    EXPECT_FALSE(rig.enabled("PageControl"));
}

// As on the worker: a stopped exchange chains nothing, so no identification read follows.
TEST(EditorLinkTest, DisconnectAsThePanelAnswersEndsTheChain) {
    Rig rig(18);
    OutcomeSpy spy(*rig.link);
    rig.driver.setHost(spy);
    spy.onOutcome = [&](int32_t code) {
        if (code == LinkResult::Linked) rig.link->disconnectCommand();
    };
    rig.connect();
    EXPECT_FALSE(Contains(rig.panel.received(), {0x55, 85, 0x91}));
    EXPECT_TRUE(rig.editor.state().versionText.empty());
    ExpectLinkDown(rig);
}

TEST(EditorLinkTest, NewFirmwareGetsFactoryDefaultsWrittenWithTheWideLayout) {
    Rig rig(35, 3);
    rig.driver.state().firmwareReplaced = true;
    rig.connect();
    EXPECT_FALSE(rig.session->image().factorySettings.empty());  // the defaults were taken
    EXPECT_FALSE(rig.driver.state().firmwareReplaced);
    // Codes with layout 0x66: 1792 bytes went to the panel.
    const Block codes = EncodeCodesImage(rig.editor, rig.session->image());
    ASSERT_GE(codes.size(), 1792u);
    EXPECT_TRUE(std::equal(codes.begin(), codes.begin() + 1792, rig.panel.codes().begin()));
    const auto& rx = rig.panel.received();
    EXPECT_TRUE(Contains(rx, {0x55, 0x66, 0x94}));
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 3.5  Запись конфигурации завершена");
    // From here on the regular blocks.
    EXPECT_EQ(rig.driver.state().layoutCode, 99);
    EXPECT_FALSE(rig.editor.state().defaultsAfterReplace);
}

}  // namespace
}  // namespace kerma
