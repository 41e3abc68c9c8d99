#pragma once
// The editor window: a Qt view of a K740Editor. Widgets are built from the model's control list
// (object name = control name) and kept in step with it both ways; the pages behind tabs are built
// the first time they are shown.
#include <QDialog>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "k740_editor.h"

class QLabel;
class QProgressBar;
class QStatusBar;

namespace kerma {

class QtPrompts;

// What the window's buttons do; the main window wires them to the link, files and defaults.
struct K740FormHooks {
    std::function<void()> onWrite;  // "Записать конфигурацию в прибор"
    std::function<void()> onRead;   // "Считать конфигурацию из прибора"
    std::function<void()> onCancel;    // "Разорвать связь"
    std::function<void()> onConnect;   // "Установить связь"
    std::function<void()> onDefaults;  // "Заводские установки"
    std::function<void()> onLoad;      // "Считать файл"
    std::function<void()> onSave;      // "Записать в файл"
    std::function<void()> onHelp;      // "Помощь"
    std::function<void()> onClose;     // the window closes, by any way (before it goes)
    std::function<bool()> canClose;    // asked first; false keeps the window open
};

class TK740Form : public QDialog {
    Q_OBJECT
  public:
    // prompts: where the rules' messages go; nullptr shows them as message boxes of this window.
    explicit TK740Form(EditorOptions options, QWidget* parent = nullptr,
                       Prompts* prompts = nullptr);
    ~TK740Form() override;

    K740Editor& editor() { return *editor_; }
    FormModel& model() { return editor_->model(); }
    K740FormHooks hooks;

    // The logos' two-line hint and the address a click on them opens.
    void setMakerSite(const QString& makerName, const QString& webAddress);
    // Progress of a block transfer in the status bar; a negative value hides the bar.
    void setTransferProgress(int percent);

    // The widget of a control, building its page first when needed; nullptr for controls
    // without a widget (list buffers).
    QWidget* widget(std::string_view name);
    [[nodiscard]] int widgetCount() const { return static_cast<int>(widgets_.size()); }

    void setVisible(bool visible) override;

  protected:
    // Every way of closing (the title bar, Escape, accept/reject) ends here.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct PageSlot {
        QWidget* pages = nullptr;  // MultiRowPages or QTabWidget
        int index = 0;
    };

    void buildFrame();
    void buildChildren(const std::string& parent);
    QWidget* createWidget(const Control& c, QWidget* parent);
    QWidget* createInput(const Control& c, QWidget* parent);
    QWidget* createChoice(const Control& c, QWidget* parent);
    void addTab(const Control& sheet, QWidget* page);
    void buildPage(const std::string& tabSheet);
    void fitScrollContent(const Control& scrollBox);
    void wireButtons();
    void fitStatusPanel();
    void fitScreen();
    void shrinkInto(const QRect& room, QSize designed);
    void placeButtons();

    void apply(const Control& c, ControlProperty property);
    void applyAll(const Control& c);
    void applyText(const Control& c, QWidget* w);
    void applyCaption(const Control& c, QWidget* w);
    void applyVisible(const Control& c, QWidget* w);
    void applyCurrentPage(const Control& pageControl);
    void applyFocus(const std::string& name);
    void pageChosen(QWidget* pages, int index);
    void focusMoved(QWidget* now);

    QWidget* contentOf(const std::string& name) const;
    QWidget* find(std::string_view name) const;

    std::unique_ptr<QtPrompts> ownPrompts_;
    std::unique_ptr<K740Editor> editor_;
    std::unordered_map<std::string, QWidget*> widgets_;   // key: lower-case control name
    std::unordered_map<std::string, QWidget*> contents_;  // containers: where children go
    std::unordered_map<std::string, PageSlot> tabs_;      // tab sheets: their page control
    QHash<QWidget*, QString> names_;                      // widget -> control name
    std::set<std::string> builtPages_;
    QWidget* buttonPanel_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* panels_[2] = {nullptr, nullptr};
    QProgressBar* progress_ = nullptr;
    QString webAddress_;
    QMetaObject::Connection focusWatch_;
    int observer_ = 0;
    int hintMirror_ = 0;
    bool syncing_ = false;      // model -> widget in progress: widget signals are not user edits
    bool inFocusMove_ = false;  // a focus move (with its rules) runs
    bool addingTab_ = false;
};

}  // namespace kerma
