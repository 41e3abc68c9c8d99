#pragma once
// The check of a write: the blocks read back from the panel against the blocks sent, cell by
// cell, with the editor fields each differing cell belongs to.
#include <string>
#include <vector>

#include "exchange.h"

namespace kerma {

inline constexpr const char* kWriteMatchesText = "Конфигурация в приборе совпадает с записанной";

struct CellDifference {
    bool codes = false;  // codes block, else settings block
    int cell = 0;
    int written = 0;
    int read = 0;
    std::vector<std::string> fields;  // labels of the fields the cell shows in
};

struct WriteCheck {
    std::vector<CellDifference> cells;
    std::vector<std::string> fields;  // labels of every field that shows the difference
    [[nodiscard]] bool matches() const { return cells.empty(); }
};

// Compares the cells the panel sent back (the read blocks' lengths) with those written. The
// version cell is the panel's own and not compared. versionByte shapes the editor that names the
// fields.
[[nodiscard]] WriteCheck CheckWrite(const Block& sentSettings, const Block& sentCodes,
                                    const Block& readSettings, const Block& readCodes,
                                    int versionByte);

// "настройки, ячейка 8: записано 45, в приборе 44 (Время выхода)"
[[nodiscard]] std::string DescribeDifference(const CellDifference& difference);
// The notice after a read that follows a write.
[[nodiscard]] std::string WriteCheckNotice(const WriteCheck& check);

}  // namespace kerma
