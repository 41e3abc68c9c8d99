#include "k740_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "scripted_prompts.h"
#include "ui_test_app.h"

namespace kerma {
namespace {

class K740FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m.setEnabled("PageControl", true);  // as after a read or the demo start
        form.show();
    }

    // Brings the control's pages to the front, as a user would, and gives its widget.
    template <typename W>
    W* Shown(const char* name) {
        std::vector<const Control*> sheets;
        for (const Control* c = m.find(name); c != nullptr; c = m.find(c->parent)) {
            if (c->kind == ControlKind::TabSheet) sheets.insert(sheets.begin(), c);
        }
        for (const Control* sheet : sheets) m.setActivePage(sheet->parent, sheet->name);
        QApplication::processEvents();
        return Widget<W>(name);
    }

    template <typename W>
    W* Widget(const char* name) {
        auto* w = qobject_cast<W*>(form.widget(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QApplication& app = TestApp();  // before any widget
    ScriptedPrompts prompts;
    TK740Form form{EditorOptions{}, nullptr, &prompts};
    FormModel& m = form.model();
};

TEST_F(K740FormTest, WidgetsCarryTheControlNamesAndPagesAreBuiltOnDemand) {
    const int before = form.widgetCount();
    auto* box = Widget<QCheckBox>("Q3216");  // case ignored, as the model does
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->objectName(), "q3216");
    EXPECT_GT(form.widgetCount(), before + 500);  // the whole code page came with it
    EXPECT_NE(Widget<QLineEdit>("Object824R4"), nullptr);
    EXPECT_EQ(form.widget("ListBox1"), nullptr);  // buffers have no widget
    EXPECT_EQ(form.widget("NoSuchControl"), nullptr);
}

TEST_F(K740FormTest, ModelChangesReachTheWidgets) {
    auto* code = Widget<QLineEdit>("kod3");
    m.setText("kod3", "12 3");
    EXPECT_EQ(code->text(), "12 3  ");
    m.setEnabled("kod3", false);
    EXPECT_FALSE(code->isEnabled());
    auto* border = Widget<QComboBox>("Border3");
    EXPECT_EQ(border->currentIndex(), 4);
    m.setItemIndex("Border3", 16);
    EXPECT_EQ(border->currentIndex(), -1);
    m.setCaption("RPU1", "РПУ");
    auto* tabs = Widget<QTabWidget>("PageControlRPU");
    EXPECT_EQ(tabs->tabText(0), "РПУ");
    m.setVisible("RPU2", false);
    EXPECT_FALSE(tabs->isTabVisible(1));
    m.setActivePage("PageControlRPU", "RPU3");
    EXPECT_EQ(tabs->currentIndex(), 2);
    m.setText("StatusPanel1", "x");  // status panels show captions, texts are not theirs
    form.editor().setStatus(1, "  Режим <on-line>. ");
    EXPECT_EQ(form.findChild<QLabel*>("StatusPanel1")->text(), "  Режим <on-line>. ");
}

TEST_F(K740FormTest, HidingTheShownTabBringsAnotherPageAndTheModelFollows) {
    Shown<QLineEdit>("Key70");
    m.setVisible("TM6496", false);  // the key count drops below 65
    auto* keyTabs = Widget<QTabWidget>("PageControl1");
    EXPECT_EQ(m.activePage("PageControl1"), keyTabs->currentWidget()->objectName().toStdString());
    EXPECT_NE(m.activePage("PageControl1"), "TM6496");
    m.setVisible("TabSheetKey", false);  // a layout for the QN family
    EXPECT_EQ(m.activePage("PageControl"), "TabSheetRazdel");
    EXPECT_TRUE(Widget<QWidget>("Razdel")->isVisible());
}

TEST_F(K740FormTest, TypingIntoAMaskedEditKeepsItsPlacesAndRaisesChange) {
    std::vector<std::string> changes;
    m.on("RPD11", ControlEvent::Change, [&](Control& c) { changes.push_back(c.text); });
    auto* edit = Shown<QLineEdit>("RPD11");
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_1);
    QTest::keyClick(edit, Qt::Key_2);
    QTest::keyClick(edit, Qt::Key_3);  // no third place: nothing happens
    QTest::keyClick(edit, Qt::Key_A);  // digits only
    EXPECT_EQ(m.at("RPD11").text, "12");
    edit->setCursorPosition(1);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(m.at("RPD11").text, " 2");  // the place stays, blank
    EXPECT_EQ(changes, (std::vector<std::string>{"1 ", "12", " 2"}));
}

TEST_F(K740FormTest, RuleFilteringATypedTextIsShownAtOnce) {
    m.on("kod1", ControlEvent::Change, [&](Control& c) {
        std::string t = c.text;
        std::erase(t, '0');
        m.setText("kod1", t);
    });
    auto* edit = Shown<QLineEdit>("kod1");
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, "105");
    EXPECT_EQ(m.at("kod1").text, "15    ");
    EXPECT_EQ(edit->text(), "15    ");
}

