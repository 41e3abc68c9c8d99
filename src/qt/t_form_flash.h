#pragma once
// "Смена прошивки": the progress dialog of a firmware upload, and the timer that drives the
// replacement procedure's waits without ever blocking the UI thread.
#include <QDialog>
#include <QTimer>
#include <functional>

#include "flash_view.h"

class QLabel;
class QProgressBar;

namespace kerma {

class TFormFlash final : public QDialog, public FlashView {
    Q_OBJECT
  public:
    explicit TFormFlash(QWidget* parent = nullptr);

    // FlashView. showDialog is application-modal but returns at once.
    void showDialog(const std::string& fileLine) override;
    void setProgress(int percent) override;
    void closeDialog() override;

    static constexpr const char* kWaitText = "Идет смена прошивки ! Ждите ..";
    static constexpr const char* kWarningText =
        "Внимание !  Не прерывайте процедуру смены прошивки.";

  public slots:
    // The close box and Esc do nothing: an upload under way is not to be interrupted, so only the
    // procedure closes (hides) the dialog.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* label3_;
    QProgressBar* pb1_;
    QLabel* plabel_;
    QLabel* label1_;
};

// Calls tick (the replacement's FirmwareReplacement::tick()) at the interval the procedure asks
// for (10 ms while it waits for the upload handshake, 1 s while it waits for the verdict) and not
// at all otherwise.
class FlashTicker final : public QObject {
    Q_OBJECT
  public:
    explicit FlashTicker(std::function<void()> tick, QObject* parent = nullptr);

    // What the procedure asks for; 0 stops the ticks.
    void schedule(int intervalMs);
    [[nodiscard]] int intervalMs() const { return timer_.isActive() ? timer_.interval() : 0; }

  private:
    std::function<void()> tick_;
    QTimer timer_;
};

}  // namespace kerma
