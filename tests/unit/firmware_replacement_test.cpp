// The firmware replacement procedure driven by ticks: first against a scripted link, where the
// order of the link's calls and the ticks is chosen by the test, then whole against the
// in-process panel, from the replacement question to the factory defaults in the new firmware.
#include "firmware_replacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "editor_files.h"
#include "headless_editor.h"
#include "session_rig.h"

namespace kerma {
namespace {

using test::Log;

class FakeView final : public FlashView {
  public:
    explicit FakeView(Log& log) : log_(log) {}
    void showDialog(const std::string& fileLine) override {
        log_.push_back("show");
        line = fileLine;
        shown = true;
    }
    void setProgress(int percent) override { progress.push_back(percent); }
    void closeDialog() override {
        log_.push_back("close dialog");
        shown = false;
    }
    std::string line;
    bool shown = false;
    std::vector<int> progress;

  private:
    Log& log_;
};

bool Before(const Log& log, const std::string& first, const std::string& second) {
    const auto a = std::find(log.begin(), log.end(), first);
    const auto b = std::find(log.begin(), log.end(), second);
    return a != log.end() && b != log.end() && a < b;
}

// --- Against a scripted link -----------------------------------------------------------------

class ScriptedDriver final : public LinkDriver {
  public:
    explicit ScriptedDriver(Log& log) : log_(log) {}
    LinkState& state() override { return state_; }
    void start(LinkStep step) override {
        log_.push_back("start " + std::to_string(static_cast<int>(step.op)));
        started.emplace_back(step.op, std::move(step.data));
    }
    void stopCurrent() override {}
    void closePort() override { log_.push_back("break"); }
    std::vector<std::pair<LinkOperation, Block>> started;

  private:
    Log& log_;
    LinkState state_;
};

// The replacement inside a session whose window and driver only log what they are asked.
struct ScriptRig final : test::SessionRig {
    ScriptedDriver driver{log};
    FakeView view{log};
    FirmwareReplacement* flash = nullptr;
    // The timer, on a clock of the test's: the next tick is due at dueMs (-1: stopped).
    int64_t nowMs = 0;
    int64_t dueMs = -1;

    ScriptRig() {
        base.put("740-QNMv3_9.tsk", MakeFirmware(33, 16));
        driver.state().panelTypeCode = 9;
        window.chosen = 3;
        open(driver, view);
        flash = &session->firmware();
        window.onTicks = [this](int ms) { dueMs = ms > 0 ? nowMs + ms : -1; };
    }
    // Every tick due until t, as the repeating timer would give them.
    void advanceTo(int64_t t) {
        while (dueMs >= 0 && dueMs <= t) {
            nowMs = dueMs;
            dueMs = nowMs + window.tickIntervals.back();
            flash->tick();
        }
        nowMs = t;
    }

    // The panel's yes to the upload handshake, then the tick that starts the upload.
    void upTo() {
        flash->start(3);
        flash->uploadReady();
        flash->tick();
        ASSERT_EQ(flash->stage(), FirmwareReplacement::Stage::Uploading);
    }
    // What the upload exchange does when the panel accepted, up to its reconnect request.
    void panelAccepted() {
        driver.state().firmwareReplaced = true;
        flash->uploadFinished(true);
    }
};

TEST(FirmwareReplacementScript, StagesAskForTheirTickIntervals) {
    ScriptRig rig;
    rig.flash->start(3);
    EXPECT_EQ(rig.editor.status(0), "Идет подготовка к смене прошивки ... .  ");
    ASSERT_EQ(rig.driver.started.size(), 1u);
    EXPECT_EQ(rig.driver.started[0].first, LinkOperation::UploadHandshake);
    rig.flash->uploadReady();
    EXPECT_EQ(rig.driver.started.size(), 1u);  // the handshake still owns the line
    rig.flash->tick();
    EXPECT_EQ(rig.editor.status(0), "Идет смена прошивки ждите ... .  ");
    ASSERT_EQ(rig.driver.started.size(), 2u);
    EXPECT_EQ(rig.driver.started[1].first, LinkOperation::FirmwareUpload);
    EXPECT_EQ(rig.driver.started[1].second.size(), 23u);
    EXPECT_EQ(rig.view.line, "Идет смена прошивки. Файл прошивки 740-QNMv3_9.tsk. Ждите...");
    EXPECT_TRUE(Before(rig.log, "disable", "show"));
    rig.panelAccepted();
    EXPECT_EQ(rig.log.back(), "enable");
    rig.flash->tick();
    EXPECT_EQ(rig.window.tickIntervals, (std::vector<int>{20'000, 10, 0, 1000, 0}));
    EXPECT_EQ(rig.flash->stage(), FirmwareReplacement::Stage::Idle);
}

// The upload asks for the reconnect right after the panel's verdict; the verdict tick may come
// before or after that request. Either way the old link goes first, and one reconnect follows.
class ReconnectOrder : public testing::TestWithParam<bool> {};

TEST_P(ReconnectOrder, BreakAlwaysComesBeforeTheReconnect) {
    const bool requestFirst = GetParam();
    ScriptRig rig;
    rig.upTo();
    rig.panelAccepted();
    if (requestFirst) {
        rig.flash->reconnectRequested();
        EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "break"), 0);
        EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "connect"), 0);
        rig.flash->tick();
    } else {
        rig.flash->tick();
        EXPECT_EQ(rig.log.back(), "break");
        rig.flash->reconnectRequested();
    }
    ASSERT_GE(rig.log.size(), 2u);
    EXPECT_EQ(Log(rig.log.end() - 2, rig.log.end()), (Log{"break", "connect"}));
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "break"), 1);
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "connect"), 1);
    EXPECT_TRUE(rig.prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Flash, ReconnectOrder, testing::Bool(), [](const auto& info) {
    return info.param ? "RequestBeforeTick" : "TickBeforeRequest";
});

