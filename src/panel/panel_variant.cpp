#include "panel_variant.h"

namespace kerma {
namespace {

constexpr PanelVariant kVariants[] = {
    {.number = 1,
     .radio = RadioSystem::QnM,
     .receivers = 1,
     .detectorsPerReceiver = kDetectorsPerReceiver,
     .keySlots = kMaxKeys,
     .codes = true,
     .codeAuthorities = true,
     .layoutCode = Layout::QnmRegular,
     .layoutAfterReplace = Layout::Wide,
     .settingsCells = 1024,
     .codesCells = 1024,
     .demoVersion = 18,
     .demoShows = 1,
     .title = "1 РПУ Kerma QN-M",
     .demoName = "1 РПУ(QN-M).",
     .firmwarePrefix = "740-QNM",
     .topFirmwareNumber = 55},
    {.number = 2,
     .radio = RadioSystem::Qn,
     .reduced = true,
     .receivers = 1,
     .detectorsPerReceiver = kQnRows,
     .codes = true,
     .codeAuthorities = true,
     .layoutCode = Layout::Small,
     .layoutAfterReplace = Layout::Small,
     .settingsCells = 256,
     .codesCells = 1024,
     .demoShows = 5,
     .title = "1 РПУ Kerma QN",
     .demoName = "4 РПУ(QN).",
     .firmwarePrefix = "740-QN",
     .topFirmwareNumber = 55},
    {.number = 3,
     .radio = RadioSystem::QnM,
     .receivers = kReceivers,
     .detectorsPerReceiver = kDetectorsPerReceiver,
     .keySlots = 64,
     .codes = true,
     .codeAuthorities = true,
     .layoutCode = Layout::QnmRegular,
     .layoutAfterReplace = Layout::Wide,
     .settingsCells = 1024,
     .codesCells = 1024,
     .demoVersion = 33,
     .demoShows = 3,
     .title = "До 4 РПУ Kerma QN-M",
     .demoName = "4 РПУ(QN-M).",
     .firmwarePrefix = "740-QNM",
     .topFirmwareNumber = 9},
    {.number = 4,
     .radio = RadioSystem::Expanders,
     .reduced = true,
     .layoutCode = Layout::Small,
     .layoutAfterReplace = Layout::Small,
     .settingsCells = 256,
     .codesCells = 1024,
     .demoShows = 5,
     .title = "До 16 Kerma-731 и до 16 Kerma-732",
     .demoName = "4 РПУ(QN).",
     .firmwarePrefix = "740-QN",
     .topFirmwareNumber = 9},
    {.number = 5,
     .radio = RadioSystem::Qn,
     .receivers = kReceivers,
     .detectorsPerReceiver = kQnRows,
     .codes = true,
     .factoryCodesAfterReplace = true,
     .layoutCode = Layout::Wide,
     .layoutAfterReplace = Layout::Wide,
     .settingsCells = 1024,
     .codesCells = 1792,
     .demoVersion = 53,
     .demoShows = 5,
     .title = "До 4 РПУ Kerma-QN",
     .demoName = "4 РПУ(QN).",
     .firmwarePrefix = "740-QN",
     .topFirmwareNumber = 9},
};

// What is asked of a number that names no variant: no fields, the small layout, files of 1024
// cells of each block, and a demo of variant 5.
constexpr PanelVariant kNoVariant{.layoutCode = Layout::Small,
                                  .layoutAfterReplace = Layout::Small,
                                  .settingsCells = 1024,
                                  .codesCells = 1024,
                                  .demoShows = 5,
                                  .title = "неизвестный тип системы",
                                  .demoName = "4 РПУ(QN).",
                                  .firmwarePrefix = "740-QN",
                                  .topFirmwareNumber = 9};

}  // namespace

const PanelVariant& DescribeVariant(int number) {
    for (const PanelVariant& variant : kVariants) {
        if (variant.number == number) return variant;
    }
    return kNoVariant;
}

}  // namespace kerma
