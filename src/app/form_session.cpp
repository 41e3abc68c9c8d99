#include "form_session.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "busy_cursor.h"
#include "firmware_file.h"
#include "k740_form.h"
#include "main_form.h"
#include "report_pdf.h"

namespace kerma {
namespace {

constexpr const char* kEditorHelp = "Setka-740-v4_6-help.hlp";

// A key that runs a command of the window wherever the focus is in it: on Linux a field takes
// Ctrl+D as "delete the next character" before a shortcut could see it.
class KeyCommand final : public QObject {
  public:
    KeyCommand(QWidget& window, QKeyCombination key, std::function<void()> run)
        : QObject(&window), window_(window), key_(key), run_(std::move(run)) {
        qApp->installEventFilter(this);
    }
    ~KeyCommand() override { qApp->removeEventFilter(this); }
    KeyCommand(const KeyCommand&) = delete;
    KeyCommand& operator=(const KeyCommand&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || widget->window() != &window_ ||
            static_cast<QKeyEvent*>(event)->keyCombination() != key_)
            return false;
        // Claimed as the field's own key, then taken before the field sees it.
        event->accept();
        if (type == QEvent::KeyPress) run_();
        return true;
    }

  private:
    QWidget& window_;
    QKeyCombination key_;
    std::function<void()> run_;
};

// The differences in a window of their own, to read beside the editor or paste into a letter.
void ShowComparison(QWidget* over, const QString& text) {
    QDialog window(over);
    window.setObjectName("ComparisonWindow");
    window.setWindowTitle("Сравнение с файлом");
    auto* layout = new QVBoxLayout(&window);
    auto* list = new QPlainTextEdit(text, &window);
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(&window);
    QPushButton* copy = buttons->addButton("Копировать", QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton("Закрыть", QDialogButtonBox::RejectRole);
    QObject::connect(copy, &QPushButton::clicked, &window,
                     [text] { QApplication::clipboard()->setText(text); });
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::reject);
    layout->addWidget(buttons);
    window.resize(560, 360);
    BusyCursor::Asking asking;
    window.exec();
}

}  // namespace

FormSession::FormSession(TK740Form& form, TMainForm& main, LinkDriver& driver)
    : form_(form),
      main_(main),
      flash_(new TFormFlash(&form)),
      ticker_([this] { session_->firmware().tick(); }) {
    session_ =
        std::make_unique<EditorSession>(form_.editor(), driver, *this, *flash_, FirmwareFolder(),
                                        RenderPdfReport);
    wireButtons();
}

// The session first: it stops the ticks while this window still answers.
FormSession::~FormSession() {
    session_.reset();
}

int FormSession::chosenVariant() {
    return main_.systemVariant();
}

bool FormSession::openAndHandshake() {
    return main_.openAndHandshake(main_.chosenPort());
}

std::string FormSession::portName() {
    return PortName(main_.chosenPort());
}

bool FormSession::editorOpen() {
    return main_.editorOpen();
}

void FormSession::closeEditor() {
    main_.closeEditorWindow();
}

void FormSession::setEditorEnabled(bool enabled) {
    form_.setEnabled(enabled);
}

void FormSession::showTransferProgress(int percent) {
    form_.setTransferProgress(percent);
}

void FormSession::scheduleFirmwareTicks(int intervalMs) {
    ticker_.schedule(intervalMs);
}

void FormSession::wireButtons() {
    EditorSession& s = *session_;
    TK740Form* f = &form_;
    QObject::connect(f, &TK740Form::writeClicked, f, [&s] { s.writeCommand(); });
    QObject::connect(f, &TK740Form::readClicked, f, [&s] { s.readCommand(); });
    QObject::connect(f, &TK740Form::cancelClicked, f, [&s] { s.cancelCommand(); });
    QObject::connect(f, &TK740Form::connectClicked, f, [&s] { s.connectCommand(); });
    QObject::connect(f, &TK740Form::defaultsClicked, f, [&s] { s.defaultsCommand(); });
    QObject::connect(f, &TK740Form::loadClicked, f, [&s] { s.loadCommand(); });
    QObject::connect(f, &TK740Form::saveClicked, f, [&s] { (void)s.saveCommand(); });
    QObject::connect(f, &TK740Form::helpClicked, f, [this] { main_.openHelp(kEditorHelp, &form_); });
    form_.canClose = [&s] { return s.canClose(); };
    auto* report = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), f);
    QObject::connect(report, &QShortcut::activated, f, [&s] { s.saveReport(); });
    new KeyCommand(form_, QKeyCombination(Qt::CTRL | Qt::Key_D), [this, &s] {
        if (const auto text = s.compareWithFile())
            ShowComparison(&form_, QString::fromStdString(*text));
    });
}

}  // namespace kerma
