// What the installer sees of the windows themselves: Qt's own texts in Russian (questions, notices,
// file dialogs and their overwrite question, the report's type deciding its extension), window
// titles as they are named, the hourglass only while the line is busy, and status texts shown
// whole.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app_setup.h"
#include "backups.h"
#include "busy_cursor.h"
#include "editor_files.h"
#include "editor_session.h"
#include "headless_editor.h"
#include "in_process_channel.h"
#include "made.h"
#include "main_form.h"
#include "qt_prompts.h"
#include "scripted_prompts.h"
#include "t_form_flash.h"
#include "ui_test_app.h"

namespace kerma {
namespace {

// Texts of a window's buttons as shown, without the mnemonic marks.
QStringList ButtonTexts(QWidget* window) {
    QStringList texts;
    for (auto* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && !button->text().isEmpty()) texts << button->text().remove('&');
    }
    return texts;
}

QStringList LabelTexts(QWidget* window) {
    QStringList texts;
    for (auto* label : window->findChildren<QLabel*>()) {
        if (label->isVisible()) texts << label->text().remove('&');
    }
    return texts;
}

QAbstractButton* ButtonCalled(QWidget* window, const QString& text) {
    for (auto* button : window->findChildren<QAbstractButton*>()) {
        if (button->text().remove('&') == text) return button;
    }
    return nullptr;
}

QStringList RowTexts(QTreeView* list, int row) {
    QStringList texts;
    QAbstractItemModel* model = list->model();
    for (int column = 0; column < model->columnCount(list->rootIndex()); ++column)
        texts << model->index(row, column, list->rootIndex()).data().toString();
    return texts;
}

// Reaches the style option a delegate gives a view.
struct PeekDelegate : QStyledItemDelegate {
    static constexpr auto kOption = &PeekDelegate::initStyleOption;
};

// The label the file dialog's side panel shows for a folder ("" when it has no such place).
QString SidebarPlace(QFileDialog* dialog, const QUrl& folder) {
    auto* side = dialog->findChild<QListView*>("sidebar");
    if (side == nullptr) return {};
    for (int row = 0; row < side->model()->rowCount(); ++row) {
        const QModelIndex index = side->model()->index(row, 0);
        if (index.data(Qt::UserRole + 1).toUrl() != folder) continue;
        // What the delegate paints: its style option, as the view asks for it.
        auto* delegate = qobject_cast<QStyledItemDelegate*>(side->itemDelegateForIndex(index));
        if (delegate == nullptr) return {};
        QStyleOptionViewItem option;
        option.initFrom(side);
        (delegate->*PeekDelegate::kOption)(&option, index);
        return option.text;
    }
    return {};
}

// Acts on the next modal window other than `after` as soon as it is up (a prompt's exec blocks).
void WhenModal(std::function<void(QWidget*)> act, QWidget* after = nullptr, int tries = 300) {
    QTimer::singleShot(10, [act = std::move(act), after, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != after && modal->isVisible()) {
            act(modal);
        } else if (tries > 0) {
            WhenModal(act, after, tries - 1);
        }
    });
}

// The in-process panel at a pace the eye could follow: an exchange then lasts long enough for the
// program's link watch to see it.
class PacedChannel final : public ByteChannel {
  public:
    PacedChannel(VirtualPanel& panel, VirtualClock& clock) : inner_(panel, clock) {}
    std::atomic<bool> paced{false};

    bool write(const uint8_t* bytes, size_t count) override {
        if (paced) std::this_thread::sleep_for(std::chrono::microseconds(500));
        return inner_.write(bytes, count);
    }
    // Paced reads keep a read chain going for about a second, long enough for the link watch
    // to see the line busy however loaded the machine is.
    size_t read(uint8_t* bytes, size_t count) override {
        if (paced) std::this_thread::sleep_for(std::chrono::microseconds(300));
        return inner_.read(bytes, count);
    }
    void purgeReceive() override { inner_.purgeReceive(); }
    void purgeTransmit() override { inner_.purgeTransmit(); }

