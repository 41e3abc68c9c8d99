#include "main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "busy_cursor.h"
#include "editor_files.h"
#include "editor_widgets.h"
#include "fields/window_fields.h"
#include "form_session.h"
#include "help_window.h"
#include "hint_settings.h"
#include "maker.h"
#include "qt_prompts.h"
#include "window_place.h"

namespace kerma {

namespace {

const char kStartHelp[] = "Help.hlp";
const char kButtonHelp[] = "Setka-740-v4_6-help.hlp";
// How often the hourglass follows the link: exchanges and the firmware procedure start and end
// in many places, and a look ten times a second keeps the cursor right without hooks in each.
constexpr int kLinkWatchMs = 100;

QRadioButton* Variant(QWidget* host, const char* name, const QString& caption,
                      const QString& hint) {
    auto* radio = new QRadioButton(caption, host);
    radio->setObjectName(name);
    radio->setToolTip(hint);
    return radio;
}

// The port list looks for adapters each time it drops down: one plugged in after the start
// appears without a restart.
class PortCombo final : public QComboBox {
  public:
    PortCombo(QWidget* parent, std::function<void()> beforeShow)
        : QComboBox(parent), beforeShow_(std::move(beforeShow)) {}
    void showPopup() override {
        beforeShow_();
        QComboBox::showPopup();
    }

  private:
    std::function<void()> beforeShow_;
};

// The mark of a port that is there: a green dot before its name; the others get the same room
// empty, so the names stay in line.
QIcon PortMark(bool present) {
    QPixmap dot(12, 12);
    dot.fill(Qt::transparent);
    if (!present) return QIcon(dot);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 160, 0));
    painter.drawEllipse(2, 2, 8, 8);
    return QIcon(dot);
}

QString PortHint(const PortItem& port) {
    if (!port.present) return {};
    QString hint = "Порт есть на компьютере";
    if (!port.name.empty()) hint += ": " + QString::fromStdString(port.name);
    if (!port.device.empty()) hint += " (" + QString::fromStdString(port.device) + ")";
    return hint;
}

}  // namespace

TMainForm::TMainForm(std::unique_ptr<LinkRunner> runner, QWidget* parent)
    : QMainWindow(parent), runner_(std::move(runner)) {
    setObjectName("MainForm");
    setWindowTitle("Программа задания режимов работы ППКОП Kerma-740");
    InstallHintSettings();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* logo = new LogoWidget(central);
    logo->setObjectName("Image1");
    logo->setFixedHeight(64);
    logo->setToolTip(QString("Соединение с сайтом\n%1 (%2)").arg(kMakerName, kMakerWeb));
    logo->onClick = [] { QDesktopServices::openUrl(QUrl(QString("http://") + kMakerWeb)); };
    layout->addWidget(logo);
    buildVariantGroup(central);
    buildActions(central);
    setCentralWidget(central);

    // The version text lives in a hidden label, as the status bar shows it.
    version_ = new QLabel(" Версия v4.6 ", central);
    version_->setObjectName("version");
    version_->hide();
    label3_ = new QLabel(central);
    label3_->setObjectName("Label3");
    label3_->hide();
    statusBar()->setObjectName("MainStatusBar");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(new QLabel(version_->text(), statusBar()));

    hintMirror_ = AddHintMirror([this](const QString& hint) { label3_->setText(hint); });
    qApp->installEventFilter(this);
    hooks.showHelp = [](QWidget* parent, const QString&) { ShowHelp(parent); };
    hooks.showEditor = [](TK740Form& form) { form.exec(); };
    layout->setSizeConstraint(QLayout::SetFixedSize);
    wireLink();
    linkWatch_.setInterval(kLinkWatchMs);
    connect(&linkWatch_, &QTimer::timeout, this, &TMainForm::showLinkBusy);
}

void TMainForm::wireLink() {
    hooks.openPortAndHandshake = [this](const PortItem& port) { return openAndHandshake(port); };
    hooks.stopLink = [this] {
        runner_->stopCurrent();
        runner_->closePort();
    };
}

