#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <memory>
#include <stdexcept>

#include "report_pdf.h"
#include "report_render.h"

namespace kerma {
namespace {

// The text layout takes its fonts from the application; without one Qt would fail deep inside.
std::unique_ptr<QTextDocument> Document(const std::string& html) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw std::logic_error("a report is laid out only where a QGuiApplication exists");
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