  private:
    InProcessChannel inner_;
};

class ProgramWindowsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetUpApplication(TestApp()); }
};

TEST_F(ProgramWindowsTest, QuestionsAndNoticesAnswerInRussian) {
    QtPrompts prompts(nullptr);
    QStringList buttons;
    QString caption;
    WhenModal([&](QWidget* box) {
        buttons = ButtonTexts(box);
        caption = box->windowTitle();
        ButtonCalled(box, "Нет")->click();
    });
    EXPECT_FALSE(prompts.question("Провести смену ПО прибора?", "Подтверждение"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Да", "Нет"}));
    EXPECT_EQ(caption, "Подтверждение");

    WhenModal([&](QWidget* box) {
        buttons = ButtonTexts(box);
        caption = box->windowTitle();
        ButtonCalled(box, "ОК")->click();
    });
    prompts.notice("Нет ответа от прибора");
    EXPECT_EQ(buttons, QStringList{"ОК"});
    EXPECT_EQ(caption, kNoticeCaption);
}

// Qt's own dialog on every platform, so its texts are the program's Russian ones.
TEST_F(ProgramWindowsTest, FileDialogsAreRussianAndAskBeforeReplacingAFile) {
    QTemporaryDir dir;
    const QString existing = dir.filePath("объект.cfg");
    std::ofstream(existing.toStdString()) << "1\r\n";
    QtPrompts prompts(nullptr);

    QDir(dir.path()).mkdir("Base");
    QString title;
    QStringList buttons, labels, folderRow, fileRow;
    QString backupsPlace;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        title = dialog->windowTitle();
        buttons = ButtonTexts(dialog);
        labels = LabelTexts(dialog);
        dialog->setDirectory(dir.path());
        auto* list = dialog->findChild<QTreeView*>("treeView");
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 2; }, 5000));
        folderRow = RowTexts(list, 0);
        fileRow = RowTexts(list, 1);
        // A backup's whole name fits its column.
        EXPECT_GE(list->columnWidth(0), list->fontMetrics().horizontalAdvance(
                                            "2026-12-09_10-00-00_v1.8_before-firmware.cfg"));
        backupsPlace =
            SidebarPlace(dialog, QUrl::fromLocalFile(QString::fromStdString(BackupFolder())));
        dialog->reject();
    });
    EXPECT_EQ(prompts.openFile({}), std::nullopt);
    EXPECT_EQ(title, "Открыть");
    EXPECT_TRUE(buttons.contains("Открыть")) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.contains("Отмена"));
    EXPECT_TRUE(labels.contains("Имя файла:")) << labels.join('|').toStdString();
    EXPECT_TRUE(labels.contains("Типы файлов:")) << labels.join("|").toStdString();
    // Name, size, type, date: the size in kilobytes, the date the Russian way.
    ASSERT_EQ(folderRow.size(), 4);
    EXPECT_EQ(folderRow[0], "Base");
    EXPECT_EQ(folderRow[2], "Папка");
    ASSERT_EQ(fileRow.size(), 4);
    EXPECT_EQ(fileRow[1], "1 КБ");
    EXPECT_TRUE(QRegularExpression(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d$)").match(fileRow[3]).hasMatch())
        << fileRow[3].toStdString();
    EXPECT_EQ(backupsPlace, "Резервные копии");

    QString question;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        buttons = ButtonTexts(dialog);
        WhenModal(
            [&](QWidget* box) {
                question = box->findChild<QLabel*>("qt_msgbox_label")->text();
                labels = ButtonTexts(box);
                ButtonCalled(box, "Да")->click();
            },
            dialog);
        // The dialog lists a folder on a thread of its own: a file is selected once it is listed.
        dialog->setDirectory(dir.path());
        auto* list = dialog->findChild<QTreeView*>("treeView");
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 2; }, 5000));
        // Typed as a user types it: selectFile() leaves a focused name field as it is.
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QFileInfo(existing).fileName());
        auto* save = ButtonCalled(dialog, "Сохранить");
        if (!QTest::qWaitFor([&] { return save->isEnabled(); }, 5000)) {
            ADD_FAILURE() << "the file was not selected";
            dialog->reject();
            return;
        }
        save->click();
    });
    EXPECT_EQ(prompts.saveFile({}), existing.toStdString());
    EXPECT_EQ(title, "Сохранить как");
    EXPECT_TRUE(buttons.contains("Сохранить")) << buttons.join('|').toStdString();
    EXPECT_TRUE(question.contains("уже существует")) << question.toStdString();
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"Да", "Нет"}));

    // The report's types are formats: with PDF chosen the file is a .pdf whatever was typed, and
    // the question about replacing it names that file.
    const QString pdf = dir.filePath("отчёт.pdf");
    std::ofstream(pdf.toStdString()) << "%PDF-";
    FileDialogRequest report;
    report.defaultExtension = "html";
    report.filter = "Отчёт HTML (*.html)|*.html|Документ PDF (*.pdf)|*.pdf";
    report.typeGivesExtension = true;
    for (const char* typed : {"отчёт", "отчёт.html"}) {
        question.clear();
        WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            WhenModal(
                [&](QWidget* box) {
                    question = box->findChild<QLabel*>("qt_msgbox_label")->text();
                    ButtonCalled(box, "Да")->click();
                },
                dialog);
            dialog->setDirectory(dir.path());
            dialog->selectNameFilter("Документ PDF (*.pdf)");
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromUtf8(typed));
            auto* save = ButtonCalled(dialog, "Сохранить");
            ASSERT_TRUE(QTest::qWaitFor([&] { return save->isEnabled(); }, 5000));
            save->click();
        });
        EXPECT_EQ(prompts.saveFile(report), pdf.toStdString()) << typed;
        EXPECT_TRUE(question.startsWith("отчёт.pdf")) << question.toStdString();
    }
}

