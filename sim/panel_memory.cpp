#include "panel_memory.h"

#include <algorithm>

#include "factory_defaults.h"
#include "link_types.h"

namespace kerma {
namespace {

void CopyCells(const Block& cells, std::vector<uint8_t>& memory) {
    size_t count = std::min(cells.size(), memory.size());
    for (size_t i = 0; i < count; ++i) memory[i] = static_cast<uint8_t>(cells[i] & 0xFF);
}

Block TakeCells(const std::vector<uint8_t>& memory, int count) {
    return Block(memory.begin(), memory.begin() + count);
}

}  // namespace

void LoadPanelMemory(VirtualPanel& panel, const ConfigBlocks& image) {
    CopyCells(image.settings, panel.settings());
    CopyCells(image.codes, panel.codes());
}

bool LoadFactoryPanelMemory(VirtualPanel& panel) {
    const int variant = PanelMemoryVariant(panel);
    if (variant == 0) return false;
    const uint8_t version = panel.version();
    LoadPanelMemory(panel, FactoryConfiguration(variant));
    panel.setVersion(version);
    return true;
}

int PanelMemoryVariant(const VirtualPanel& panel) {
    int variant = VariantOfVersion(panel.version());
    return DescribeVariant(variant).known() ? variant : 0;
}

ConfigBlocks PanelMemoryBlocks(const VirtualPanel& panel) {
    int variant = PanelMemoryVariant(panel);
    if (variant == 0) return {};
    return {TakeCells(panel.settings(), FileSettingsCells(variant)),
            TakeCells(panel.codes(), FileCodesCells(variant))};
}

Result<void> ReadPanelMemory(VirtualPanel& panel, const std::string& path) {
    auto file = ReadConfigFile(path);
    if (!file) {
        const FileFailure& failure = file.failure();
        std::string where = failure.line >= 0 ? ", line " + std::to_string(failure.line + 1) : "";
        return Fail(path + where + ": " + failure.text, failure.reason);
    }
    LoadPanelMemory(panel, *file);
    return {};
}

Result<void> SavePanelMemory(const VirtualPanel& panel, const std::string& path) {
    if (PanelMemoryVariant(panel) == 0) {
        return Fail(path + ": not saved, version byte " + std::to_string(panel.version()) +
                    " names no panel variant");
    }
    auto written = WriteConfigFile(path, PanelMemoryBlocks(panel));
    if (!written) return Fail(path + ": " + written.error(), written.failure().reason);
    return {};
}

}  // namespace kerma
