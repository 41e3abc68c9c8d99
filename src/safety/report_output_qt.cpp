#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "report_file.h"
#include "report_render.h"
#include "utf8_path.h"

namespace kerma {
namespace {

// The command-line client has no application object; the text layout needs one with fonts.
void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
#ifndef _WIN32
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // The client reports its own errors; Qt's remarks about the display it does not use are noise.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "kerma740";
    static char* argv[] = {name, nullptr};
    // Lives to the end of the process, as an application object does.
    new QGuiApplication(argc, argv);
}

std::unique_ptr<QTextDocument> Document(const std::string& html) {
    EnsureGuiApplication();
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(QString::fromStdString(html));
    return document;
}

}  // namespace

std::string WritePdfReport(const std::string& path, const std::string& html) {
    const std::string failed = "Не удалось записать отчёт в файл " + path + ".";
    const std::string temp = path + ".tmp";
    auto document = Document(html);
    {
        QPdfWriter writer(QString::fromStdString(temp));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle("Конфигурация ППКОП Kerma-740");
        writer.setCreator("Kerma-740");
        document->print(&writer);
    }
    std::error_code ec;
    const std::filesystem::path written = Utf8Path(temp);
    if (!std::filesystem::exists(written, ec) || std::filesystem::file_size(written, ec) == 0) {
        std::filesystem::remove(written, ec);
        return failed;
    }
    std::filesystem::rename(written, Utf8Path(path), ec);
    if (ec) {
        std::filesystem::remove(written, ec);
        return failed;
    }
    return {};
}

QImage RenderReportImage(const std::string& html, int width) {
    auto document = Document(html);
    document->setTextWidth(width);
    const QSize size = document->size().toSize();
    QImage image(size.width(), size.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    document->drawContents(&painter);
    return image;
}

}  // namespace kerma
