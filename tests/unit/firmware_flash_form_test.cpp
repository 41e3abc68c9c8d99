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
#include "made.h"
#include "session_rig.h"
#include "t_form_flash.h"

namespace kerma {
namespace {

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

// The desktop program's arrangement: exchanges on TComThread, the program's session as their
// host, the replacement ticked by FlashTicker, the dialog as its view.
class RunnerDriver final : public LinkDriver {
  public:
    explicit RunnerDriver(std::vector<std::string>& log) : log_(log) {}
    LinkRunner* runner = nullptr;
    LinkState& state() override { return runner->state(); }
    void start(LinkStep step) override { runner->start(std::move(step)); }
    void stopCurrent() override { runner->stopCurrent(); }
    void closePort() override {
        log_.push_back("break");
        portOpen = false;
    }
    bool portOpen = false;

  private:
    std::vector<std::string>& log_;
};

// The dialog, noting every percentage that reached it while it was up.
class WatchedDialog final : public FlashView {
  public:
    TFormFlash dialog;
    std::vector<int> seenWhileShown;
    void showDialog(const std::string& fileLine) override { dialog.showDialog(fileLine); }
    void setProgress(int percent) override {
        if (dialog.isVisible()) seenWhileShown.push_back(percent);
        dialog.setProgress(percent);
    }
    void closeDialog() override { dialog.closeDialog(); }
};

TEST(FlashTicker, ReplacementWithTheUploadOnAWorkerThread) {
    TestApp();
    EditorSession* session = nullptr;
    FlashTicker ticker{[&] { session->firmware().tick(); }};  // outlives the session it ticks
    test::SessionRig rig;
    const Bytes firmware = MakeFirmware(33, 0x0300);
    rig.base.put("740-QNMv3_9.tsk", firmware);
    VirtualPanel panel(9, 18);
    VirtualClock clock;
    auto channel = std::make_shared<InProcessChannel>(panel, clock);
    rig.prompts.answers = {true};
    rig.window.chosen = 3;
    rig.window.onTicks = [&](int ms) { ticker.schedule(ms); };
    WatchedDialog view;
    RunnerDriver driver(rig.log);
    rig.window.openPort = [&] {
        if (driver.portOpen) rig.log.push_back("connect on an open port");
        return driver.portOpen = true;
    };
    rig.open(driver, view);
    session = rig.session.get();
    auto runner = Made(LinkRunner::Create(clock));
    runner->setHost(&session->link());
    runner->setChannelSource([&] { return std::static_pointer_cast<ByteChannel>(channel); });
    driver.runner = runner.get();

    session->connectCommand();
    const std::string& status = rig.editor.status(0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return status.find("Запись конфигурации завершена") != std::string::npos; }, 10000))
        << status;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !runner->busy(); }, 10000));

    EXPECT_EQ(panel.lastUpload(), firmware);
    EXPECT_EQ(panel.version(), 33);
    // Every hand-over of the upload found the dialog up and was served at once.
    ASSERT_EQ(view.seenWhileShown.size(), (firmware.size() / 8) + 1);
    EXPECT_EQ(view.seenWhileShown.back(), 100);
    EXPECT_FALSE(view.dialog.isVisible());
    EXPECT_EQ(rig.log, (test::Log{"connect", "disable", "enable", "break", "connect"}));
    EXPECT_EQ(ticker.intervalMs(), 0);
    EXPECT_EQ(rig.prompts.shown.size(), 1u);
}

}  // namespace
}  // namespace kerma
