#pragma once
// The main window: the variant and port choice, connect, demo mode and help. It stays open under
// the editor and keeps the link flags the other windows use.
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "com_thread.h"
#include "exchange.h"
#include "k740_form.h"
#include "serial_ports.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kerma {

class FormSession;

// Where the main window meets the system: the port, the modal editor, the help window. The
// window fills them with its own at start; tests put theirs in place.
struct MainFormHooks {
    // Opens the chosen port and starts a handshake; false when the port could not be opened (the
    // port code has told the user).
    std::function<bool(const PortItem& port)> openPortAndHandshake;
    // A connected editor closes with the link up: stop the exchange, close the port.
    std::function<void()> stopLink;
    // Shows the editor modally; tests replace it.
    std::function<void(TK740Form&)> showEditor;
    // Opens a help file at its start page; tests replace it.
    std::function<void(QWidget*, const QString&)> showHelp;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    // runner: the link, made at the program's start (LinkRunner::Create); tests give it a faster
    // clock for the ten handshake attempts.
    explicit TMainForm(std::unique_ptr<LinkRunner> runner, QWidget* parent = nullptr);
    ~TMainForm() override;

    MainFormHooks hooks;
    // Where editor windows put their messages and questions; nullptr shows message boxes.
    // Tests script the answers with it.
    Prompts* editorPrompts = nullptr;

    // The variant the radio buttons choose: 1, 3, 5, 2 or 4 (5 when none is chosen).
    [[nodiscard]] int systemVariant() const;
    // The COM number of the chosen port; 0 for a port chosen by its device path.
    [[nodiscard]] int portNumber() const;
    [[nodiscard]] PortItem chosenPort() const;
    // Reads the ports present again and lists them, the choice kept; it runs whenever the list
    // drops down. ports: the ports present; the system's by default.
    void refreshPorts(std::function<std::vector<PortItem>()> ports = SystemPorts);

    [[nodiscard]] bool editorOpen() const { return editorOpen_; }
    [[nodiscard]] bool shortcutsActive() const { return shortcutsActive_; }
    [[nodiscard]] bool demoMode() const { return demoMode_; }
    LinkState& linkState() { return runner_->state(); }
    LinkRunner& runner() { return *runner_; }
    // The session of the open editor (nullptr when none is open).
    FormSession* session() { return session_.get(); }
    // Opens the chosen port and starts a handshake; false (with the busy message) when the port
    // cannot be opened.
    bool openAndHandshake(const PortItem& port);
    // The editor while it is open, else nullptr.
    TK740Form* editor() { return editor_; }

    // "Выполнить" (and F2): connect to the panel.
    void connectToPanel();
    // "Демо режим": the editor without a panel.
    void openDemo();
    // Closes the editor from inside a link call.
    void closeEditorWindow();
    // The help button; F1 opens the start-up help file instead. The help window goes over `over`
    // (the active window), this window when null.
    void openHelp(const QString& file, QWidget* over = nullptr);

    // Shown, it opens in the middle of its screen's free area.
    void setVisible(bool visible) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildVariantGroup(QWidget* host);
    void buildActions(QWidget* host);
    QLabel* linkLabel(QWidget* host, const QString& text, const QString& hint, const QString& url);
    void qnmToggled(bool checked);
    void qnToggled(bool checked);
    TK740Form* createEditor(bool demo);
    void runEditor();
    void editorClosing();
    // The hourglass while an exchange or a firmware replacement runs for the open editor.
    void showLinkBusy();

    QCheckBox* checkBoxQnm_ = nullptr;
    QCheckBox* checkBoxQn_ = nullptr;
    QRadioButton* rpyQnm1_ = nullptr;
    QRadioButton* rpyQnm4_ = nullptr;
    QRadioButton* rpyQn4_ = nullptr;
    QRadioButton* rpyQn1_ = nullptr;
    QRadioButton* k731k732_ = nullptr;
    QComboBox* portNumber_ = nullptr;
    std::vector<PortItem> ports_;
    QPushButton* kerma740_ = nullptr;
    QPushButton* button1_ = nullptr;
    QPushButton* mainHelp_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* label3_ = nullptr;

    void wireLink();

    std::unique_ptr<LinkRunner> runner_;
    std::unique_ptr<FormSession> session_;
    QPointer<TK740Form> editor_;
    QTimer linkWatch_;
    bool editorOpen_ = false;
    bool shortcutsActive_ = true;
    bool demoMode_ = false;
    int hintMirror_ = 0;
};

}  // namespace kerma