struct WaitCase {
    const char* name;
    int readyAtMs;  // when the panel says yes to the upload handshake; -1: never
    bool accepted;  // the upload's verdict
    int endAtMs;    // when the procedure ends, with the error or the break of the link
    bool error;
};

class Waits : public testing::TestWithParam<WaitCase> {};

// The dialog closes when the upload ends (here at once); its verdict follows a second later.
TEST_P(Waits, EndWhereTheDeadlinesSay) {
    const WaitCase& c = GetParam();
    ScriptRig rig;
    rig.flash->start(3);
    if (c.readyAtMs >= 0) {
        rig.advanceTo(c.readyAtMs);
        rig.flash->uploadReady();
        rig.advanceTo(c.readyAtMs + FirmwareReplacement::kReadyTickMs);
        ASSERT_EQ(rig.flash->stage(), FirmwareReplacement::Stage::Uploading);
        rig.flash->uploadFinished(c.accepted);
    }
    rig.advanceTo(c.endAtMs - 1);
    EXPECT_NE(rig.flash->stage(), FirmwareReplacement::Stage::Idle);
    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "break"), 0);
    rig.advanceTo(c.endAtMs);
    EXPECT_EQ(rig.flash->stage(), FirmwareReplacement::Stage::Idle);
    EXPECT_EQ(rig.flash->tickIntervalMs(), 0);
    if (!c.error) {
        EXPECT_TRUE(rig.prompts.shown.empty());
        EXPECT_EQ(rig.log.back(), "break");
        return;
    }
    EXPECT_EQ(rig.prompts.shown, (std::vector<std::string>{kFlashFailedMessage}));
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "break"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Flash, Waits,
    testing::Values(WaitCase{"NoYesToTheUploadHandshakeIn20s", -1, false, 20'000, true},
                    WaitCase{"YesJustBeforeTheDeadline", 19'999, true, 21'009, false},
                    WaitCase{"AcceptedUpload", 100, true, 1110, false},
                    // The refusal is reported at the first verdict tick, with no wait beyond.
                    WaitCase{"RefusedUpload", 100, false, 1110, true},
                    WaitCase{"LateYesRefusedUpload", 19'999, false, 21'009, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FirmwareReplacementScript, CancelledProcedureStopsTicking) {
    ScriptRig rig;
    rig.upTo();
    rig.flash->cancel();
    EXPECT_FALSE(rig.view.shown);
    EXPECT_EQ(rig.flash->tickIntervalMs(), 0);
    rig.panelAccepted();
    for (int i = 0; i < 1000; ++i) rig.flash->tick();
    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "break"), 0);
}

// The UI is not blocked during the verdict wait: a user who reconnects and answers Yes again
// gets a new procedure instead of a question that does nothing.
TEST(FirmwareReplacementScript, NewStartDuringAWaitStartsOver) {
    ScriptRig rig;
    rig.upTo();
    rig.flash->uploadFinished(false);  // its verdict tick has not come yet
    rig.flash->start(3);
    EXPECT_EQ(rig.flash->stage(), FirmwareReplacement::Stage::AwaitingUploadReady);
    EXPECT_EQ(rig.window.tickIntervals.back(), FirmwareReplacement::kReadyWaitMs);  // the whole wait anew
    EXPECT_EQ(rig.driver.started.back().first, LinkOperation::UploadHandshake);
    EXPECT_TRUE(rig.prompts.shown.empty());
}

