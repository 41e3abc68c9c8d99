// The help window and its pages: every link must lead somewhere, every page must be reachable,
// and both help file names the program asks for must land on the start page of one window.
#include "help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <memory>
#include <vector>

namespace {

const QUrl kStartPage(QStringLiteral("qrc:/help/index.html"));

// One application for the whole run, torn down before the static destructors run: Qt's thread
// storage is gone by then, and a window left open would crash the exit.
class QtEnvironment : public ::testing::Environment {
  public:
    void TearDown() override {
        QList<QWidget*> roots;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->parentWidget() == nullptr) {
                roots << w;
            }
        }
        qDeleteAll(roots);
        app_.reset();
    }
    QApplication& App() {
        if (!app_) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
        return *app_;
    }

  private:
    int argc_ = 1;
    char name_[17] = "help_window_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

QtEnvironment* const kQt =
    static_cast<QtEnvironment*>(::testing::AddGlobalTestEnvironment(new QtEnvironment));

QApplication& App() {
    return kQt->App();
}

std::vector<QWidget*> HelpWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("HelpWindow")) {
            found.push_back(w);
        }
    }
    return found;
}

QWidget* TheHelpWindow() {
    const std::vector<QWidget*> windows = HelpWindows();
    return windows.size() == 1 ? windows.front() : nullptr;
}

QTextBrowser* BrowserOf(QWidget* window) {
    return window->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
}

QToolButton* ButtonOf(QWidget* window, const char* name) {
    return window->findChild<QToolButton*>(QLatin1String(name));
}

// A page as Qt's rich text engine reads it, so links are judged as the help window sees them.
struct Page {
    QUrl url;
    QString title;
    QStringList hrefs;
    QSet<QString> anchors;
};

Page LoadPage(const QUrl& url) {
    Page page{url, {}, {}, {}};
    QFile file(QLatin1Char(':') + url.path());
    if (!file.open(QIODevice::ReadOnly)) {
        return page;
    }
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(file.readAll()));
    page.title = doc.metaInformation(QTextDocument::DocumentTitle);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.anchorHref().isEmpty()) {
                page.hrefs << format.anchorHref();
            }
            for (const QString& name : format.anchorNames()) {
                page.anchors.insert(name);
            }
        }
    }
    return page;
}

QStringList CompiledPages() {
    return QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
}

QUrl PageUrl(const QString& fileName) {
    return QUrl(QStringLiteral("qrc:/help/") + fileName);
}

class HelpPagesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        App();
        // The pages come into the resources through the help library itself.
        kerma::ShowHelp(nullptr);
    }
};

TEST_F(HelpPagesTest, EveryLinkLeadsToAnExistingPageAndAnchor) {
    ASSERT_FALSE(CompiledPages().isEmpty());
    QStringList broken;
    for (const QString& name : CompiledPages()) {
        const Page page = LoadPage(PageUrl(name));
        EXPECT_FALSE(page.title.trimmed().isEmpty()) << name.toStdString() << " has no title";
        for (const QString& href : page.hrefs) {
            const QUrl target = page.url.resolved(QUrl(href));
            const Page targetPage = LoadPage(target.adjusted(QUrl::RemoveFragment));
            const bool pageExists = target.scheme() == QLatin1String("qrc") &&
                                    QFile::exists(QLatin1Char(':') + target.path());
            const bool anchorExists =
                !target.hasFragment() || targetPage.anchors.contains(target.fragment());
            if (!pageExists || !anchorExists) {
                broken << name + QStringLiteral(" -> ") + href;
            }
        }
    }
    EXPECT_TRUE(broken.isEmpty()) << broken.join(QStringLiteral(", ")).toStdString();
}

