#pragma once
// The panel's memory as a configuration file: what --memory starts from and --save writes.
#include <string>

#include "config_file.h"
#include "virtual_panel.h"

namespace kerma {

// Puts the file's settings cells and codes cells at the start of the two memories; a cell holding
// -1 becomes 0xFF, as only the low byte would reach a panel.
void LoadPanelMemory(VirtualPanel& panel, const ConfigBlocks& image);

// The factory configuration of the variant the panel's version byte names, the version byte kept:
// what a panel holds before anyone configured it. False, memory untouched, when the version byte
// names no variant.
bool LoadFactoryPanelMemory(VirtualPanel& panel);

// The memory as a file of the variant the version byte names. Empty cells when the version byte
// names no variant; check with PanelMemoryVariant first.
[[nodiscard]] ConfigBlocks PanelMemoryBlocks(const VirtualPanel& panel);
[[nodiscard]] int PanelMemoryVariant(const VirtualPanel& panel);  // 0: none of 1..5

// Whole-file helpers; a failure names the file.
[[nodiscard]] Result<void> ReadPanelMemory(VirtualPanel& panel, const std::string& path);
[[nodiscard]] Result<void> SavePanelMemory(const VirtualPanel& panel, const std::string& path);

}  // namespace kerma
