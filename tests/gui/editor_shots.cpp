// Not a test: draws the editor pages and the main window into PNG files for a look by eye.
// Usage: editor_shots OUT_DIR   (QT_SCALE_FACTOR=1.5 for the large scale)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>

#include "k740_form.h"
#include "main_form.h"
#include "scripted_prompts.h"
#include "variant_layout.h"

namespace {

void Shot(QWidget& w, const QString& dir, const QString& name) {
    QApplication::processEvents();
    w.grab().save(dir + "/" + name + ".png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? argv[1] : "shots";
    QDir().mkpath(dir);
    kerma::TMainForm main;
    main.show();
    Shot(main, dir, "main");
    if (QGuiApplication::platformName() != "offscreen") {
        // The hint of the demo button, as the mouse would raise it.
        QWidget* demo = main.findChild<QWidget*>("Button1");
        QPoint at = demo->rect().center();
        QHelpEvent hint(QEvent::ToolTip, at, demo->mapToGlobal(at));
        QApplication::sendEvent(demo, &hint);
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
        QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/main_hint.png");
    }
    const char* pages[] = {"TabSheetRazdel", "TabSheetPriv",    "TabSheetKod",   "TabSheetKey",
                           "TabSheetName",   "TabSheetNameRzd", "TabSheetSysNum"};
    for (int variant : {1, 3, 5}) {
        kerma::ScriptedPrompts prompts;
        kerma::EditorOptions options{.qnFamily = variant == 5, .demoMode = true};
        QElapsedTimer timer;
        timer.start();
        kerma::TK740Form form(options, nullptr, &prompts);
        const double built = form.constructionMs();
        form.editor().setStatus(1, kerma::DemoStatusText(variant));
        form.model().setEnabled("PageControl", true);
        kerma::ApplyVariantLayout(form.editor(), variant, 0, true);
        form.model().setPosition("KEY", 70);
        form.show();
        QApplication::processEvents();
        std::printf("variant %d: window %.1f ms (%d widgets), shown %.1f ms\n", variant, built,
                    form.widgetCount(), static_cast<double>(timer.nsecsElapsed()) / 1e6);
        for (const char* page : pages) {
            if (!form.model().at(page).visible) continue;
            QElapsedTimer pageTimer;
            pageTimer.start();
            form.model().setActivePage("PageControl", page);
            QApplication::processEvents();
            std::printf("  %s built and shown in %.1f ms\n", page,
                        static_cast<double>(pageTimer.nsecsElapsed()) / 1e6);
            Shot(form, dir, QString("v%1_%2").arg(variant).arg(page));
        }
        if (variant == 1) {
            form.model().setActivePage("PageControl", "TabSheetKey");
            form.model().setActivePage("PageControl1", "TM6496");
            Shot(form, dir, "v1_keys65");
        }
        std::printf("  all pages: %d widgets\n", form.widgetCount());
    }
    return 0;
}
