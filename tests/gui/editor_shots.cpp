// Not a test: draws the main window and every page of the editor into PNG files for a look by eye
// and for docs/screenshots. The editor is opened the way the program opens it: "Демо режим" with
// the factory configuration of the chosen variant, and a connect to a virtual panel after a read.
// Usage: editor_shots OUT_DIR [--no-panel]   (under a real display or QT_QPA_PLATFORM=offscreen;
// QT_SCALE_FACTOR=1.5 for the large scale)
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app_setup.h"
#include "k740_form.h"
#include "made.h"
#include "main_form.h"
#include "qt_prompts.h"
#include "scripted_prompts.h"

namespace {

using Pages = std::vector<std::pair<const char*, const char*>>;  // tab sheet, file name

// The pages each variant shows, with the plain names the docs use.
const Pages kPartitionPages = {{"TabSheetRazdel", "partitions"},
                               {"TabSheetPriv", "bindings"},
                               {"TabSheetKod", "codes"},
                               {"TabSheetKey", "keys"},
                               {"TabSheetNameRzd", "partition_names"},
                               {"TabSheetSysNum", "system_numbers"}};
const Pages kObjectPages = {
    {"TabSheetRazdel", "modes"}, {"TabSheetKod", "codes"}, {"TabSheetName", "objects"}};

void Settle(int ms = 100) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents();
        QThread::msleep(10);
    } while (timer.elapsed() < ms);
}

// The best PNG compression: the pictures go into the repository.
void Save(const QImage& picture, const QString& dir, const QString& name) {
    const QString path = dir + "/" + name + ".png";
    if (!picture.save(path, "PNG", 0)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("  %s\n", qPrintable(path));
}

void Shot(QWidget& w, const QString& dir, const QString& name) {
    Settle();
    Save(w.grab().toImage(), dir, name);
}

// The hint of the demo button, as the mouse would raise it, drawn over the main window on a
// white ground (the hint needs a real display to pop up).
void HintShot(QWidget& main, const QString& dir) {
    if (QGuiApplication::platformName() == "offscreen") return;
    QWidget* demo = main.findChild<QWidget*>("Button1");
    QPoint at = demo->rect().center();
    QHelpEvent hint(QEvent::ToolTip, at, demo->mapToGlobal(at));
    QApplication::sendEvent(demo, &hint);
    Settle(400);
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible()) tip = w;
    if (tip == nullptr) return;
    const QRect window = main.geometry(), area = window.united(tip->geometry());
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(window.topLeft() - area.topLeft(), main.grab());
    painter.drawPixmap(tip->pos() - area.topLeft(), tip->grab());
    painter.end();
    Save(picture, dir, "main_window_hint");
}

void ChooseVariant(kerma::TMainForm& main, int variant) {
    main.findChild<QCheckBox*>(variant == 5 ? "CheckBoxQN" : "CheckBoxQNM")->setChecked(true);
    const char* radio = variant == 1 ? "RPYQNM1" : variant == 3 ? "RPYQNM4" : "RPYQN4";
    main.findChild<QRadioButton*>(radio)->setChecked(true);
}

void PageShots(kerma::TK740Form& form, int variant, const QString& dir) {
    form.show();
    Settle(200);
    for (const auto& [sheet, name] : variant == 5 ? kObjectPages : kPartitionPages) {
        if (!form.model().at(sheet).visible) continue;
        QElapsedTimer timer;
        timer.start();
        form.model().setActivePage("PageControl", sheet);
        QApplication::processEvents();
        std::printf("v%d %s built and shown in %.1f ms\n", variant, sheet,
                    static_cast<double>(timer.nsecsElapsed()) / 1e6);
        Shot(form, dir, QString("v%1_%2").arg(variant).arg(name));
    }
}

// "Демо режим" for each variant: the editor with the factory configuration.
void DemoShots(kerma::TMainForm& main, const QString& dir) {
    for (int variant : {1, 3, 5}) {
        ChooseVariant(main, variant);
        main.hooks.showEditor = [&](kerma::TK740Form& form) {
            PageShots(form, variant, dir);
            form.reject();
        };
        main.openDemo();
    }
}

// A question and the open dialog as the program shows them: the picture is taken once the window
// is up, then the window is closed.
void DialogShots(QWidget& over, const QString& dir) {
    const auto shootNext = [&dir](const QString& name) {
        QTimer::singleShot(300, [&dir, name] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            Save(modal->grab().toImage(), dir, name);
            modal->close();
        });
    };
    kerma::QtPrompts prompts(&over);
    shootNext("question");
    (void)prompts.question(
        "ПО прибора ППКОП Kerma-740 версия v 3.2 не соответсвует выбранному вами типу системы. "
        "Провести смену ПО прибора? Это процедура займет примерно 10 минут.",
        "Подтверждение");
    shootNext("open_dialog");
    (void)prompts.openFile({});
}

// "Выполнить" against kerma740-panel (beside this program) on a pseudo-terminal: the editor after
// the read of the panel's configuration.
bool PanelShot(kerma::TMainForm& main, const QString& dir) {
    QTemporaryDir temp;
    const QString link = temp.filePath("com1");
    QProcess panel;
    panel.setStandardOutputFile(QProcess::nullDevice());
    panel.start(QApplication::applicationDirPath() + "/kerma740-panel", {"--link", link});
    if (!panel.waitForStarted(5000) ||
        !QTest::qWaitFor([&] { return QFileInfo::exists(link); }, 5000)) {
        std::fprintf(stderr, "kerma740-panel did not start\n");
        return false;
    }
    setenv("KERMA740_COM1", qPrintable(link), 1);
    ChooseVariant(main, 1);
    main.findChild<QWidget*>("PortNumber")->setProperty("currentIndex", 0);
    bool read = false;
    main.hooks.showEditor = [&](kerma::TK740Form& form) {
        form.show();
        read = QTest::qWaitFor(
            [&] {
                const std::string& status = form.editor().status(0);
                return status.find("Чтение конфигурации завершено") != std::string::npos &&
                       form.model().at("PageControl").enabled;
            },
            30000);
        if (read) {
            Shot(form, dir, "connected_after_read");
        } else {
            std::fprintf(stderr, "no read: %s\n", form.editor().status(0).c_str());
        }
        form.reject();
    };
    main.connectToPanel();
    panel.terminate();
    panel.waitForFinished(5000);
    return read;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kerma::SetUpApplication(app);
    const QString dir = argc > 1 ? argv[1] : "shots";
    const bool withPanel = !(argc > 2 && std::string(argv[2]) == "--no-panel");
    QDir().mkpath(dir);
    kerma::ScriptedPrompts prompts;  // a message box would stop the run: its text is printed
    kerma::TMainForm main{kerma::Made(kerma::LinkRunner::Create())};
    main.editorPrompts = &prompts;
    main.show();
    Shot(main, dir, "main_window");
    HintShot(main, dir);
    DialogShots(main, dir);
    DemoShots(main, dir);
    const bool panelOk = !withPanel || PanelShot(main, dir);
    for (const auto& text : prompts.shown) std::printf("message: %s\n", text.c_str());
    return panelOk ? 0 : 1;
}