TEST_F(K740FormTest, ClicksGoThroughTheModel) {
    int clicks = 0;
    m.on("avt4", ControlEvent::Click, [&](Control&) { ++clicks; });
    QTest::mouseClick(Shown<QCheckBox>("avt4"), Qt::LeftButton);
    EXPECT_TRUE(m.at("avt4").checked);
    EXPECT_EQ(clicks, 1);

    auto* fire = Shown<QRadioButton>("ds04");
    QTest::mouseClick(fire, Qt::LeftButton);
    EXPECT_TRUE(m.at("ds04").checked);
    EXPECT_FALSE(Widget<QRadioButton>("ds24")->isChecked());
    QTest::mouseClick(fire, Qt::LeftButton);  // a checked radio stays checked
    EXPECT_TRUE(fire->isChecked());
    EXPECT_TRUE(m.at("ds04").checked);

    std::vector<int> picked;
    m.on("Border2", ControlEvent::Change, [&](Control& c) { picked.push_back(c.itemIndex); });
    auto* border = Shown<QComboBox>("Border2");
    emit border->activated(6);
    EXPECT_EQ(picked, std::vector<int>{6});
}

TEST_F(K740FormTest, ButtonsSayTheyWereClicked) {
    std::vector<std::string> called;
    QObject::connect(&form, &TK740Form::saveClicked, [&] { called.push_back("save"); });
    QObject::connect(&form, &TK740Form::helpClicked, [&] { called.push_back("help"); });
    QObject::connect(&form, &TK740Form::loadClicked, [&] { called.push_back("load"); });
    QTest::mouseClick(Widget<QPushButton>("SaveButton"), Qt::LeftButton);
    QTest::mouseClick(Widget<QPushButton>("BitBtn1"), Qt::LeftButton);
    m.click("LoadButton");  // a rule or test clicking through the model is a click too
    QTest::mouseClick(Widget<QPushButton>("WriteButton"), Qt::LeftButton);  // disabled: nothing
    EXPECT_EQ(called, (std::vector<std::string>{"save", "help", "load"}));
}

TEST_F(K740FormTest, EveryWayOfClosingSaysItCloses) {
    int closed = 0;
    QObject::connect(&form, &TK740Form::closing, [&] { ++closed; });
    QTest::keyClick(&form, Qt::Key_Escape);
    form.show();
    form.close();
    EXPECT_EQ(closed, 2);
}

TEST_F(K740FormTest, TransferProgressShowsOnlyWhileATransferRuns) {
    auto* bar = form.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    form.setTransferProgress(40);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->value(), 40);
    form.setTransferProgress(-1);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(K740FormTest, LogosCarryTheMakersTwoLineHint) {
    form.setMakerSite("Volmar", "www.example.org");
    EXPECT_EQ(m.at("Image3").hint, "Соединение с сайтом\nVolmar (www.example.org)");
    EXPECT_EQ(Widget<QWidget>("Image1")->toolTip(),
              QString::fromUtf8("Соединение с сайтом\nVolmar (www.example.org)"));
}

