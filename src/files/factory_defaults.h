#pragma once
// The factory configurations of the five panel variants: what a panel holds when it leaves the
// works, settings block and codes block, as data of the program.
#include <string_view>

#include "config_file.h"

namespace kerma {

// The factory passwords as the lists hold them (also listed in the README).
inline constexpr std::string_view kFactoryEngineerPassword = "1234";
inline constexpr std::string_view kFactoryUserPassword = "123";   // variants 1 and 3
inline constexpr std::string_view kFactoryAdminPassword = "123";  // variant 5

// Block header every factory settings image holds in cell 0.
inline constexpr int kFactoryHeader = 170;

// True for the variants that have a factory list: 1 to 5.
[[nodiscard]] bool HasFactoryConfiguration(int variant);

// Version byte the factory list of a variant carries in cell 1 (18, 21, 33, 41, 53). Taking the
// defaults replaces it with the version byte of the panel at hand.
[[nodiscard]] int FactoryVersionByte(int variant);

// The whole factory list of a variant: the settings cells (1024 for variants 1, 3, 5; 256 for 2
// and 4) and the codes cells (1792 for variant 5, otherwise 1024), as a file of that variant
// holds them. Empty cells for a variant without a list.
[[nodiscard]] ConfigBlocks FactoryConfiguration(int variant);

// The settings image the defaults load: the variant's settings cells with cell 1 set to
// versionByte, in a buffer of 1024 cells (zeros beyond a 256-cell list). This is also the copy a
// write after a firmware replacement sends.
[[nodiscard]] Block FactorySettingsCopy(int variant, int versionByte);

// The 1792 codes cells of variant 5 (FactoryCodesCopy).
[[nodiscard]] Block FactoryCodesCopy();

}  // namespace kerma
