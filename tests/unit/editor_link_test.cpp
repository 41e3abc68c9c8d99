// The editor's side of the link, headless: outcomes on the status bar and in message boxes, the
// chains, identification and the write after a firmware replacement, against the in-process
// panel.
#include "editor_link.h"

#include <gtest/gtest.h>

#include "frames.h"
#include "in_process_channel.h"
#include "inline_driver.h"
#include "scripted_prompts.h"
#include "virtual_panel.h"

namespace kerma {
namespace {

using test::Pattern;

bool Contains(const std::vector<uint8_t>& bytes, std::vector<uint8_t> run) {
    return std::search(bytes.begin(), bytes.end(), run.begin(), run.end()) != bytes.end();
}

struct Rig {
    VirtualPanel panel;
    VirtualClock clock;
    InProcessChannel channel{panel, clock};
    InlineDriver driver{channel, clock};
    ScriptedPrompts prompts;
    K740Editor editor{prompts};
    int chosen = 1;
    bool closed = false;
    int replaceVariant = 0;
    int defaultsLoaded = 0;
    Block decodedSettings, decodedCodes;
    std::vector<std::pair<int, int>> progress;
    std::function<void(int done)> onProgress;
    std::function<void(int32_t code)> onOutcome;
    std::string encodeError;
    // The safety net's read before a replacement: asked for when set; what it received.
    std::function<bool(int panelVariant, int newVariant)> readFirst;
    std::vector<Block> readBeforeReplace;  // settings, codes
    std::unique_ptr<EditorLink> link;

    explicit Rig(uint8_t version) : panel(9, version) {
        EditorLinkHooks hooks;
        hooks.chosenVariant = [this] { return chosen; };
        hooks.openAndHandshake = [this] {
            driver.open();
            driver.start(LinkOperation::Handshake, {});
            return true;
        };
        hooks.closeEditor = [this] { closed = true; };
        hooks.replaceFirmware = [this](int v) { replaceVariant = v; };
        hooks.readBeforeReplace = [this](int p, int n) { return readFirst && readFirst(p, n); };
        hooks.panelBeforeReplace = [this](const Block& s, const Block& c) {
            readBeforeReplace = {s, c};
        };
        hooks.decode = [this](const Block& s, const Block& c) {
            decodedSettings = s;
            decodedCodes = c;
            editor.model().setEnabled("PageControl", true);
        };
        hooks.encodeCodes = [this] { return Pattern(CodesLength(driver.state().layoutCode), 1, 5); };
        hooks.encodeSettings = [this](Block& s) {
            s = Pattern(SettingsLength(driver.state().layoutCode), 2, 5);
            s[1] = panel.version();
            return encodeError;
        };
        hooks.loadDefaultsAfterReplace = [this](int) { ++defaultsLoaded; };
        hooks.formerConfigBackup = [] { return std::string("/backups/before-write.cfg"); };
        hooks.outcomeSeen = [this](int32_t code) {
            if (onOutcome) onOutcome(code);
        };
        hooks.chainProgress = [this](int done, int total) {
            progress.emplace_back(done, total);
            if (onProgress) onProgress(done);
        };
        link = std::make_unique<EditorLink>(editor, driver, std::move(hooks));
        driver.setHost(*link);
    }