bool TMainForm::openAndHandshake(const PortItem& port) {
    if (auto opened = runner_->port().open(port); !opened) {
        QtPrompts(QApplication::activeWindow() ? QApplication::activeWindow() : this)
            .notice(opened.error());
        return false;
    }
    runner_->start(LinkOperation::Handshake);
    return true;
}

// Closing from inside a link call (another panel type, the replacement refused): the window's
// own close handling stops the link; the modal loop ends once the call has returned.
void TMainForm::closeEditorWindow() {
    if (editor_) editor_->reject();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    RemoveHintMirror(hintMirror_);
}

void TMainForm::buildVariantGroup(QWidget* host) {
    auto* group = new QGroupBox("Выберите тип системы:", host);
    auto* layout = new QVBoxLayout(group);
    auto* family = new QHBoxLayout;
    checkBoxQnm_ = new QCheckBox(" Kerma-740 QNM", group);
    checkBoxQnm_->setObjectName("CheckBoxQNM");
    checkBoxQnm_->setChecked(true);
    checkBoxQn_ = new QCheckBox(" Kerma-740 QN  ", group);
    checkBoxQn_->setObjectName("CheckBoxQN");
    family->addWidget(checkBoxQnm_);
    family->addWidget(checkBoxQn_);
    family->addStretch();
    layout->addLayout(family);

    rpyQnm1_ =
        Variant(group, "RPYQNM1", "1 РПУ Kerma QN-M ( для 1.7 и выше )",
                "Поддержка одного  ретранслятора переферийного радиоканального РПУ Kerma  QN-M");
    rpyQnm4_ =
        Variant(group, "RPYQNM4", "До 4 РПУ Kerma QN-M ( для 3.2 и выше )",
                "Поддержка до 4-х ретрансляторов переферийных радиоканальных РПУ Kerma  QN-M");
    rpyQn4_ = Variant(group, "RPYQN4", " До 4 РПУ Kerma-QN ( для 5.2 и выше)", "");
    rpyQn1_ = Variant(group, "RPYQN1", "1 РПУ Kerma QN",
                      "Поддержка одного ретранслятора перефериного радиоканально РПУ Kerma QN.");
    k731k732_ = Variant(group, "K731K732", "До 16 Kerma-731 и до 16 Kerma-732",
                        "Поддержка до 16 расширителей Kerma-731 и до 16 расширителей Kerma-732");
    for (QRadioButton* radio : {rpyQnm1_, rpyQnm4_, rpyQn4_, rpyQn1_, k731k732_}) {
        layout->addWidget(radio);
    }
    rpyQnm1_->setChecked(true);
    rpyQn4_->setEnabled(false);
    rpyQn1_->setEnabled(false);
    rpyQn1_->hide();
    k731k732_->setEnabled(false);
    k731k732_->hide();
    connect(checkBoxQnm_, &QCheckBox::toggled, this, &TMainForm::qnmToggled);
    connect(checkBoxQn_, &QCheckBox::toggled, this, &TMainForm::qnToggled);
    host->layout()->addWidget(group);
}

