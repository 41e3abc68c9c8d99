#include "main_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

#include "factory_passwords.h"
#include "made.h"
#include "serial_port.h"
#include "ui_test_app.h"

namespace kerma {
namespace {

class MainFormTest : public ::testing::Test {
  protected:
    MainFormTest() {
        form.hooks.showHelp = [this](QWidget*, const QString& file) {
            helps.push_back(file.toStdString());
        };
        form.hooks.openPortAndHandshake = [this](const PortItem& port) {
            ports.push_back(port.number);
            lastPort = port;
            return portOpens;
        };
        form.hooks.stopLink = [this] { ++stops; };
        form.show();
    }

    template <typename W>
    W* Child(const char* name) {
        auto* w = form.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool Checked(const char* name) { return Child<QAbstractButton>(name)->isChecked(); }
    bool Enabled(const char* name) { return Child<QWidget>(name)->isEnabled(); }
    void Key(Qt::Key key) { QTest::keyClick(&form, key); }

    // Runs the editor the next command opens: `inside` sees it, then it is closed.
    void WhileEditorOpen(std::function<void(TK740Form&)> inside) {
        form.hooks.showEditor = [inside](TK740Form& editor) {
            editor.show();
            inside(editor);
            editor.close();
        };
    }

    QApplication& app = TestApp();
    TMainForm form{Made(LinkRunner::Create())};
    std::vector<std::string> helps;
    std::vector<int> ports;
    PortItem lastPort;
    bool portOpens = false;
    int stops = 0;
};

TEST_F(MainFormTest, StartsWithTheQnmFamilyAndTheFirstPort) {
    EXPECT_EQ(form.windowTitle(), "Программа задания режимов работы ППКОП Kerma-740");
    EXPECT_TRUE(Checked("CheckBoxQNM"));
    EXPECT_TRUE(Checked("RPYQNM1"));
    EXPECT_FALSE(Enabled("RPYQN4"));
    EXPECT_TRUE(Child<QWidget>("RPYQN1")->isHidden());
    EXPECT_TRUE(Child<QWidget>("K731K732")->isHidden());
    EXPECT_EQ(form.systemVariant(), 1);
    auto* port = Child<QComboBox>("PortNumber");
    ASSERT_EQ(port->count(), 10);
    EXPECT_EQ(port->itemText(0), "com 1");
    EXPECT_EQ(port->itemText(9), "com 10");
    EXPECT_EQ(form.portNumber(), 1);
    EXPECT_EQ(form.statusBar()->findChild<QLabel*>()->text(), " Версия v4.6 ");
    EXPECT_TRUE(form.shortcutsActive());
}

TEST_F(MainFormTest, FamilySwitchMovesTheVariantChoice) {
    QTest::mouseClick(Child<QCheckBox>("CheckBoxQNM"), Qt::LeftButton);
    EXPECT_TRUE(Checked("CheckBoxQN"));
    EXPECT_TRUE(Checked("RPYQN4"));
    EXPECT_TRUE(Enabled("RPYQN4"));
    EXPECT_FALSE(Enabled("RPYQNM1"));
    EXPECT_FALSE(Enabled("RPYQNM4"));
    EXPECT_EQ(form.systemVariant(), 5);

    QTest::mouseClick(Child<QCheckBox>("CheckBoxQNM"), Qt::LeftButton);
    EXPECT_FALSE(Checked("CheckBoxQN"));
    EXPECT_TRUE(Checked("RPYQNM1"));
    EXPECT_FALSE(Enabled("RPYQN4"));

    Child<QRadioButton>("RPYQNM4")->setChecked(true);
    QTest::mouseClick(Child<QCheckBox>("CheckBoxQN"), Qt::LeftButton);
    EXPECT_FALSE(Checked("CheckBoxQNM"));
    EXPECT_EQ(form.systemVariant(), 5);
    QTest::mouseClick(Child<QCheckBox>("CheckBoxQN"), Qt::LeftButton);
    EXPECT_TRUE(Checked("CheckBoxQNM"));
    EXPECT_EQ(form.systemVariant(), 1);  // back on one receiver, not the four chosen before
}

// An adapter plugged in or pulled out between two looks at the list: the designed ten stay, the
// choice stays while its port is there, and connect opens the adapter by its device.
TEST_F(MainFormTest, PortListFollowsTheAdaptersAndKeepsTheChoice) {
    std::vector<FoundPort> found = {{0, "/dev/ttyUSB0", "usb-FTDI_FT232R-if00-port0"}};
    const auto present = [&] { return PortList(found, SerialPort::DeviceName); };
    auto* port = Child<QComboBox>("PortNumber");
    form.refreshPorts(present);
    ASSERT_EQ(port->count(), 11);
    EXPECT_EQ(port->itemText(9), "com 10");
    EXPECT_EQ(port->itemData(10, Qt::ToolTipRole).toString(),
              "Порт есть на компьютере: usb-FTDI_FT232R-if00-port0 (/dev/ttyUSB0)");
    port->setCurrentIndex(10);

    found.insert(found.begin(), {0, "/dev/ttyACM0", ""});
    form.refreshPorts(present);
    EXPECT_EQ(port->currentText(), "ttyUSB0");
    Key(Qt::Key_F2);
    EXPECT_EQ(lastPort.device, "/dev/ttyUSB0");
    EXPECT_EQ(lastPort.number, 0);

    found.clear();
    form.refreshPorts(present);
    EXPECT_EQ(port->count(), 10);
    EXPECT_EQ(port->currentText(), "com 1");
}

TEST_F(MainFormTest, FunctionKeysOpenHelpAndConnect) {
    Child<QComboBox>("PortNumber")->setCurrentIndex(2);
    Key(Qt::Key_F1);
    Key(Qt::Key_F2);  // the port stays shut in this test: no editor
    Key(Qt::Key_F3);
    QTest::mouseClick(Child<QPushButton>("MainHelp"), Qt::LeftButton);
    EXPECT_EQ(helps, (std::vector<std::string>{"Help.hlp", "Setka-740-v4_6-help.hlp"}));
    EXPECT_EQ(ports, std::vector<int>{3});
    EXPECT_TRUE(Enabled("Button1"));  // a failed open gives the demo back
    EXPECT_FALSE(form.editorOpen());
}

TEST_F(MainFormTest, ConnectedEditorSilencesTheFunctionKeysUntilItCloses) {
    portOpens = true;
    bool seen = false;
    WhileEditorOpen([&](TK740Form& editor) {
        seen = true;
        EXPECT_TRUE(form.editorOpen());
        EXPECT_FALSE(form.shortcutsActive());
        EXPECT_EQ(editor.editor().status(1), "  Режим <on-line>. ");
        EXPECT_TRUE(editor.model().at("CancelButton").enabled);
        EXPECT_FALSE(editor.model().at("ConnectButton").enabled);
        QTest::keyClick(&editor, Qt::Key_F1);
        QTest::keyClick(&editor, Qt::Key_F2);
    });
    QTest::mouseClick(Child<QPushButton>("Kerma740"), Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(helps.empty());
    EXPECT_EQ(ports.size(), 1u);
    EXPECT_EQ(stops, 1);  // closed with the link up: the exchange stops, the port closes
    EXPECT_TRUE(form.shortcutsActive());
    EXPECT_FALSE(form.editorOpen());
    EXPECT_TRUE(Enabled("Button1"));
    EXPECT_EQ(form.editor(), nullptr);
    Key(Qt::Key_F1);
    EXPECT_EQ(helps.size(), 1u);
}

TEST_F(MainFormTest, DemoOfTheQnFamily) {
    QTest::mouseClick(Child<QCheckBox>("CheckBoxQN"), Qt::LeftButton);
    WhileEditorOpen([&](TK740Form& editor) {
        const FormModel& m = editor.model();
        EXPECT_EQ(editor.editor().status(0), "Заводские установки выставлены");
        EXPECT_EQ(editor.editor().status(1),
                  "  Демо режим для 4 РПУ(QN). Связь с прибором недоступна.");
        EXPECT_EQ(editor.editor().state().layoutVariant, 5);
        EXPECT_EQ(form.linkState().layoutCode, Layout::Wide);
        EXPECT_TRUE(m.at("PanelQN").visible);
        EXPECT_TRUE(m.at("PageControl").enabled);
        for (const char* off : {"ReadButton", "WriteButton", "ConnectButton", "CancelButton"}) {
            EXPECT_FALSE(m.at(off).enabled) << off;
        }
        EXPECT_TRUE(m.at("DefaultButton").enabled);
        // The factory passwords stand out with the hint to change them, until they are changed.
        for (const char* password : {"paswrd1", "paswrd2"}) {
            EXPECT_TRUE(m.at(password).warning) << password;
            EXPECT_EQ(editor.widget(password)->toolTip(), kFactoryPasswordHint) << password;
            EXPECT_FALSE(editor.widget(password)->styleSheet().isEmpty()) << password;
        }
        const std::string factory = m.at("paswrd2").text;
        editor.model().setText("paswrd2", "4567");
        EXPECT_FALSE(m.at("paswrd2").warning);
        EXPECT_TRUE(editor.widget("paswrd2")->styleSheet().isEmpty());
        EXPECT_TRUE(editor.widget("paswrd2")->toolTip().isEmpty());
        editor.model().setText("paswrd2", factory);  // no edit left to ask about on closing
        EXPECT_TRUE(form.demoMode());
        EXPECT_FALSE(Enabled("Kerma740"));
        QTest::keyClick(&editor, Qt::Key_F2);  // connect is off in the demo
        QTest::keyClick(&editor, Qt::Key_F1);
    });
    QTest::mouseClick(Child<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_TRUE(ports.empty());
    EXPECT_EQ(helps, std::vector<std::string>{"Help.hlp"});
    EXPECT_EQ(stops, 0);
    EXPECT_FALSE(form.demoMode());
    EXPECT_TRUE(Enabled("Kerma740"));
}

TEST_F(MainFormTest, DemoStatusNamesTheChosenVariant) {
    struct Case {
        const char* radio;
        const char* text;
        const char* shownPage;
    } cases[] = {
        {"RPYQNM1", "  Демо режим для 1 РПУ(QN-M). Связь с прибором недоступна.", "ds21"},
        {"RPYQNM4", "  Демо режим для 4 РПУ(QN-M). Связь с прибором недоступна.", "TabSheetSysNum"},
    };
    for (const Case& c : cases) {
        Child<QRadioButton>(c.radio)->setChecked(true);
        WhileEditorOpen([&](TK740Form& editor) {
            EXPECT_EQ(editor.editor().status(1), c.text);
            EXPECT_TRUE(editor.model().at(c.shownPage).visible) << c.radio;
            EXPECT_TRUE(editor.model().at("PasswordEdit").warning) << c.radio;
            EXPECT_FALSE(editor.model().at("PanelQN").visible);
            // Opening the editor leaves the main window's own widgets drawn by Qt, none native.
            for (QWidget* w : form.findChildren<QWidget*>())
                EXPECT_TRUE(w->isWindow() || !w->testAttribute(Qt::WA_NativeWindow))
                    << w->metaObject()->className() << " " << w->objectName().toStdString();
        });
        QTest::mouseClick(Child<QPushButton>("Button1"), Qt::LeftButton);
    }
}

}  // namespace
}  // namespace kerma
