// The configuration report: what it holds for each kind of panel, secrets masked unless asked
// for, and the user's own texts never taken as markup.
#include <gtest/gtest.h>

#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "headless_editor.h"
#include "k740_controls.h"

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
          "Время выхода", "<td>45</td>", "Статус извещений", "Границы разделов РПУ",
          "разделы 5 – 8", "<td>РПУ №1</td><td>не выбраны</td>",
          "извещатели не привязаны к разделам", "Системные номера РПДИ", "<b>48</b>: 48",
          "<b>48</b>: 192", "Количество кодов: 1", "Количество ключей ТМ: 0",
          "объект &lt;7&gt;.cfg", "2026-12-08 14:03:22"}) {
        EXPECT_TRUE(Has(html, part)) << part;
    }
    EXPECT_FALSE(Has(html, "1234"));  // the engineer password
    EXPECT_FALSE(Has(html, "123456"));
    EXPECT_FALSE(Has(html, "объект <7>"));
    const std::string open = c.report(true);
    EXPECT_TRUE(Has(open, "<td>1234</td>"));
    EXPECT_TRUE(Has(open, "<td>123456</td>"));
    EXPECT_FALSE(Has(open, "скрыты"));
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

}  // namespace
}  // namespace kerma
