#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "report_pdf.h"
#include "report_render.h"

namespace kerma {
namespace {

// Rows of a long table that stay on the page of its heading: the head row and two more.
constexpr int kRowsWithHeading = 3;
constexpr double kMarginCm = 2.0;

// The text layout takes its fonts from the application; without one Qt would fail deep inside.
std::unique_ptr<QTextDocument> Document(const std::string& html) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw std::logic_error("a report is laid out only where a QGuiApplication exists");
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(QString::fromStdString(html));
    return document;
}

// The resolution the text layout takes lengths in (frame margins, cell padding) before it scales
// them to the device it lays out for: the screen's, as Qt's own printing takes it.
qreal SourceDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? std::round(screen->logicalDotsPerInchY()) : 100.0;
}

// The margin of each page in the writer's pixels.
qreal PageMargin(const QPdfWriter& writer) {
    return kMarginCm / 2.54 * writer.logicalDpiY();
}

// Pages of the writer's size with margins all round, laid out at the writer's resolution.
void LayOutInPages(QTextDocument& document, QPdfWriter& writer) {
    document.documentLayout()->setPaintDevice(&writer);
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setMargin(kMarginCm / 2.54 * SourceDpi());
    document.rootFrame()->setFrameFormat(root);
    document.setPageSize(QSizeF(writer.width(), writer.height()));
}

int PageOf(const QTextDocument& document, qreal y) {
    return static_cast<int>(std::floor(y / document.pageSize().height()));
}

// Where a table must end on the page it starts on: a table that fits on one page is not split,
// a longer one keeps its head and first rows with what introduces it.
qreal MustShareItsPage(const QTextDocument& document, QTextTable& table) {
    const QRectF box = document.documentLayout()->frameBoundingRect(&table);
    if (box.height() < document.pageSize().height() / 2) return box.bottom();
    const int rows = std::max(1, table.rows());
    return box.top() + box.height() * std::min(rows, kRowsWithHeading) / rows;
}

// A heading and the lines under it go with the table they introduce; where they would stay
// behind on one page while the table goes on the next, a new page starts at the heading.
void KeepTablesWithTheirHeadings(QTextDocument& document, qreal margin) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    ForEachTable(document, [&](const QTextBlock& first, QTextTable& table) {
        if (!first.isValid()) return;
        const qreal top = layout->blockBoundingRect(first).top();
        const qreal end = MustShareItsPage(document, table) - 1;
        const bool atPageTop = top - PageOf(document, top) * document.pageSize().height() < margin + 1;
        if (PageOf(document, top) == PageOf(document, end) || atPageTop) return;
        QTextBlockFormat format = first.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(first).setBlockFormat(format);
    });
}

void PrintPages(QTextDocument& document, QPdfWriter& writer, qreal margin) {
    QPainter painter(&writer);
    const QSizeF page = document.pageSize();
    QFont numberFont = document.defaultFont();
    numberFont.setPointSizeF(8);
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0) writer.newPage();
        const QRectF shown(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -shown.top());
        painter.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(numberFont);
        painter.drawText(QRectF(0, page.height() - margin, page.width(), margin / 2),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(i + 1));
    }
}

}  // namespace

void ForEachTable(const QTextDocument& document,
                  const std::function<void(const QTextBlock& lead, QTextTable& table)>& visit) {
    QTextBlock lead;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        if (block.isValid()) {
            // The layout's own empty line after a table introduces nothing.
            const bool starts = !lead.isValid() || block.blockFormat().headingLevel() > 0;
            if (starts && !block.text().isEmpty()) lead = block;
            continue;
        }
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (table == nullptr) continue;
        visit(lead, *table);
        lead = QTextBlock();
    }
}

std::unique_ptr<QTextDocument> LayOutReport(const std::string& html, QPdfWriter& writer) {
    auto document = Document(html);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));  // the document keeps its own
    LayOutInPages(*document, writer);
    KeepTablesWithTheirHeadings(*document, PageMargin(writer));
    return document;
}

Result<std::string> RenderPdfReport(const std::string& html) {
    // Rendered into memory, never into the file: the caller checks the document is whole and
    // hands it to ReplaceFileWhole.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle("Конфигурация ППКОП Kerma-740");
        writer.setCreator("Kerma-740");
        auto document = LayOutReport(html, writer);
        PrintPages(*document, writer, PageMargin(writer));
    }
    return bytes.toStdString();
}

QImage RenderReportPicture(const std::string& html, int width) {
    auto document = Document(html);
    document->setTextWidth(width);
    const QSize size = document->size().toSize();
    QImage picture(size.width(), size.height(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    document->drawContents(&painter);
    return picture;
}

}  // namespace kerma