TEST_F(HelpPagesTest, EveryPageIsReachableFromTheStartPage) {
    QSet<QString> seen{kStartPage.path()};
    QList<QUrl> queue{kStartPage};
    while (!queue.isEmpty()) {
        const Page page = LoadPage(queue.takeFirst());
        for (const QString& href : page.hrefs) {
            const QUrl target = page.url.resolved(QUrl(href)).adjusted(QUrl::RemoveFragment);
            if (!seen.contains(target.path())) {
                seen.insert(target.path());
                queue << target;
            }
        }
    }
    for (const QString& name : CompiledPages()) {
        EXPECT_TRUE(seen.contains(PageUrl(name).path())) << name.toStdString() << " is orphaned";
    }
}

TEST_F(HelpPagesTest, EveryWrittenPageIsCompiledIn) {
    const QStringList written = QDir(QStringLiteral(KERMA_HELP_SOURCE_DIR))
                                    .entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(written, CompiledPages());
}

TEST(HelpWindowTest, OpensTheStartPageOfTheOneHelpWindow) {
    App();
    kerma::ShowHelp(nullptr);
    QWidget* window = TheHelpWindow();
    ASSERT_NE(window, nullptr);
    BrowserOf(window)->setSource(PageUrl(QStringLiteral("codes.html")));

    kerma::ShowHelp(nullptr);

    ASSERT_EQ(TheHelpWindow(), window) << "a second help window was opened";
    QTextBrowser* browser = BrowserOf(window);
    EXPECT_EQ(browser->source(), kStartPage);
    EXPECT_EQ(browser->documentTitle(), LoadPage(kStartPage).title);
    EXPECT_FALSE(browser->toPlainText().isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Помощь"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
}

TEST(HelpWindowNavigationTest, BackForwardAndHomeFollowTheHistory) {
    App();
    kerma::ShowHelp(nullptr);
    QWidget* window = TheHelpWindow();
    ASSERT_NE(window, nullptr);
    QTextBrowser* browser = BrowserOf(window);
    QToolButton* back = ButtonOf(window, "HelpBack");
    QToolButton* forward = ButtonOf(window, "HelpForward");
    QToolButton* home = ButtonOf(window, "HelpHome");
    ASSERT_TRUE(back && forward && home);
    browser->clearHistory();
    browser->setSource(kStartPage);
    EXPECT_FALSE(back->isEnabled());

    browser->setSource(PageUrl(QStringLiteral("keys.html")));
    ASSERT_TRUE(back->isEnabled());
    back->click();
    EXPECT_EQ(browser->source(), kStartPage);
    ASSERT_TRUE(forward->isEnabled());
    forward->click();
    EXPECT_EQ(browser->source(), PageUrl(QStringLiteral("keys.html")));
    home->click();
    EXPECT_EQ(browser->source(), kStartPage);
}

// The editor is shown modally; a help window it cannot reach would be useless, and the window it
// was opened from may be gone by the next request.
TEST(HelpWindowOwnerTest, FollowsAModalWindowAndOutlivesIt) {
    App();
    kerma::ShowHelp(nullptr);
    auto editor = std::make_unique<QDialog>();
    editor->setWindowModality(Qt::ApplicationModal);
    editor->show();

    kerma::ShowHelp(editor.get());
    QWidget* window = TheHelpWindow();
    ASSERT_NE(window, nullptr);
    // Qt lets a modal window's own child windows through; isAncestorOf() stops at window borders.
    EXPECT_EQ(window->parentWidget(), editor.get())
        << "the modal editor would block the help window";
    EXPECT_TRUE(window->isVisible());

    editor.reset();
    kerma::ShowHelp(nullptr);
    window = TheHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(BrowserOf(window)->source(), kStartPage);
    EXPECT_TRUE(window->isVisible());
}

TEST(HelpWindowOwnerTest, ClosedWindowIsOpenedAgain) {
    App();
    kerma::ShowHelp(nullptr);
    QWidget* window = TheHelpWindow();
    ASSERT_NE(window, nullptr);
    window->close();
    EXPECT_TRUE(HelpWindows().empty());

    kerma::ShowHelp(nullptr);
    window = TheHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(BrowserOf(window)->source(), kStartPage);
}

}  // namespace