    void connect() {
        driver.state().identifyPending = true;
        link->connectCommand();
        driver.pump();
    }
    bool enabled(const char* name) { return editor.model().at(name).enabled; }
};

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
    ASSERT_EQ(rig.decodedSettings.size(), 1024u);
    EXPECT_EQ(rig.decodedSettings[1], 17);
    EXPECT_EQ(rig.decodedCodes.size(), 1024u);
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 1.7  Чтение конфигурации завершено");
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>. На линии прибор версии v 1.7.");
    EXPECT_EQ(rig.editor.model().at("VersionLabel").caption, "Версия ПО прибора: 1.7");
    EXPECT_TRUE(rig.enabled("ReadButton"));
    EXPECT_TRUE(rig.enabled("WriteButton"));
    EXPECT_TRUE(rig.enabled("CancelButton"));
    EXPECT_FALSE(rig.enabled("ConnectButton"));
    // The read chain's command frames carried the regular layout byte.
    const auto& rx = rig.panel.received();
    EXPECT_TRUE(Contains(rx, {0x55, 99, 0x93}));
    ASSERT_FALSE(rig.progress.empty());
    EXPECT_EQ(rig.progress.back(), std::make_pair(0, 0));  // hidden at the end
    const int total = 1027 + 1027;
    EXPECT_NE(std::find(rig.progress.begin(), rig.progress.end(), std::make_pair(total, total)),
              rig.progress.end());
}

TEST(EditorLinkTest, OtherVariantAsksForReplacementAndNoClosesTheEditor) {
    Rig rig(52);
    rig.connect();
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_EQ(rig.prompts.shown[0],
              "Подтверждение|ПО прибора ППКОП Kerma-740 версия v 5.2 не соответсвует выбранному "
              "вами типу системы. Провести смену ПО прибора? Это процедура займет примерно 10 "
              "минут.");
    EXPECT_TRUE(rig.closed);
    EXPECT_EQ(rig.replaceVariant, 0);
    EXPECT_TRUE(rig.driver.state().identifyPending);
    EXPECT_EQ(rig.driver.state().layoutCode, 85);
}

TEST(EditorLinkTest, YesHandsOverToTheReplacement) {
    Rig rig(18);
    rig.chosen = 3;
    rig.prompts.answers = {true};
    rig.connect();
    EXPECT_EQ(rig.replaceVariant, 3);
    EXPECT_FALSE(rig.closed);
}

// New firmware erases the configuration: the panel is read with its present layout first, and
// that read is nobody's read (no status of its own, no read or write button to start another).
TEST(EditorLinkTest, PanelIsReadBeforeItsFirmwareIsReplaced) {
    Rig rig(18);
    rig.chosen = 3;
    rig.prompts.answers = {true};
    std::pair<int, int> asked;
    rig.readFirst = [&](int panelVariant, int newVariant) {
        asked = {panelVariant, newVariant};
        return true;
    };
    rig.panel.codes()[5] = 0x42;
    rig.connect();
    EXPECT_EQ(asked, std::make_pair(1, 3));
    EXPECT_EQ(rig.replaceVariant, 3);
    ASSERT_EQ(rig.readBeforeReplace.size(), 2u);
    EXPECT_EQ(rig.readBeforeReplace[0].size(), 1024u);
    EXPECT_EQ(rig.readBeforeReplace[0][1], 18);
    EXPECT_EQ(rig.readBeforeReplace[1].size(), 1024u);
    EXPECT_EQ(rig.readBeforeReplace[1][5], 0x42);
    EXPECT_TRUE(rig.decodedSettings.empty());
    EXPECT_FALSE(rig.enabled("ReadButton"));
    EXPECT_FALSE(rig.enabled("WriteButton"));
    EXPECT_EQ(rig.editor.status(0).find("Чтение конфигурации завершено"), std::string::npos);
}

// A panel that cannot be read over this line gets no firmware over it either.
TEST(EditorLinkTest, PanelThatCannotBeReadFirstKeepsItsFirmware) {
    Rig rig(18);
    rig.chosen = 3;
    rig.prompts.answers = {true};
    rig.readFirst = [&](int, int) {
        rig.panel.faults().notReady = true;
        return true;
    };
    rig.connect();
    EXPECT_EQ(rig.replaceVariant, 0);
    EXPECT_TRUE(rig.readBeforeReplace.empty());
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1].find("Конфигурацию прибора перед сменой прошивки считать не "
                                        "удалось. Прошивка не заменена"),
              0u);
    EXPECT_EQ(rig.editor.status(0), "Ошибка: Dallas CRC");
    EXPECT_TRUE(rig.enabled("CancelButton"));
    EXPECT_FALSE(rig.enabled("WriteButton"));
    // Connected anew, the read goes through: then the replacement.
    rig.panel.faults().notReady = false;
    rig.readFirst = [](int, int) { return true; };
    rig.prompts.answers = {true};
    rig.link->disconnectCommand();
    rig.connect();
    EXPECT_EQ(rig.replaceVariant, 3);
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
    EXPECT_EQ(rig.prompts.shown, std::vector<std::string>{"Подключенный прибор имеет другой тип"});
    EXPECT_TRUE(rig.closed);
}

TEST(EditorLinkTest, NoAnswerDisconnects) {
    Rig rig(18);
    rig.panel.faults().silent = true;
    rig.connect();
    EXPECT_EQ(rig.prompts.shown, std::vector<std::string>{"Нет ответа от прибора"});
    EXPECT_EQ(rig.editor.status(0), "Нет ответа от прибора");
    EXPECT_TRUE(rig.enabled("ConnectButton"));
    EXPECT_FALSE(rig.enabled("CancelButton"));
    EXPECT_FALSE(rig.driver.portOpen());
}

