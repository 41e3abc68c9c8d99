#pragma once
// An editor and its session as an editor window holds them, with a window that only records what
// the session asks of it: the headless tests of the link and of the firmware replacement, and
// the replacement on a worker thread, share it.
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "editor_session.h"
#include "firmware_test_support.h"
#include "in_process_channel.h"
#include "inline_driver.h"
#include "scripted_prompts.h"
#include "virtual_panel.h"

namespace kerma::test {

using Log = std::vector<std::string>;

// Notes "connect", "close editor", "enable" and "disable" in the log it is given, in the order
// they come, beside the state they leave.
class TestWindow final : public SessionWindow {
  public:
    explicit TestWindow(Log& log) : log_(log) {}

    int chosen = 1;
    bool closed = false;
    bool editorEnabled = true;
    // Opens the port for a connect; false, or none, when it does not open. The handshake then
    // goes to driver.
    std::function<bool()> openPort;
    LinkDriver* driver = nullptr;
    std::vector<int> progress;  // percent of the chain; -1 hides it
    std::function<void(int percent)> onProgress;
    std::vector<int> tickIntervals;
    std::function<void(int ms)> onTicks;

    int chosenVariant() override { return chosen; }
    std::string portName() override { return "COM1"; }
    bool openAndHandshake() override {
        log_.push_back("connect");
        if (!openPort || !openPort()) return false;
        driver->start(Step(LinkOperation::Handshake));
        return true;
    }
    bool editorOpen() override { return true; }
    void closeEditor() override {
        closed = true;
        log_.push_back("close editor");
    }
    void setEditorEnabled(bool on) override {
        editorEnabled = on;
        log_.push_back(on ? "enable" : "disable");
    }
    void showTransferProgress(int percent) override {
        progress.push_back(percent);
        if (onProgress) onProgress(percent);
    }
    void scheduleFirmwareTicks(int ms) override {
        tickIntervals.push_back(ms);
        if (onTicks) onTicks(ms);
    }

  private:
    Log& log_;
};

// The flash dialog nobody looks at.
struct NoFlashView final : FlashView {
    void showDialog(const std::string&) override {}
    void setProgress(int) override {}
    void closeDialog() override {}
};

// The editor, its window and a firmware base of its own; open() makes the session over the
// driver the test has built. Backups go to a folder beside the base. A session touches only its
// window as it goes, so the driver and the view a derived rig holds may go before it.
struct SessionRig {
    FirmwareBase base;
    Log log;
    ScriptedPrompts prompts;
    K740Editor editor{prompts};
    TestWindow window{log};
    std::unique_ptr<EditorSession> session;
    bool portOpens = true;

    void open(LinkDriver& driver, FlashView& view) {
        window.driver = &driver;
        session = std::make_unique<EditorSession>(editor, driver, window, view, base.folder());
        session->safety().folder = [this] { return backupFolder().string(); };
    }
    // The port of an in-process line opens unless portOpens is false; opening it twice is noted.
    void openOn(InlineDriver& driver, FlashView& view) {
        open(driver, view);
        driver.setHost(session->link());
        driver.closes = &log;
        window.openPort = [this, &driver] {
            if (driver.portOpen()) log.push_back("connect on an open port");
            if (!portOpens) return false;
            driver.open();
            return true;
        };
    }
    [[nodiscard]] std::filesystem::path backupFolder() const {
        return base.folder().parent_path() / "kb";
    }
    [[nodiscard]] bool enabled(const char* name) const { return editor.model().at(name).enabled; }
    // Whether each control is enabled, in the order named: one comparison for a row of buttons.
    [[nodiscard]] std::vector<bool> enabled(std::initializer_list<const char*> names) const {
        std::vector<bool> on;
        for (const char* name : names) on.push_back(enabled(name));
        return on;
    }
};

// A session over the in-process panel; the most derived rig calls openOn(driver, its view).
struct PanelSessionRig : SessionRig {
    VirtualPanel panel;
    VirtualClock clock;
    InProcessChannel channel{panel, clock};
    InlineDriver driver{channel, clock};
    NoFlashView noView;

    PanelSessionRig(uint8_t type, uint8_t version) : panel(type, version) {}
};

}  // namespace kerma::test
