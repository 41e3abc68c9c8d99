// The "Смена прошивки" dialog, and a whole replacement with the upload on a worker thread that
// calls into the UI thread and waits, while QTimer drives the procedure's waits.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <memory>

#include "../gui/ui_test_app.h"
#include "com_thread.h"
#include "firmware_test_support.h"
#include "in_process_channel.h"
#include "scripted_prompts.h"
#include "t_form_flash.h"
#include "virtual_panel.h"

namespace kerma {
namespace {

template <typename Done>
bool ServeUntil(Done done, int limitMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QString Text(QWidget& dialog, const char* name) {
    return dialog.findChild<QLabel*>(name)->text();
}

TEST(TFormFlash, ShowsTheFileAndFollowsTheUploadPercentage) {
    TestApp();
    QWidget editorWindow;  // disabled for the upload, as the editor is
    TFormFlash dialog(&editorWindow);
    editorWindow.setEnabled(false);
    EXPECT_EQ(dialog.windowTitle(), "Смена прошивки");
    EXPECT_EQ(Text(dialog, "Label3"), "Идет смена прошивки ! Ждите ..");
    EXPECT_EQ(Text(dialog, "Plabel"), "0 %");
    EXPECT_EQ(Text(dialog, "Label1"), "Внимание !  Не прерывайте процедуру смены прошивки.");
    auto* bar = dialog.findChild<QProgressBar*>("pb1");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_TRUE(dialog.findChild<QLabel*>("Plabel")->font().bold());

    dialog.setProgress(37);  // left over from an earlier upload
    dialog.showDialog("Идет смена прошивки. Файл прошивки 740-QNMv1_55.tsk. Ждите...");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.isModal());
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(Text(dialog, "Label3"),
              "Идет смена прошивки. Файл прошивки 740-QNMv1_55.tsk. Ждите...");
    dialog.setProgress(97);
    EXPECT_EQ(bar->value(), 97);
    EXPECT_EQ(Text(dialog, "Plabel"), "97%");
    if (const char* dir = std::getenv("KERMA_SHOT_DIR")) {
        dialog.grab().save(QString(dir) + "/flash_dialog.png");
    }

    // Neither the close box nor Esc interrupts an upload.
    dialog.close();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    dialog.closeDialog();
    EXPECT_FALSE(dialog.isVisible());
}

// The desktop program's arrangement: exchanges on TComThread, the editor link as their host, the
// replacement ticked by FlashTicker, the dialog as its view.
class RunnerDriver final : public LinkDriver {
  public:
    LinkRunner* runner = nullptr;
    LinkState& state() override { return runner->state(); }
    void start(LinkOperation op, Block data) override { runner->start(op, std::move(data)); }
    void stopCurrent() override { runner->stopCurrent(); }
    void closePort() override { portOpen = false; }
    bool portOpen = false;
};

TEST(FlashTicker, ReplacementWithTheUploadOnAWorkerThread) {
    TestApp();
    FirmwareBase base;
    const Bytes firmware = MakeFirmware(33, 0x0300);
    base.put("740-QNMv3_9.tsk", firmware);
    VirtualPanel panel(9, 18);
    VirtualClock clock;
    auto channel = std::make_shared<InProcessChannel>(panel, clock);
    ScriptedPrompts prompts;
    prompts.answers = {true};
    K740Editor editor(prompts);
    TFormFlash dialog;
    RunnerDriver driver;
    std::vector<std::string> log;
    std::vector<int> seenWhileShown;
    std::unique_ptr<FirmwareReplacement> flash;

    EditorLinkHooks hooks;
    hooks.chosenVariant = [] { return 3; };
    hooks.openAndHandshake = [&] {
        driver.portOpen = true;
        driver.start(LinkOperation::Handshake, {});
        return true;
    };
    hooks.replaceFirmware = [&](int variant) { flash->start(variant); };
    hooks.encodeCodes = [&] { return Block(CodesLength(driver.state().layoutCode), 0); };
    hooks.encodeSettings = [&](Block& s) {
        s.assign(SettingsLength(driver.state().layoutCode), 0);
        s[1] = editor.state().versionByte;
        return std::string();
    };
    hooks.uploadProgress = [&](int percent) {
        if (dialog.isVisible()) seenWhileShown.push_back(percent);
        flash->progress(percent);
    };
    hooks.uploadFinished = [&] { flash->uploadFinished(); };
    hooks.reconnect = [&] { flash->reconnectRequested(); };
    EditorLink link(editor, driver, std::move(hooks));
    LinkRunner runner(link, clock);
    runner.setChannelSource([&] { return std::static_pointer_cast<ByteChannel>(channel); });
    driver.runner = &runner;

    FirmwareReplacementHooks flashHooks;
    flashHooks.breakLink = [&] {
        log.push_back("break");
        link.disconnectCommand();
    };
    flashHooks.reconnect = [&] {
        log.push_back(driver.portOpen ? "reconnect on an open port" : "reconnect");
        link.connectCommand();
    };
    flashHooks.setEditorEnabled = [&](bool on) { log.push_back(on ? "enable" : "disable"); };
    flashHooks.folder = [&] { return base.folder(); };
    flash = std::make_unique<FirmwareReplacement>(editor, driver, dialog, std::move(flashHooks));
    FlashTicker ticker(*flash);

    driver.state().identifyPending = true;
    link.connectCommand();
    ASSERT_TRUE(ServeUntil([&] {
        return editor.status(0).find("Запись конфигурации завершена") != std::string::npos;
    })) << editor.status(0);
    ASSERT_TRUE(ServeUntil([&] { return !runner.busy(); }));

    EXPECT_EQ(panel.lastUpload(), firmware);
    EXPECT_EQ(panel.version(), 33);
    // Every hand-over of the upload found the dialog up and was served at once.
    ASSERT_EQ(seenWhileShown.size(), (firmware.size() / 8) + 1);
    EXPECT_EQ(seenWhileShown.back(), 100);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(log, (std::vector<std::string>{"disable", "enable", "break", "reconnect"}));
    EXPECT_EQ(ticker.intervalMs(), 0);
    EXPECT_EQ(prompts.shown.size(), 1u);
}

}  // namespace
}  // namespace kerma