TEST(FirmwareReplacementScript, NoFileClosesTheEditorAndStartsNothing) {
    ScriptRig rig;
    std::filesystem::remove(rig.base.folder() / "740-QNMv3_9.tsk");
    rig.flash->start(3);
    EXPECT_EQ(rig.prompts.shown, (std::vector<std::string>{kNoFirmwareMessage}));
    EXPECT_EQ(rig.log, (Log{"close editor"}));
    EXPECT_EQ(rig.flash->tickIntervalMs(), 0);
}

// --- Whole, against the in-process panel -----------------------------------------------------

// The program's session over the in-process panel: the window only records what it is asked.
struct PanelRig final : test::PanelSessionRig {
    FakeView view{log};
    int waitedMs = 0;  // the intervals of the ticks given
    FirmwareReplacement* flash = nullptr;

    PanelRig(uint8_t type, uint8_t version, int chosenVariant) : PanelSessionRig(type, version) {
        window.chosen = chosenVariant;
        prompts.answers = {true};
        openOn(driver, view);
        flash = &session->firmware();
    }
    [[nodiscard]] int tickMs() const {
        return window.tickIntervals.empty() ? 0 : window.tickIntervals.back();
    }

    // Connects, says Yes to the replacement question, and ticks as the timer would until the
    // procedure asks for no more ticks, running whatever each step starts.
    int connectAndReplace() {
        session->connectCommand();
        driver.pump();
        int ticks = 0;
        for (; tickMs() != 0 && ticks < 5000; ++ticks) {
            waitedMs += tickMs();
            flash->tick();
            driver.pump();
        }
        return ticks;
    }
    [[nodiscard]] bool uploadRequested() const {
        const Bytes request{0x55, 0x55, 0xA0, 0xAA};
        const auto& rx = panel.received();
        return std::search(rx.begin(), rx.end(), request.begin(), request.end()) != rx.end();
    }
};

TEST(FirmwareReplacementPanel, UploadsReconnectsAndWritesTheDefaultsOfTheNewFirmware) {
    PanelRig rig(10, 53, 1);
    const Bytes firmware = MakeFirmware(18, 0x0100, 40);
    rig.base.put("740-QNMcv1_55.tsk", MakeFirmware(33, 16));  // variant 3: passed over
    rig.base.put("740-QNMcv1_54.tsk", firmware);
    rig.connectAndReplace();

    EXPECT_EQ(rig.view.line, "Идет смена прошивки. Файл прошивки 740-QNMcv1_54.tsk. Ждите...");
    EXPECT_EQ(rig.panel.lastUpload(), Bytes(firmware.begin(), firmware.begin() + 263));
    EXPECT_EQ(rig.panel.acceptedUploads(), 1);
    ASSERT_EQ(rig.view.progress.size(), 33u);  // every 8 bytes, then 100
    EXPECT_TRUE(std::is_sorted(rig.view.progress.begin(), rig.view.progress.end()));
    EXPECT_EQ(rig.view.progress.back(), 100);
    EXPECT_FALSE(rig.view.shown);
    EXPECT_TRUE(rig.window.editorEnabled);

    // The old link is broken once, after the dialog has closed and before the new one is made;
    // the new firmware is identified and given the factory configuration of its variant with the
    // wide layout.
    EXPECT_EQ(rig.log, (Log{"connect", "disable", "show", "close dialog", "enable", "break",
                            "connect"}));
    EXPECT_EQ(rig.panel.version(), 18);
    EXPECT_EQ(rig.panel.acceptedWrites(), 2);
    const Bytes wideWrite{0x55, Layout::Wide, 0x92};
    const auto& rx = rig.panel.received();
    EXPECT_NE(std::search(rx.begin(), rx.end(), wideWrite.begin(), wideWrite.end()), rx.end());
    HeadlessEditor written(18);
    written.decode(Block(rig.panel.settings().begin(), rig.panel.settings().begin() + 1024),
                   Block(rig.panel.codes().begin(), rig.panel.codes().begin() + 1024));
    HeadlessEditor factory(18);
    (void)LoadFactoryDefaults(*factory.editor, factory.image, 1);
    EXPECT_EQ(written.fields(), factory.fields());
    EXPECT_FALSE(rig.driver.state().firmwareReplaced);
    EXPECT_FALSE(rig.driver.state().identifyPending);
    EXPECT_EQ(rig.prompts.shown.size(), 1u);  // the replacement question only
    EXPECT_FALSE(rig.window.closed);
    EXPECT_EQ(rig.editor.status(0), "ППКОП Kerma-740 версия v 1.8  Запись конфигурации завершена");
}

