#include "app_setup.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTranslator>
#include <cstring>

#include "backups.h"
#include "qt_prompts.h"

namespace kerma {
namespace {

// What Qt's Russian catalogue for this Qt version leaves in English: the file dialog's type of a
// folder (moved to a new context the catalogue does not know yet) and the OK button, kept there in
// Latin letters.
class QtTextsSupplement final : public QTranslator {
  public:
    using QTranslator::QTranslator;

    [[nodiscard]] bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        struct Text {
            const char* context;
            const char* source;
            const char* russian;
        };
        static const Text kTexts[] = {
            {"QPlatformTheme", "OK", "ОК"},
            {"QAbstractFileIconProvider", "Folder", "Папка"},
            {"QAbstractFileIconProvider", "File Folder", "Папка с файлами"},
            {"QAbstractFileIconProvider", "Drive", "Диск"},
        };
        for (const Text& t : kTexts) {
            if (std::strcmp(context, t.context) == 0 && std::strcmp(source, t.source) == 0)
                return QString::fromUtf8(t.russian);
        }
        return {};
    }
};

}  // namespace

// The catalogue is built into the program (see CMakeLists.txt): a Windows installation has no
// Qt translations folder to find it in, and a Linux one may lack the package.
void InstallQtRussianTexts(QApplication& app) {
    auto* qtTexts = new QTranslator(&app);
    if (!qtTexts->load(QStringLiteral(":/qt_translations/qtbase_ru.qm"))) {
        delete qtTexts;
        return;
    }
    QApplication::installTranslator(qtTexts);
    // Installed last, asked first.
    QApplication::installTranslator(new QtTextsSupplement(&app));
}

void SetUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("kerma740-config"));
    // No application display name: the platform would add it to every window title, and the
    // titles are the panel's own.
    // The file dialog names file types in the language of the default locale.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icon/kerma740-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    InstallQtRussianTexts(app);
    SetFileDialogPlace(QStringLiteral("Резервные копии"), QString::fromStdString(BackupFolder()));
}

}  // namespace kerma
