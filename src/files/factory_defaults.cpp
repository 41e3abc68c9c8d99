#include "factory_defaults.h"

#include <span>
#include <stdexcept>

namespace kerma {
namespace {

// A run of equal cells first..last. Negative values stand for cells filled by rule.
struct Run {
    int first;
    int last;
    int value;
};

constexpr int kVersion = -1;         // the version byte, replaced when the defaults are taken
constexpr int kEngineerDigits = -2;  // the four digits of the engineer password
constexpr int kShortDigits = -3;     // the three digits of the user / administrator password
constexpr int kSystemNumbers = -4;   // 1, 2, 3 ... in cell order

constexpr int kEmpty = 0xFF;
constexpr int kDigitBase = 0x80;

// Variants 1 and 3 differ only where the panel's firmware reads the cell differently: backlight
// (3 keeps 0xFF, shown as automatic), kept cells 37..39, external sound, borders and system
// numbers, and the partition memory cell, whose "off" is 0xFF in variant 1 and 0 in variant 3.
constexpr Run kVariant1[] = {
    {0, 0, kFactoryHeader},
    {1, 1, kVersion},
    {2, 5, kEngineerDigits},
    {6, 7, 0},
    {8, 8, 45},
    {9, 9, 0},
    {10, 13, kEmpty},
    {14, 23, 0},
    {24, 26, kEmpty},
    {27, 28, 0},
    {29, 29, 45},
    {30, 30, 0},
    {31, 31, 120},
    {32, 32, 0},
    {33, 33, 120},
    {34, 35, 0},
    {36, 36, 16},
    {37, 39, 0},
    {40, 42, kShortDigits},
    {43, 45, kEmpty},
    {46, 62, 0},
    {63, 63, kEmpty},
    {64, 64, 0},
    {65, 255, kEmpty},
    {256, 271, 0},
    {272, 767, kEmpty},
    {768, 959, 0},
    {960, 1023, kEmpty},
};

constexpr Run kVariant3[] = {
    {0, 0, kFactoryHeader},
    {1, 1, kVersion},
    {2, 5, kEngineerDigits},
    {6, 7, 0},
    {8, 8, 45},
    {9, 9, 0},
    {10, 13, kEmpty},
    {14, 23, 0},
    {24, 26, kEmpty},
    {27, 28, 0},
    {29, 29, 45},
    {30, 30, 0},
    {31, 31, 120},
    {32, 32, kEmpty},
    {33, 33, 120},
    {34, 35, 0},
    {36, 36, 16},
    {37, 39, kEmpty},
    {40, 42, kShortDigits},
    {43, 45, kEmpty},
    {46, 46, 120},
    {47, 48, 0},
    {49, 59, kEmpty},
    {60, 63, 0},
    {64, 255, kEmpty},
    {256, 271, 0},
    {272, 511, kEmpty},
    {512, 703, kSystemNumbers},
    {704, 1023, kEmpty},
};

// Variant 5: the marker 0x55 in 256, the expansion line at 1200 baud, loss of link with a
// receiver and RK blocking reported as alarm, no detector marked, no object assigned.
constexpr Run kVariant5[] = {
    {0, 0, kFactoryHeader},
    {1, 1, kVersion},
    {2, 5, kEngineerDigits},
    {6, 9, 0},
    {10, 13, kEmpty},
    {14, 22, 0},
    {23, 23, 1},
    {24, 29, kEmpty},
    {30, 30, 0},
    {31, 31, 120},
    {32, 32, 0},
    {33, 33, 120},
    {34, 34, kEmpty},
    {35, 35, 0},
    {36, 37, kEmpty},
    {38, 39, 0},
    {40, 53, kEmpty},
    {54, 55, 0},
    {56, 56, 65},
    {57, 255, kEmpty},
    {256, 256, 0x55},
    {257, 257, kEmpty},
    {258, 260, 0},
    {261, 261, 1},
    {262, 262, 0},
    {263, 263, 1},
    {264, 264, 0},
    {265, 383, kEmpty},
    {384, 386, kShortDigits},
    {387, 511, kEmpty},
    {512, 607, 0},
    {608, 1023, kEmpty},
};

// Variants 2 and 4 have a 256-cell settings block.
constexpr Run kVariant2[] = {
    {0, 0, kFactoryHeader},
    {1, 1, kVersion},
    {2, 5, kEngineerDigits},
    {6, 7, 0},
    {8, 8, 45},
    {9, 9, 0},
    {10, 13, kEmpty},
    {14, 23, 0},
    {24, 243, kEmpty},
    {244, 255, 0},
};

constexpr Run kVariant4[] = {
    {0, 0, kFactoryHeader},
    {1, 1, kVersion},
    {2, 5, kEngineerDigits},
    {6, 7, 0},
    {8, 8, 45},
    {9, 9, 0},
    {10, 13, kEmpty},
    {14, 23, 0},
    {24, 26, kEmpty},
    {27, 28, 0},
    {29, 29, 45},
    {30, 30, 0},
    {31, 255, kEmpty},
};

struct FactoryList {
    std::span<const Run> settings;
    int codesValue;  // every codes cell holds it: 0 where the QN firmware reads 0 as empty
    int version;
    std::string_view shortPassword;  // user password (1, 3) or administrator password (5)
};

const FactoryList* ListOf(int variant) {
    static const FactoryList lists[] = {
        {kVariant1, kEmpty, 18, kFactoryUserPassword}, {kVariant2, 0, 21, ""},
        {kVariant3, kEmpty, 33, kFactoryUserPassword}, {kVariant4, kEmpty, 41, ""},
        {kVariant5, 0, 53, kFactoryAdminPassword},
    };
    return HasFactoryConfiguration(variant) ? &lists[variant - 1] : nullptr;
}

void PutDigits(Block& cells, int first, std::string_view digits) {
    for (size_t i = 0; i < digits.size(); ++i)
        cells[static_cast<size_t>(first) + i] = kDigitBase + (digits[i] - '0');
}

// The runs must follow one another without a gap: every cell of the block is decided.
void PutRun(Block& cells, const Run& run, const FactoryList& list) {
    if (run.first != static_cast<int>(cells.size()) || run.last < run.first)
        throw std::logic_error("factory list: runs do not follow one another");
    const auto start = cells.size();
    cells.resize(static_cast<size_t>(run.last) + 1, run.value);
    switch (run.value) {
        case kVersion:
            cells[start] = list.version;
            break;
        case kEngineerDigits:
            PutDigits(cells, run.first, kFactoryEngineerPassword);
            break;
        case kShortDigits:
            PutDigits(cells, run.first, list.shortPassword);
            break;
        case kSystemNumbers:
            for (int i = run.first; i <= run.last; ++i)
                cells[static_cast<size_t>(i)] = i - run.first + 1;
            break;
        default:
            break;
    }
}

}  // namespace

bool HasFactoryConfiguration(int variant) {
    return DescribeVariant(variant).known();
}

int FactoryVersionByte(int variant) {
    const FactoryList* list = ListOf(variant);
    return list ? list->version : 0;
}

ConfigBlocks FactoryConfiguration(int variant) {
    const FactoryList* list = ListOf(variant);
    if (!list) return {};
    ConfigBlocks image;
    for (const Run& run : list->settings) PutRun(image.settings, run, *list);
    if (image.settings.size() != static_cast<size_t>(FileSettingsCells(variant)))
        throw std::logic_error("factory list: settings length");
    image.codes.assign(static_cast<size_t>(FileCodesCells(variant)), list->codesValue);
    return image;
}

Block FactorySettingsCopy(int variant, int versionByte) {
    Block cells = FactoryConfiguration(variant).settings;
    if (cells.empty()) return cells;
    cells[1] = versionByte;
    cells.resize(static_cast<size_t>(FileSettingsCells(1)), 0);
    return cells;
}

Block FactoryCodesCopy() {
    return FactoryConfiguration(5).codes;
}

}  // namespace kerma