// A panel that refuses the upload, dies during it, or takes the whole firmware and never
// answers, has not taken it: the failure message within seconds, and no reconnect. The firmware
// ends in 0x00, the byte a time-out would hand back as the status.
struct FailedUploadCase {
    const char* name;
    bool refuse;
    int silentAfter;  // bytes taken before the panel falls silent; 0: the whole firmware; -1 never
};

class FailedUpload : public testing::TestWithParam<FailedUploadCase> {};

TEST_P(FailedUpload, EndsWithTheErrorAndNoReconnect) {
    const FailedUploadCase& c = GetParam();
    PanelRig rig(9, 18, 5);
    const Bytes firmware = MakeFirmware(53, 74);
    ASSERT_EQ(firmware.back(), 0x00);
    rig.base.put("740-QNv5_9.tsk", firmware);
    rig.panel.faults().refuseUpload = c.refuse;
    rig.panel.faults().uploadSilentAfter =
        c.silentAfter == 0 ? static_cast<int>(firmware.size()) : c.silentAfter;
    const int ticks = rig.connectAndReplace();
    if (c.refuse) {
        EXPECT_EQ(rig.panel.lastUpload().size(), firmware.size());
    }
    EXPECT_EQ(rig.panel.version(), 18);
    // The failure ends the wait at the first verdict tick, not after a quarter of an hour.
    EXPECT_LT(ticks, 10);
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1], kFlashFailedMessage);
    EXPECT_EQ(rig.editor.status(0), "Ошибка: Dallas CRC (прибор не принял прошивку)");
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "break"), 0);
    EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "connect"), 1);
    EXPECT_FALSE(rig.driver.state().firmwareReplaced);
    EXPECT_FALSE(rig.view.shown);
    EXPECT_TRUE(rig.window.editorEnabled);
    EXPECT_EQ(rig.panel.acceptedUploads(), 0);
    // The line time of connect, identification and upload handshake, plus one time-out.
    EXPECT_LT(rig.clock.nowMs(), 30'000);
}

INSTANTIATE_TEST_SUITE_P(Flash, FailedUpload,
                         testing::Values(FailedUploadCase{"Refused", true, -1},
                                         FailedUploadCase{"NoStatusAfterTheFirmware", false, 0},
                                         FailedUploadCase{"SilentInTheMiddle", false, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FirmwareReplacementPanel, UnconfirmedUploadHandshakeSendsNoFirmware) {
    PanelRig rig(9, 18, 3);
    rig.base.put("740-QNMv3_9.tsk", MakeFirmware(33, 64));
    // From the replacement question on, the panel answers as another type.
    rig.prompts.afterQuestion = [&rig] { rig.panel.faults().typeOverride = 10; };
    rig.connectAndReplace();
    EXPECT_TRUE(rig.uploadRequested());
    EXPECT_EQ(rig.waitedMs, FirmwareReplacement::kReadyWaitMs);
    EXPECT_EQ(rig.prompts.shown.back(), kFlashFailedMessage);
    EXPECT_TRUE(rig.panel.lastUpload().empty());
    EXPECT_TRUE(rig.view.line.empty());
}

struct RefusedFileCase {
    const char* name;
    Bytes file;  // empty: no file at all
    std::string message;
};

class RefusedFile : public testing::TestWithParam<RefusedFileCase> {};

TEST_P(RefusedFile, NothingIsSentAndTheEditorCloses) {
    const RefusedFileCase& c = GetParam();
    PanelRig rig(9, 53, 1);
    if (!c.file.empty()) rig.base.put("740-QNMv1_55.tsk", c.file);
    rig.connectAndReplace();
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1], c.message);
    EXPECT_TRUE(rig.window.closed);
    EXPECT_FALSE(rig.uploadRequested());
    EXPECT_TRUE(rig.panel.lastUpload().empty());
    EXPECT_EQ(rig.panel.version(), 53);
}

INSTANTIATE_TEST_SUITE_P(
    Flash, RefusedFile,
    testing::Values(RefusedFileCase{"NoFile", {}, kNoFirmwareMessage},
                    RefusedFileCase{"OnlyOtherVariants", MakeFirmware(33, 8), kNoFirmwareMessage},
                    RefusedFileCase{
                        "ShorterThanItsHeader", CutFirmware(MakeFirmware(18, 0x0100), 9),
                        "Файл прошивки 740-QNMv1_55.tsk поврежден: в нем меньше байт, чем "
                        "указано в заголовке. Обновите базу прошивок с сервера Volmar"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kerma
