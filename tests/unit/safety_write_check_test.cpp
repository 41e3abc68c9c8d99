// The check of a write: a cell the panel holds differently is found and named by the fields it
// shows in; what the panel may rightly hold differently (its version, a -1 sent as 0xFF) is not
// reported.
#include <gtest/gtest.h>

#include "factory_defaults.h"
#include "field_labels.h"
#include "write_check.h"

namespace kerma {
namespace {

struct Blocks {
    Block settings, codes;
};

// A variant 1 configuration with two codes in use, as written to a panel of version 1.8.
Blocks Written() {
    const ConfigBlocks factory = FactoryConfiguration(1);
    Blocks b{factory.settings, factory.codes};
    b.settings[23] = 2;  // CodeCount
    for (int i = 0; i < 6; ++i) b.codes[i] = 0x81 + i;
    for (int i = 0; i < 6; ++i) b.codes[8 + i] = 0x89 - i;
    b.codes[6] = 0x01;  // code 1: partition 1
    return b;
}

TEST(WriteCheckTest, SameBlocksMatch) {
    const Blocks b = Written();
    Blocks read = b;
    read.settings[1] = 19;      // the version cell reports the panel's own firmware
    read.settings[300] = 0xFF;  // sent as -1 (a list without a choice), 0xFF on the line
    Blocks sent = b;
    sent.settings[300] = -1;
    const WriteCheck check = CheckWrite(sent.settings, sent.codes, read.settings, read.codes, 18);
    EXPECT_TRUE(check.matches());
    EXPECT_EQ(WriteCheckNotice(check), "Конфигурация в приборе совпадает с записанной");
}

TEST(WriteCheckTest, CellsThatDifferAreListedWithTheirFields) {
    const Blocks sent = Written();
    Blocks read = sent;
    read.settings[8] = sent.settings[8] + 1;  // exit time
    read.codes[2] = 0x80;                     // third digit of code 1
    read.codes[1020] = 0x55;                  // a cell no field shows
    const WriteCheck check = CheckWrite(sent.settings, sent.codes, read.settings, read.codes, 18);
    ASSERT_EQ(check.cells.size(), 3u);

    EXPECT_FALSE(check.cells[0].codes);
    EXPECT_EQ(check.cells[0].cell, 8);
    EXPECT_EQ(check.cells[0].fields, std::vector<std::string>{"Время выхода"});
    EXPECT_EQ(DescribeDifference(check.cells[0]),
              "настройки, ячейка 8: записано 45, в приборе 46 (Время выхода)");

    EXPECT_TRUE(check.cells[1].codes);
    EXPECT_EQ(check.cells[1].fields, std::vector<std::string>{"Код 1"});
    EXPECT_TRUE(check.cells[2].fields.empty());
    EXPECT_EQ(DescribeDifference(check.cells[2]), "коды, ячейка 1020: записано 255, в приборе 85");

    const std::string notice = WriteCheckNotice(check);
    EXPECT_NE(notice.find("не совпадает с записанной: 3 ячейки отличаются."), std::string::npos)
        << notice;
    EXPECT_NE(notice.find("\n  Время выхода"), std::string::npos);
    EXPECT_NE(notice.find("\n  Код 1"), std::string::npos);
}

TEST(WriteCheckTest, LabelsFollowTheFamilies) {
    EXPECT_EQ(FieldLabel("avt5"), "Автовзятие, раздел 5");
    EXPECT_EQ(FieldLabel("RPD111"), "Привязка РПДИ 11, РПУ №1");
    EXPECT_EQ(FieldLabel("Object124R3"), "Объект, РПУ №3, РПД 72, ШС1");
    EXPECT_EQ(FieldLabel("q0316"), "Полномочия кода 3, раздел 16");
    EXPECT_EQ(FieldLabel("KEYSOUND2"), "Звук клавиатуры");
    EXPECT_EQ(FieldLabel("Unknown7"), "Unknown7");
}

}  // namespace
}  // namespace kerma