void TMainForm::buildActions(QWidget* host) {
    auto* row = new QHBoxLayout;
    auto* portGroup = new QGroupBox("Номер порта:", host);
    auto* portLayout = new QVBoxLayout(portGroup);
    portNumber_ = new PortCombo(portGroup, [this] { refreshPorts(); });
    portNumber_->setObjectName("PortNumber");
    refreshPorts();
    portNumber_->setCurrentIndex(0);
    portNumber_->setToolTip("Выбор номера COM-порта на ПК.");
    portLayout->addWidget(portNumber_);
    row->addWidget(portGroup);

    auto* buttons = new QVBoxLayout;
    kerma740_ = new QPushButton("Выполнить", host);
    kerma740_->setObjectName("Kerma740");
    kerma740_->setToolTip("Выполняет соединение с прибором");
    button1_ = new QPushButton("Демо режим", host);
    button1_->setObjectName("Button1");
    button1_->setToolTip(
        "Показывает окно программы в соответствии\nс выбранным типом системы. В демо режиме\n"
        "невозможно соединиться с прибором.");
    mainHelp_ = new QPushButton("Помощь - F1", host);
    mainHelp_->setObjectName("MainHelp");
    mainHelp_->setToolTip("Вызов справки");
    for (QPushButton* b : {kerma740_, button1_, mainHelp_}) buttons->addWidget(b);
    row->addLayout(buttons);
    static_cast<QVBoxLayout*>(host->layout())->addLayout(row);

    connect(kerma740_, &QPushButton::clicked, this, &TMainForm::connectToPanel);
    connect(button1_, &QPushButton::clicked, this, &TMainForm::openDemo);
    connect(mainHelp_, &QPushButton::clicked, this, [this] { openHelp(kButtonHelp); });

    auto* links = new QHBoxLayout;
    links->addWidget(
        linkLabel(host, kMakerWeb, "Соединение с сайтом Volmar", QString("http://") + kMakerWeb));
    links->addStretch();
    links->addWidget(linkLabel(host, kSupportEmail, "e-mail для связи",
                               QString("mailto:%1?subject=%2").arg(kSupportEmail, kMailSubject)));
    links->itemAt(0)->widget()->setObjectName("Label1");
    links->itemAt(2)->widget()->setObjectName("Label2");
    static_cast<QVBoxLayout*>(host->layout())->addLayout(links);
}

QLabel* TMainForm::linkLabel(QWidget* host, const QString& text, const QString& hint,
                             const QString& url) {
    auto* label = new QLabel(QString("<a href=\"%1\">%2</a>").arg(url, text.toHtmlEscaped()), host);
    label->setToolTip(hint);
    label->setCursor(Qt::PointingHandCursor);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(label, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    return label;
}

// The two family boxes act as one switch; each rule may run the other's.
void TMainForm::qnmToggled(bool checked) {
    if (checked) {
        rpyQn4_->setChecked(false);
        rpyQnm1_->setChecked(true);
        checkBoxQn_->setChecked(false);
        rpyQnm1_->setEnabled(true);
        rpyQnm4_->setEnabled(true);
        rpyQn4_->setEnabled(false);
    } else {
        checkBoxQn_->setChecked(true);
        rpyQn4_->setChecked(true);
        rpyQnm1_->setEnabled(false);
        rpyQnm4_->setEnabled(false);
        rpyQn4_->setEnabled(true);
    }
}

void TMainForm::qnToggled(bool checked) {
    if (checked) {
        checkBoxQnm_->setChecked(false);
        rpyQn4_->setChecked(true);
    } else {
        checkBoxQnm_->setChecked(true);
    }
}

int TMainForm::systemVariant() const {
    if (rpyQnm1_->isChecked()) return 1;
    if (rpyQnm4_->isChecked()) return 3;
    if (rpyQn1_->isChecked()) return 2;
    if (k731k732_->isChecked()) return 4;
    return 5;
}

int TMainForm::portNumber() const {
    return chosenPort().number;
}

PortItem TMainForm::chosenPort() const {
    const int index = portNumber_->currentIndex();
    if (index < 0 || index >= static_cast<int>(ports_.size())) return {"com 1", 1, "", "", false};
    return ports_[static_cast<size_t>(index)];
}

void TMainForm::refreshPorts(std::function<std::vector<PortItem>()> ports) {
    static const QIcon mark = PortMark(true);
    static const QIcon blank = PortMark(false);
    const QString chosen = portNumber_->currentText();
    ports_ = ports();
    const QSignalBlocker quiet(portNumber_);
    portNumber_->clear();
    for (const PortItem& port : ports_) {
        portNumber_->addItem(port.present ? mark : blank, QString::fromStdString(port.text));
        portNumber_->setItemData(portNumber_->count() - 1, PortHint(port), Qt::ToolTipRole);
    }
    portNumber_->setCurrentIndex(std::max(0, portNumber_->findText(chosen)));
}

void TMainForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        adjustSize();
        CentreInFreeArea(*this);
    }
    QMainWindow::setVisible(visible);
}