// What a file dialog showed as it came up; the file chosen in it ("" cancels it).
struct DialogSeen {
    QString title, folder, name;
    QStringList places;
};

// The file typed into the name field as a user types it (selectFile waits for the folder to be
// listed), then the dialog's own accept, as its button runs it.
void Accept(QFileDialog* dialog, const QString& file) {
    dialog->setDirectory(QFileInfo(file).absolutePath());
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QFileInfo(file).fileName());
    static_cast<QDialog*>(dialog)->accept();
    if (!dialog->isVisible()) return;
    ADD_FAILURE() << "not taken: " << file.toStdString();
    dialog->reject();  // a test that fails does not hang
}

DialogSeen Choose(const std::function<void()>& open, const QString& file) {
    DialogSeen seen;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        seen.title = dialog->windowTitle();
        seen.folder = dialog->directory().absolutePath();
        seen.name = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
        for (const QUrl& url : dialog->sidebarUrls()) seen.places << SidebarPlace(dialog, url);
        if (file.isEmpty()) {
            dialog->reject();
            return;
        }
        Accept(dialog, file);
    });
    open();
    return seen;
}

// The first dialog of each kind opens in Documents, a later one where its kind was left; the
// report goes beside the configuration file last saved or loaded (never into the backups for
// a backup loaded), else where the last report went. Each carries its command as title.
TEST_F(ProgramWindowsTest, FileDialogsStartWhereInstallersKeepTheirFiles) {
    QTemporaryDir dir;
    const QString documents = dir.filePath("Документы"), desktop = dir.filePath("Рабочий стол");
    const QString site = dir.filePath("Объекты клиентов/Иванов"), other = dir.filePath("Петров");
    const QString reports = dir.filePath("Отчёты");
    // A folder of this test's own: other tests clean the backups folder they share.
    const QString backups = dir.filePath("backups");
    SetFileDialogPlace("Резервные копии", backups);
    for (const QString& folder : {documents, desktop, site, other, reports, backups})
        QDir().mkpath(folder);
    QDir().mkpath(dir.filePath("config"));
    std::ofstream(dir.filePath("config/user-dirs.dirs").toStdString())
        << "XDG_DOCUMENTS_DIR=\"" << documents.toStdString() << "\"\nXDG_DESKTOP_DIR=\""
        << desktop.toStdString() << "\"\n";
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    const QString backup = backups + "/2026-12-09_10-00-00_v1.8_read.cfg";
    for (const QString& file : {backup, other + "/петров.cfg"}) std::ofstream(file.toStdString()) << "1\r\n";

    QtPrompts prompts(nullptr);
    HeadlessEditor shown(18);
    const auto save = [&] { (void)prompts.saveFile(SaveConfigurationDialog()); };
    const auto load = [&] { (void)prompts.openFile(LoadConfigurationDialog()); };
    const auto report = [&] { (void)prompts.saveFile(ReportDialog(*shown.editor, "2026-12-09")); };
    const auto compare = [&] { (void)prompts.openFile(CompareDialog()); };
    const QString reportName = "Отчёт Kerma-740 v1.8 2026-12-09.html";
    struct Step {
        const char* what;
        std::function<void()> open;
        QString choose, title, folder, name;
    };
    const Step steps[] = {
        {"first save", save, site + "/иванов.cfg", "Записать в файл", documents, ""},
        {"second save", save, "", "Записать в файл", site, ""},
        {"report after a save", report, reports + "/" + reportName, "Отчёт о конфигурации", site,
         reportName},
        {"first load", load, backup, "Считать файл", documents, ""},
        {"report after a backup loaded", report, "", "Отчёт о конфигурации", reports, reportName},
        {"first compare", compare, "", "Сравнить с файлом", documents, ""},
        {"second load", load, other + "/петров.cfg", "Считать файл", backups, ""},
        {"report after a load", report, "", "Отчёт о конфигурации", other, reportName},
        {"third save", save, "", "Записать в файл", site, ""},
    };
    for (const Step& step : steps) {
        const DialogSeen seen = Choose(step.open, step.choose);
        EXPECT_EQ(seen.title.toStdString(), step.title.toStdString()) << step.what;
        EXPECT_EQ(seen.folder.toStdString(), step.folder.toStdString()) << step.what;
        EXPECT_EQ(seen.name.toStdString(), step.name.toStdString()) << step.what;
        EXPECT_EQ(seen.places.join('|').toStdString(),
                  "Документы|Рабочий стол|Компьютер|" + QDir::home().dirName().toStdString() +
                      "|Резервные копии")
            << step.what;
    }
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(ProgramWindowsTest, WindowsCarryTheirOwnTitlesOnly) {
    // A display name of the program's own would be added by the platform to every title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    TK740Form editor(EditorOptions{});
    EXPECT_EQ(editor.windowTitle(), "Прибор приемно контрольный \"Kerma 740\"");
    TFormFlash flash;
    EXPECT_EQ(flash.windowTitle(), "Смена прошивки");
}

// A notice during an exchange (the worker waits for it) is read with the normal cursor.
TEST_F(ProgramWindowsTest, TheHourglassGivesWayToAQuestion) {
    BusyCursor::setLineBusy(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    bool hourglassOverNotice = true;
    WhenModal([&](QWidget* box) {
        hourglassOverNotice = QApplication::overrideCursor() != nullptr;
        BusyCursor::setLineBusy(true);  // the link watch looks again while the box is up
        ButtonCalled(box, "ОК")->click();
    });
    QtPrompts(nullptr).notice("Ошибка: Dallas CRC");
    EXPECT_FALSE(hourglassOverNotice);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    BusyCursor::setLineBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The connect chain against the in-process panel: hourglass while it runs, the normal cursor
// over the editor once it has read the panel, the hourglass over the main window all along.
TEST_F(ProgramWindowsTest, ConnectedEditorShowsTheHourglassOnlyWhileTheLineIsBusy) {
    VirtualClock clock;
    VirtualPanel panel;
    panel.installFirmware(VirtualPanel::kDefaultVersion);
    auto channel = std::make_shared<PacedChannel>(panel, clock);
    ScriptedPrompts prompts;
    TMainForm main{Made(LinkRunner::Create(clock))};
    main.editorPrompts = &prompts;
    main.runner().setChannelSource([&] { return std::static_pointer_cast<ByteChannel>(channel); });
    main.hooks.openPortAndHandshake = [&](const PortItem&) {
        main.runner().start(LinkOperation::Handshake);
        return true;
    };
    const auto idle = [&](TK740Form& form) {
        return form.editor().status(0).find("Чтение конфигурации завершено") != std::string::npos &&
               !main.runner().busy() && QApplication::overrideCursor() == nullptr;
    };
    bool ran = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ASSERT_TRUE(QTest::qWaitFor([&] { return idle(form); }, 10000)) << form.editor().status(0);
        EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(main.cursor().shape(), Qt::WaitCursor);

        channel->paced = true;
        form.model().click("ReadButton");
        EXPECT_TRUE(
            QTest::qWaitFor([] { return QApplication::overrideCursor() != nullptr; }, 2000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return idle(form); }, 10000));
        ran = true;
        form.reject();
    };
    main.show();
    main.connectToPanel();
    EXPECT_TRUE(ran);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(main.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
}

class StatusPanelTest : public ProgramWindowsTest {
  protected:
    void SetUp() override {
        form.show();
        QApplication::processEvents();
    }
    void Show(const std::string& text) {
        form.editor().setStatus(0, text);
        QTest::qWait(20);  // the status bar's layout follows in posted events
        if (const char* shots = std::getenv("KERMA740_SHOTS")) {  // a look by eye
            form.findChild<QStatusBar*>()->grab().save(
                QString("%1/status_bar_%2.png").arg(shots).arg(++shown_));
        }
    }
    QLabel* panel0() { return form.findChild<QLabel*>("StatusPanel0"); }
    bool WholeTextShown() {
        QLabel* p = panel0();
        if (p->wordWrap()) return p->height() >= p->heightForWidth(p->width());
        return p->contentsRect().width() >= p->fontMetrics().horizontalAdvance(p->text());
    }

    ScriptedPrompts prompts;
    TK740Form form{EditorOptions{}, nullptr, &prompts};
    int shown_ = 0;
};

TEST_F(StatusPanelTest, ShowsLongLinkTextsWholeWithThemAsItsHint) {
    const int editorWidth = form.width();
    for (const std::string text :
         {"Связь установлена. Идет проверка версии программного обеспечения",
          "ППКОП Kerma-740 версия v 1.25  Чтение конфигурации завершено",
          "ППКОП Kerma-740 версия v 1.25    Идет чтение конфигурации ... . "}) {
        Show(text);
        EXPECT_TRUE(WholeTextShown()) << text;
        EXPECT_FALSE(panel0()->wordWrap()) << text;
        EXPECT_EQ(panel0()->toolTip().toStdString(), text);
    }
    form.setTransferProgress(30);
    Show("ППКОП Kerma-740 версия v 1.25  Запись конфигурации в прибор...");
    EXPECT_TRUE(WholeTextShown());
    form.setTransferProgress(-1);
    Show("Нет связи с прибором");
    EXPECT_EQ(panel0()->width(), 420);  // never narrower than its own width
    EXPECT_EQ(form.width(), editorWidth);
}

TEST_F(StatusPanelTest, TextLongerThanTheBarGoesOnToASecondLine) {
    const int editorWidth = form.width();
    const std::string path(20, 'x');
    std::string text = "Резервная копия не записана:";
    for (int i = 0; i < 8; ++i) text += " /home/installer/" + path;
    Show(text);
    EXPECT_TRUE(panel0()->wordWrap());
    EXPECT_TRUE(WholeTextShown());
    EXPECT_EQ(form.width(), editorWidth);
    Show("Нет связи с прибором");
    EXPECT_FALSE(panel0()->wordWrap());
}

}  // namespace
}  // namespace kerma
