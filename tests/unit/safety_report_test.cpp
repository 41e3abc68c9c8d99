// The configuration report: what it holds for each kind of panel, secrets masked unless asked
// for, and the user's own texts never taken as markup.
#include <gtest/gtest.h>

#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "headless_editor.h"
#include "k740_controls.h"

#ifdef KERMA_TEST_PDF
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextTable>

#include "pdf_test_app.h"
#include "report_render.h"
#endif

namespace kerma {
namespace {

struct Configured {
    HeadlessEditor headless;
    explicit Configured(int variant) : headless(FactoryVersionByte(variant)) {
        (void)LoadFactoryDefaults(*headless.editor, headless.image, variant);
    }
    FormModel& model() { return headless.editor->model(); }
    std::string report(bool secrets = false) {
        ReportOptions options;
        options.secrets = secrets;
        options.source = "объект <7>.cfg";
        options.date = "2026-12-08 14:03:22";
        return BuildConfigReport(*headless.editor, headless.variant, options);
    }
};

std::string N(int n) {
    return std::to_string(n);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ConfigReportTest, QnmReportCoversPartitionsDeviceBindingsCodesAndKeys) {
    Configured c(3);
    c.model().setText("kod1", "123456");
    c.model().setText("NumKodEdit", "1");
    c.model().setItemIndex("Border3", 4);
    c.model().setItemIndex("Border4", 7);
    const std::string html = c.report();
    for (const char* part :
         {"До 4 РПУ Kerma QN-M", "v 3.3", "<h2>Разделы</h2>", "охранный", "ПЦН тревога",
          "Время выхода", "<td>45 с</td>", "длительность 120 с", "Статус извещений",
          "Границы разделов РПУ",
          "разделы 5 – 8", "<td>РПУ №1</td><td>не выбраны</td>",
          "извещатели не привязаны к разделам", "Системные номера РПДИ", "<b>48</b>: 48",
          "<b>48</b>: 192", "Количество кодов: 1", "Количество ключей ТМ: 0",
          "объект &lt;7&gt;.cfg", "2026-12-08 14:03:22"}) {
        EXPECT_TRUE(Has(html, part)) << part;
    }
    // The factory engineer password is named as such; the user's, factory too, stays masked.
    EXPECT_TRUE(Has(html, "<td>Пароль инженера</td><td>заводской — смените</td>"));
    EXPECT_TRUE(Has(html, "<td>Пароль пользователя</td><td>••••</td>"));
    EXPECT_FALSE(Has(html, "1234"));
    EXPECT_FALSE(Has(html, "123456"));
    EXPECT_FALSE(Has(html, "объект <7>"));
    const std::string open = c.report(true);
    EXPECT_TRUE(Has(open, "<td>1234 (заводской — смените)</td>"));
    EXPECT_TRUE(Has(open, "<td>123456</td>"));
    EXPECT_FALSE(Has(open, "скрыты"));

    c.model().setText("PasswordEdit", "5678");
    const std::string changed = c.report();
    EXPECT_TRUE(Has(changed, "<td>Пароль инженера</td><td>••••</td>"));
    EXPECT_FALSE(Has(changed, "заводской"));
}

TEST(ConfigReportTest, OwnPartitionNameIsShownAsText) {
    Configured c(1);
    c.model().selectItem("NameRzd2", kOwnNameItem);
    c.model().setText("OwnName2", "<b>Склад");
    const std::string html = c.report();
    EXPECT_TRUE(Has(html, "<td>&lt;b&gt;Склад</td>"));
    EXPECT_FALSE(Has(html, "<b>Склад"));
    EXPECT_TRUE(Has(html, "<td>раздел</td>"));
}

TEST(ConfigReportTest, QnReportHasDeviceModesCodesAndObjects) {
    Configured c(5);
    const std::string empty = c.report();
    for (const char* part :
         {"До 4 РПУ Kerma-QN", "Режимы работы прибора",
          "Скорость по линии "
          "расширения",
          "1200 бод", "Нет связи с МР", "Шлейфы не назначены в объекты", "Пароль администратора"}) {
        EXPECT_TRUE(Has(empty, part)) << part;
    }
    EXPECT_TRUE(Has(empty, "<td>Пароль администратора</td><td>заводской — смените</td>"));
    EXPECT_FALSE(Has(empty, "<h2>Разделы</h2>"));
    c.model().setText("Object35R2", "12 ");
    const std::string html = c.report();
    EXPECT_TRUE(Has(html, "<b>РПУ №2</b>"));
    EXPECT_TRUE(Has(html, "<td>РПД 29</td><td>—</td><td>—</td><td>12</td>"));
}

TEST(ConfigReportTest, ExpanderPanelReportsItsVersionOnly) {
    Configured c(4);
    const std::string html = c.report();
    EXPECT_TRUE(Has(html, "Kerma-731"));
    EXPECT_TRUE(Has(html, "только версию ПО"));
    EXPECT_FALSE(Has(html, "Коды подтверждения"));
}

#ifdef KERMA_TEST_PDF
// Where a line of a table's head ends: at a blank or a line break of the heading's own, never
// inside a word.
bool HeadBrokenInsideAWord(QTextTable& table) {
    for (int column = 0; column < table.columns(); ++column) {
        const QTextBlock block = table.cellAt(0, column).firstCursorPosition().block();
        const QTextLayout* layout = block.layout();
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const QChar last = block.text().at(line.textStart() + line.textLength() - 1);
            if (last != ' ' && last != QChar::LineSeparator) return true;
        }
    }
    return false;
}

// As the PDF prints them: whole headings, each table on the page of the heading and lines that
// introduce it, and a short one not split.
TEST(ConfigReportTest, PdfPagesKeepHeadingsWholeAndTablesWithTheirHeadings) {
    test::UsePdfApplication();
    for (int variant : {1, 3, 5}) {
        Configured c(variant);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        const auto document = LayOutReport(c.report(), writer);
        const auto* layout = document->documentLayout();
        const auto page = [&](qreal y) { return int(y / document->pageSize().height()); };
        ForEachTable(*document, [&](const QTextBlock& lead, QTextTable& table) {
            const std::string what = lead.text().toStdString() + ", variant " + N(variant);
            const QRectF box = layout->frameBoundingRect(&table);
            const QTextBlock firstRow =
                table.cellAt(std::min(1, table.rows() - 1), 0).firstCursorPosition().block();
            EXPECT_FALSE(HeadBrokenInsideAWord(table)) << what;
            EXPECT_EQ(page(layout->blockBoundingRect(lead).top()),
                      page(layout->blockBoundingRect(firstRow).bottom()))
                << what;
            if (box.height() < document->pageSize().height() / 2) {
                EXPECT_EQ(page(box.top()), page(box.bottom() - 1)) << what;
            }
        });
    }
}
#endif

}  // namespace
}  // namespace kerma
