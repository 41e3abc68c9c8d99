#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <memory>

#include "report_file.h"
#include "report_render.h"

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

Result<std::string> RenderPdfReport(const std::string& html) {
    auto document = Document(html);
    // Rendered into memory, never into the file: the caller checks the document is whole and
    // hands it to ReplaceFileWhole.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle("Конфигурация ППКОП Kerma-740");
        writer.setCreator("Kerma-740");
        document->print(&writer);
    }
    return bytes.toStdString();
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
