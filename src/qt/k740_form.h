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

class TK740Form : public QDialog {
    Q_OBJECT
  public:
    // prompts: where the rules' messages go; nullptr shows them as message boxes of this window.
    explicit TK740Form(EditorOptions options, QWidget* parent = nullptr,
                       Prompts* prompts = nullptr);
    ~TK740Form() override;

    K740Editor& editor() { return *editor_; }
    FormModel& model() { return editor_->model(); }
    // Asked before the window closes, by any way; false keeps it open (a write the user lets
    // run, edits the user keeps).
    std::function<bool()> canClose;

    // The logos' two-line hint and the address a click on them opens.
    void setMakerSite(const QString& makerName, const QString& webAddress);
    // Progress of a block transfer in the status bar; a negative value hides the bar.
    void setTransferProgress(int percent);

    // The widget of a control, building its page first when needed; nullptr for controls
    // without a widget (list buffers).
    QWidget* widget(std::string_view name);
    [[nodiscard]] int widgetCount() const { return static_cast<int>(widgets_.size()); }

    void setVisible(bool visible) override;

  signals:
    // The window's buttons.
    void writeClicked();     // "Записать конфигурацию в прибор"
    void readClicked();      // "Считать конфигурацию из прибора"
    void cancelClicked();    // "Разорвать связь"
    void connectClicked();   // "Установить связь"
    void defaultsClicked();  // "Заводские установки"
    void loadClicked();      // "Считать файл"
    void saveClicked();      // "Записать в файл"
    void helpClicked();      // "Помощь"
    // The window closes, by any way; it is still there.
    void closing();

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
    void unroll(const Control& scrollBox);
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
    bool unrolled_ = false;  // the lists are shown whole: the screen is too small for the window
};

}  // namespace kerma
