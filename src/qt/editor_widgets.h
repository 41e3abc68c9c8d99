#pragma once
// Small widgets the editor window needs and Qt does not have in the designed form.
#include <QFrame>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QValidator>
#include <QWidget>
#include <functional>
#include <vector>

namespace kerma {

// Admits digits and blanks and never more characters than the field holds.
class FixedWidthValidator : public QValidator {
  public:
    FixedWidthValidator(int width, QObject* parent) : QValidator(parent), width_(width) {}
    State validate(QString& input, int& pos) const override;

  private:
    int width_;
};

// A masked edit: a fixed number of places, digits and blanks, typed over as on the panel's
// keypad. Backspace and Delete blank a place instead of closing the gap, so "12 3" keeps its
// blank inside and the text keeps its width.
class MaskedLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    MaskedLineEdit(int width, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void putAt(int pos, QChar c, int cursorAfter);
    int width_;
};

// The spin of an edit: two arrow buttons; the model does the counting.
class UpDownWidget : public QWidget {
    Q_OBJECT
  public:
    explicit UpDownWidget(QWidget* parent);
    std::function<void(int step)> onStep;
};

// A page control whose tabs wrap onto several rows, so every caption stays whole.
class MultiRowPages : public QWidget {
    Q_OBJECT
  public:
    explicit MultiRowPages(QWidget* parent);
    int addPage(QWidget* page, const QString& caption);
    void setPageVisible(int index, bool visible);
    void setPageCaption(int index, const QString& caption);
    void setCurrent(int index);
    [[nodiscard]] int current() const { return stack_->currentIndex(); }
    [[nodiscard]] int count() const { return static_cast<int>(tabs_.size()); }
    [[nodiscard]] bool pageVisible(int index) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void currentChanged(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    int placeTabs(int width, bool move);
    QWidget* strip_;
    QStackedWidget* stack_;
    std::vector<QToolButton*> tabs_;
    std::vector<QWidget*> pages_;  // each inside a scroll area of the stack
};

// The maker's logo, drawn rather than loaded; a click opens the web site.
class LogoWidget : public QFrame {
    Q_OBJECT
  public:
    explicit LogoWidget(QWidget* parent);
    std::function<void()> onClick;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kerma
