#include "help_window.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

// The help pages live in a static library; without an explicit reference the linker drops the
// compiled resources. Q_INIT_RESOURCE may not be used inside a namespace.
static void InitHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace kerma {
namespace {

const char kStartPage[] = "qrc:/help/index.html";

const char kPageStyle[] =
    "body { font-family: 'DejaVu Sans', 'Segoe UI', sans-serif; }"
    "h1 { color: #1f3f74; font-size: x-large; }"
    "h2 { color: #1f3f74; font-size: large; }"
    "h3 { color: #1f3f74; }"
    "th { background-color: #dde6f3; }"
    ".msg { font-weight: bold; color: #7a1010; }"
    ".note { background-color: #fff4c8; }";

class HelpWindow : public QWidget {
  public:
    explicit HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
        setObjectName(QStringLiteral("HelpWindow"));
        setWindowTitle(QStringLiteral("Помощь"));
        setAttribute(Qt::WA_DeleteOnClose);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName(QStringLiteral("HelpBrowser"));
        browser_->document()->setDefaultStyleSheet(QString::fromUtf8(kPageStyle));
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(BuildButtons());
        layout->addWidget(browser_);
        resize(820, 640);
    }

    void ShowPage(const QUrl& page) {
        // QTextBrowser::home() returns to the first page ever shown, so the start page is set
        // first and stays the home page for the life of the window.
        browser_->setSource(page);
    }

  private:
    QHBoxLayout* BuildButtons() {
        auto* back = AddButton(QStringLiteral("HelpBack"), QStringLiteral("◀ Назад"));
        auto* forward = AddButton(QStringLiteral("HelpForward"), QStringLiteral("Вперёд ▶"));
        auto* home = AddButton(QStringLiteral("HelpHome"), QStringLiteral("Содержание"));
        back->setEnabled(false);
        forward->setEnabled(false);
        connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
        connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
        connect(home, &QToolButton::clicked, browser_, &QTextBrowser::home);
        connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
        auto* row = new QHBoxLayout;
        row->addWidget(back);
        row->addWidget(forward);
        row->addWidget(home);
        row->addStretch();
        return row;
    }

    QToolButton* AddButton(const QString& name, const QString& text) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return button;
    }

    QTextBrowser* browser_ = nullptr;
};

QPointer<HelpWindow>& OpenHelpWindow() {
    static QPointer<HelpWindow> window;
    return window;
}

// A modal window blocks every window that is not its own child: the help window follows the
// window it was asked from. A request from inside the help window itself keeps the owner.
void FollowOwner(HelpWindow* window, QWidget* owner) {
    if (owner == nullptr || owner == window || owner == window->parentWidget()) {
        return;
    }
    const QRect geometry = window->geometry();
    window->setParent(owner, window->windowFlags());
    window->setGeometry(geometry);
}

}  // namespace

void ShowHelp(QWidget* parent) {
    static const bool resourcesReady = (InitHelpResources(), true);
    (void)resourcesReady;
    QWidget* owner = parent != nullptr ? parent->window() : nullptr;
    QPointer<HelpWindow>& window = OpenHelpWindow();
    if (window.isNull()) {
        window = new HelpWindow(owner);
    } else {
        FollowOwner(window, owner);
    }
    window->ShowPage(QUrl(QString::fromLatin1(kStartPage)));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace kerma
