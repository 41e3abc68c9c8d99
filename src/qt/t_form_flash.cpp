#include "t_form_flash.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace kerma {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 170;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TFormFlash::TFormFlash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("FormFlash");
    setWindowTitle("Смена прошивки");
    setFixedSize(kWidth, kHeight);

    label3_ = MakeLabel(this, "Label3", kWaitText);
    pb1_ = new QProgressBar(this);
    pb1_->setObjectName("pb1");
    pb1_->setRange(0, 100);
    pb1_->setValue(0);
    pb1_->setTextVisible(false);
    plabel_ = MakeLabel(this, "Plabel", "0 %");
    QFont bold = plabel_->font();
    bold.setBold(true);
    plabel_->setFont(bold);
    QPalette navy = plabel_->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    plabel_->setPalette(navy);
    label1_ = MakeLabel(this, "Label1", kWarningText);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label3_);
    layout->addWidget(pb1_);
    layout->addWidget(plabel_);
    layout->addWidget(label1_);
}

void TFormFlash::showDialog(const std::string& fileLine) {
    label3_->setText(QString::fromStdString(fileLine));
    pb1_->setValue(0);
    plabel_->setText("0 %");
    // The editor that owns the dialog is disabled for the upload, and Qt passes that on to child
    // windows; the dialog itself must stay alive.
    setEnabled(true);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TFormFlash::setProgress(int percent) {
    pb1_->setValue(percent);
    plabel_->setText(QString::number(percent) + "%");
}

void TFormFlash::closeDialog() {
    hide();
    // What the dialog covered of the editor is drawn anew.
    if (parentWidget() != nullptr) parentWidget()->update();
}

void TFormFlash::reject() {}

void TFormFlash::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// --- FlashTicker -----------------------------------------------------------------------------

FlashTicker::FlashTicker(std::function<void()> tick, QObject* parent)
    : QObject(parent), tick_(std::move(tick)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { tick_(); });
}

void FlashTicker::schedule(int intervalMs) {
    if (intervalMs <= 0) {
        timer_.stop();
    } else {
        timer_.start(intervalMs);
    }
}

}  // namespace kerma