TEST(EditorLinkTest, AttemptTextNamesTheAttempt) {
    Rig rig(18);
    rig.link->outcome(LinkResult::Attempt, 3);
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
    rig.link->outcome(GetParam().code, 4);
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
        OutcomeCase{2, "", "Подключенный прибор имеет другой тип"},
        OutcomeCase{3, "Ошибка: Dallas CRC", "Ошибка: Dallas CRC"},
        OutcomeCase{4, "Ошибка: Dallas CRC", ""}, OutcomeCase{5, "", ""},
        OutcomeCase{6, "Ошибка: Time-Out", ""},
        OutcomeCase{7, "Установка связи с прибором...Попытка №4 из 10", ""},
        OutcomeCase{10, "ППКОП Kerma-740 версия v 1.8  Запись конфигурации завершена", ""},
        OutcomeCase{11, "ППКОП Kerma-740 версия v 1.8  Чтение конфигурации завершено", ""},
        OutcomeCase{12, "Прошивка загружена успешно", ""},
        OutcomeCase{13, "Нет связи с прибором", ""}, OutcomeCase{14, "Нет связи с прибором", ""},
        OutcomeCase{18, "Связь установлена. Идет проверка версии программного обеспечения", ""},
        OutcomeCase{99, "", ""}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(EditorLinkTest, ReadAndWriteOutcomesSetTheModeLine) {
    Rig rig(18);
    rig.editor.setVersion(18);
    rig.link->outcome(LinkResult::Read, 0);
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>. На линии прибор версии v 1.8.");
    EXPECT_EQ(rig.editor.model().at("VersionLabel").caption, "Версия ПО прибора: 1.8");
    rig.editor.setStatus(1, "");
    rig.link->outcome(LinkResult::Written, 0);
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>. На линии прибор версии v 1.8.");
}

TEST(EditorLinkTest, WriteStoresBothBlocksAndReportsIt) {
    Rig rig(33);
    rig.chosen = 3;
    rig.connect();
    rig.link->writeCommand();
    rig.driver.pump();
    EXPECT_EQ(Block(rig.panel.codes().begin(), rig.panel.codes().begin() + 1024), Pattern(1024, 1, 5));
    EXPECT_EQ(rig.panel.settings()[100], Pattern(1024, 2, 5)[100]);
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 3.3  Запись конфигурации завершена");
    EXPECT_TRUE(rig.enabled("PageControl"));
    EXPECT_TRUE(rig.enabled("WriteButton"));
}

// A write that ends between its two blocks leaves new codes beside old settings: the user hears
// it, with the backup of what the panel held. One that ends before the codes block was whole
// leaves the panel as it was and says only its outcome. No file or defaults may be loaded over
// the editor while the chain runs.
TEST(EditorLinkTest, WriteCutBetweenItsBlocksIsSaidAloud) {
    const std::string cut =
        "Запись не завершена: в приборе могут быть новые коды и старые настройки. Запишите "
        "конфигурацию ещё раз.\nПрежняя конфигурация прибора сохранена в файле "
        "/backups/before-write.cfg";
    const struct {
        const char* name;
        int atBytes;  // chain bytes done when the cut comes; 0: the panel refuses from the start
        bool userBreak;
        std::string status0;
        std::vector<std::string> shown;
    } cases[] = {
        {"settings refused", 1040, false, "Ошибка: Dallas CRC", {cut}},
        {"user break", 1040, true, "Нет связи с прибором", {cut}},
        {"codes refused", 0, false, "Ошибка: Dallas CRC", {}},
    };
    for (const auto& c : cases) {
        Rig rig(18);
        rig.connect();
        rig.panel.faults().refuseWrite = c.atBytes == 0;
        bool fileCommandsOff = true;
        rig.onProgress = [&](int done) {
            fileCommandsOff &= !rig.enabled("DefaultButton") && !rig.enabled("LoadButton");
            if (c.atBytes == 0 || done < c.atBytes) return;
            if (c.userBreak)
                rig.link->disconnectCommand();
            else
                rig.panel.faults().refuseWrite = true;
        };
        rig.link->writeCommand();
        EXPECT_TRUE(rig.link->writing()) << c.name;
        rig.driver.pump();
        EXPECT_EQ(rig.prompts.shown, c.shown) << c.name;
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
    bool opens = false;
    EditorLinkHooks hooks;
    hooks.openAndHandshake = [&] { return opens; };
    EditorLink link(rig.editor, rig.driver, std::move(hooks));
    link.connectCommand();
    EXPECT_TRUE(rig.enabled("ConnectButton"));
    EXPECT_FALSE(rig.enabled("CancelButton"));
    EXPECT_FALSE(link.chainRunning());
}

TEST(EditorLinkTest, RefusedWriteLeavesButtonsDisabled) {
    Rig rig(18);
    rig.connect();
    rig.panel.faults().refuseWrite = true;
    rig.link->writeCommand();
    rig.driver.pump();
    EXPECT_EQ(rig.editor.status(0), "Ошибка: Dallas CRC");
    EXPECT_FALSE(rig.enabled("ReadButton"));
    EXPECT_FALSE(rig.enabled("WriteButton"));
    EXPECT_FALSE(rig.enabled("PageControl"));
}

// A port that stops taking bytes in the middle of a write (an adapter pulled out) has lost the
// panel: the link is broken as "Разорвать связь" breaks it, so the installer sees that there is
// no link and can make it again, instead of a CRC error on a frame the panel never saw end.
TEST(EditorLinkTest, PortFailingMidWriteBreaksTheLink) {
    Rig rig(18);
    rig.connect();
    rig.onProgress = [&rig](int done) {
        if (done > 100) rig.channel.setWritesFail(true);
    };
    rig.link->writeCommand();
    rig.driver.pump();
    EXPECT_EQ(rig.editor.status(0), "Нет связи с прибором");
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>.");
    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_FALSE(rig.driver.portOpen());
    EXPECT_TRUE(rig.enabled("ConnectButton"));
    EXPECT_FALSE(rig.enabled("CancelButton"));
    EXPECT_FALSE(rig.enabled("WriteButton"));
    EXPECT_EQ(rig.progress.back(), std::make_pair(0, 0));
    EXPECT_EQ(rig.panel.acceptedWrites(), 0);
}

TEST(EditorLinkTest, SettingsThatCannotBeBuiltStopTheWriteBeforeAnyByte) {
    Rig rig(18);
    rig.connect();
    rig.panel.clearRecord();
    rig.encodeError = "Пароль инженера должен содержать 4 цифры.";
    rig.link->writeCommand();
    rig.driver.pump();
    EXPECT_TRUE(rig.panel.received().empty());
    EXPECT_EQ(rig.prompts.shown.back(), rig.encodeError);
    EXPECT_TRUE(rig.enabled("WriteButton"));
}

TEST(EditorLinkTest, DisconnectStopsAndCloses) {
    Rig rig(18);
    rig.connect();
    rig.link->disconnectCommand();
    EXPECT_EQ(rig.editor.status(0), "Нет связи с прибором");
    EXPECT_EQ(rig.editor.status(1), "Режим <on-line>.");
    EXPECT_FALSE(rig.driver.portOpen());
    EXPECT_TRUE(rig.enabled("ConnectButton"));
    EXPECT_FALSE(rig.enabled("PageControl"));
}

// As on the worker: a stopped exchange chains nothing, so no identification read follows.
TEST(EditorLinkTest, DisconnectAsThePanelAnswersEndsTheChain) {
    Rig rig(18);
    rig.onOutcome = [&](int32_t code) {
        if (code == LinkResult::Linked) rig.link->disconnectCommand();
    };
    rig.connect();
    EXPECT_FALSE(Contains(rig.panel.received(), {0x55, 85, 0x91}));
    EXPECT_TRUE(rig.editor.state().versionText.empty());
    EXPECT_EQ(rig.editor.status(0), "Нет связи с прибором");
    EXPECT_TRUE(rig.enabled("ConnectButton"));
}

TEST(EditorLinkTest, NewFirmwareGetsFactoryDefaultsWrittenWithTheWideLayout) {
    Rig rig(35);
    rig.chosen = 3;
    rig.driver.state().firmwareReplaced = true;
    rig.connect();
    EXPECT_EQ(rig.defaultsLoaded, 1);
    EXPECT_FALSE(rig.driver.state().firmwareReplaced);
    // Codes with layout 0x66: 1792 bytes went to the panel.
    EXPECT_EQ(Block(rig.panel.codes().begin(), rig.panel.codes().begin() + 1792), Pattern(1792, 1, 5));
    const auto& rx = rig.panel.received();
    EXPECT_TRUE(Contains(rx, {0x55, 0x66, 0x94}));
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 3.5  Запись конфигурации завершена");
    // From here on the regular blocks.
    EXPECT_EQ(rig.driver.state().layoutCode, 99);
    EXPECT_FALSE(rig.editor.state().defaultsAfterReplace);
}

}  // namespace
}  // namespace kerma