void TMainForm::openHelp(const QString& file, QWidget* over) {
    if (hooks.showHelp) hooks.showHelp(over != nullptr ? over : this, file);
}

TK740Form* TMainForm::createEditor(bool demo) {
    EditorOptions options;
    options.qnFamily = !checkBoxQnm_->isChecked();
    options.demoMode = demo;
    editor_ = new TK740Form(options, this, editorPrompts);
    editor_->setAttribute(Qt::WA_DeleteOnClose, false);
    editor_->setMakerSite(kMakerName, kMakerWeb);
    connect(editor_, &TK740Form::closing, this, &TMainForm::editorClosing);
    connect(editor_, &QObject::destroyed, this, [this] {
        editorOpen_ = false;
        shortcutsActive_ = true;
    });
    session_ = std::make_unique<FormSession>(*editor_, *this, *runner_);
    runner_->setHost(&session_->link());
    return editor_;
}

void TMainForm::runEditor() {
    showLinkBusy();
    linkWatch_.start();
    if (hooks.showEditor) hooks.showEditor(*editor_);
    linkWatch_.stop();
    BusyCursor::setLineBusy(false);
    unsetCursor();
    if (session_) session_->closing();
    runner_->setHost(nullptr);
    session_.reset();
    delete editor_.data();
}

void TMainForm::connectToPanel() {
    button1_->setEnabled(false);
    setCursor(Qt::WaitCursor);
    editorOpen_ = true;
    linkState().identifyPending = true;
    // Cleared before the handshake runs: it reads the flag on its own thread.
    linkState().firmwareReplaced = false;
    if (!hooks.openPortAndHandshake || !hooks.openPortAndHandshake(chosenPort())) {
        button1_->setEnabled(true);
        editorOpen_ = false;
        unsetCursor();
        return;
    }
    TK740Form* form = createEditor(false);
    form->editor().setStatus(1, "  Режим <on-line>. ");
    if (session_) session_->link().linkOpened();
    shortcutsActive_ = false;
    form->editor().state().firmwareReplaced = false;
    form->editor().state().defaultsAfterReplace = false;
    runEditor();
}

void TMainForm::openDemo() {
    demoMode_ = true;
    setCursor(Qt::WaitCursor);
    kerma740_->setEnabled(false);
    editorOpen_ = true;
    TK740Form* form = createEditor(true);
    form->editor().model().setGeometry(kStatusPanel0, 0, 0, 420, 22);
    session_->startDemo();
    runEditor();
}

void TMainForm::showLinkBusy() {
    const bool replacing = session_ != nullptr && session_->replacingFirmware();
    BusyCursor::setLineBusy(editor_ != nullptr && (runner_->busy() || replacing));
}

void TMainForm::editorClosing() {
    button1_->setEnabled(true);
    kerma740_->setEnabled(true);
    editorOpen_ = false;
    shortcutsActive_ = true;
    FormModel& m = editor_->model();
    if (!demoMode_ && m.at(fields::CancelButton).enabled) {
        if (hooks.stopLink) hooks.stopLink();
    } else {
        demoMode_ = false;
        m.setEnabled(fields::PageControl, false);
        m.setEnabled(fields::CancelButton, true);
    }
    editor_->editor().setStatus(0, "");
    editor_->editor().setStatus(1, "");
}

// F1 and F2 work in every window of the program, but only while no connected editor is open.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !shortcutsActive_) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F1) {
        openHelp(kStartHelp, QApplication::activeWindow());
        return true;
    }
    if (key->key() == Qt::Key_F2) {
        if (kerma740_->isEnabled()) connectToPanel();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace kerma
