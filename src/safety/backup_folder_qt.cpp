// The backup folder under the desktop program's application data folder. The command-line client
// asks under the desktop program's name, so both keep their backups in one place.
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "backups.h"

namespace kerma {

namespace {
constexpr const char* kProgramName = "kerma740-config";
}

std::string DefaultBackupFolder() {
    const QString own = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(kProgramName);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(own);
    if (base.isEmpty()) return {};
    return QDir::toNativeSeparators(QDir(base).filePath("backups")).toStdString();
}

}  // namespace kerma