// A hint shows lime with dark text whatever the platform's style draws hints with, also after
// the platform handed the hints its own colours (Windows does so when a setting changes).
TEST_F(K740FormTest, HintsAreLime) {
    QWidget* button = Widget<QWidget>("DefaultButton");
    QToolTip::setPalette(QPalette());
    QHelpEvent hint(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &hint);
    QWidget* tip = nullptr;
    // Not asked to be visible yet: the Windows style may still be rolling it out.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel")) tip = w;
    ASSERT_NE(tip, nullptr);
    const QImage picture = tip->grab().toImage();
    EXPECT_EQ(picture.pixelColor(picture.width() - 4, picture.height() / 2), QColor(0, 255, 0));
    QToolTip::hideText();
}

// Where the screen has room the window is the designed one and keeps its size. On a laptop's
// small free area it fits inside it: the pages scroll, the buttons and the status bar stay.
TEST_F(K740FormTest, WindowFitsTheFreeAreaOfItsScreen) {
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    QScreen* small = nullptr;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().height() < form.height()) small = screen;
    if (small == nullptr) GTEST_SKIP() << "every screen has room for the designed window";

    TK740Form laptop{EditorOptions{}, nullptr, &prompts};
    laptop.setScreen(small);
    laptop.show();
    QApplication::processEvents();
    const QRect free = small->availableGeometry();
    EXPECT_TRUE(free.contains(laptop.frameGeometry()))
        << laptop.frameGeometry().x() << "," << laptop.frameGeometry().y() << " "
        << laptop.frameGeometry().width() << "x" << laptop.frameGeometry().height();
    const auto inSight = [&](QWidget* w) {
        return w->isVisible() &&
               laptop.rect().contains(QRect(w->mapTo(&laptop, QPoint(0, 0)), w->size()));
    };
    EXPECT_TRUE(inSight(laptop.widget("DefaultButton")));
    EXPECT_TRUE(inSight(laptop.widget("BitBtn1")));
    EXPECT_TRUE(inSight(laptop.findChild<QStatusBar*>()));
    // Both windows open in the middle of their screen's free area.
    for (const QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&laptop)}) {
        const QRect around = w->screen()->availableGeometry(), box = w->frameGeometry();
        EXPECT_LE(std::abs(box.center().x() - around.center().x()), 16) << box.x();
        EXPECT_LE(std::abs(box.center().y() - around.center().y()), 16) << box.y();
    }
    // The tabs stay over the page; only the page scrolls, and a list on it needs no scroll bar
    // of its own: the page scrolls as one.
    laptop.model().setEnabled("PageControl", true);
    for (const char* page : {"TabSheetKod", "TabSheetKey", "TabSheetName"}) {
        laptop.model().setActivePage("PageControl", page);
        QApplication::processEvents();
        QScrollArea* scroll = nullptr;
        for (auto* area : laptop.findChildren<QScrollArea*>("PageScroll"))
            if (area->isVisible()) scroll = area;
        ASSERT_NE(scroll, nullptr) << page;
        EXPECT_TRUE(scroll->verticalScrollBar()->isVisible()) << page;
        EXPECT_TRUE(inSight(scroll->verticalScrollBar())) << page;
        EXPECT_TRUE(inSight(scroll->parentWidget()->parentWidget()->findChild<QToolButton*>()))
            << page;
        for (auto* list : scroll->widget()->findChildren<QScrollArea*>()) {
            if (list->isVisible()) {
                EXPECT_FALSE(list->verticalScrollBar()->isVisible()) << page;
                EXPECT_FALSE(list->horizontalScrollBar()->isVisible()) << page;
            }
        }
    }
}

TEST_F(K740FormTest, FocusSetByARuleReachesTheWidget) {
    form.activateWindow();
    Shown<QLineEdit>("RPD25");
    m.setFocus("RPD25");
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), form.widget("RPD25"));
}

}  // namespace
}  // namespace kerma
