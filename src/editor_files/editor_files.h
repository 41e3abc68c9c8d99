#pragma once
// The editor's file and defaults commands: "Заводские установки", "Записать в файл" and
// "Считать файл", and the demo start that fills a fresh editor from the factory defaults.
//
// chosenVariant is the variant of the main window's radio buttons (RPYQNM1 1, RPYQN1 2, RPYQNM4 3,
// K731K732 4, RPYQN4 5). Where a command sets LayoutCode (demo mode) it hands the new value back
// and the main window stores it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config_file.h"
#include "codec_memory.h"
#include "k740_editor.h"

namespace kerma {

inline constexpr std::string_view kDefaultsLoadedText = "Заводские установки выставлены";
inline constexpr std::string_view kFileSavedText = "Запись конфигурации в файл завершено";
inline constexpr std::string_view kFileLoadedText = "Чтение конфигурации из файла завершено";
// Status panel 0 after a refused command, so no earlier "…завершено" stands beside the message.
inline constexpr std::string_view kDefaultsFailedText = "Заводские установки не выставлены";
inline constexpr std::string_view kFileSaveFailedText = "Записать в файл не удалось";
inline constexpr std::string_view kFileLoadFailedText = "Считать файл не удалось";
inline constexpr std::string_view kWrongFileVersionText =
    "Ошибка чтения файла конфигурации. Нет совпадения версия прошивки.";

// The dialogs of "Записать в файл" and "Считать файл".
[[nodiscard]] FileDialogRequest SaveConfigurationDialog();
[[nodiscard]] FileDialogRequest LoadConfigurationDialog();

struct DefaultsCommandEnd {
    bool loaded = false;                // the factory configuration stands in the editor
    std::optional<int32_t> layoutCode;  // the LayoutCode set in demo mode or before identification
};

// DefaultButton: loads the factory configuration of the editor's variant as if read from a panel
// (borders preset, first page, held codes block and the factory copies filled, decoded, status
// text). In demo mode it also sets VersionByte and hands back the LayoutCode of the variant.
// A version byte of no known variant gets a notice and changes nothing.
DefaultsCommandEnd LoadFactoryDefaults(K740Editor& editor, CodecMemory& image, int chosenVariant);

// Demo mode: the demo status, the pages enabled, the demo layout, the defaults loaded and
// "Разорвать связь" off. Returns the LayoutCode the main window takes. The editor must have been
// created in demo mode.
int32_t StartDemo(K740Editor& editor, CodecMemory& image, int chosenVariant);

struct SaveCommandEnd {
    std::optional<int32_t> layoutCode;  // the LayoutCode set in demo mode
    bool written = false;               // a file was written
};

// SaveButton: the checks before a save, the save dialog, then SaveConfigurationTo. A cancelled
// dialog ends the command silently; a refusal has been shown.
SaveCommandEnd SaveConfiguration(K740Editor& editor, CodecMemory& image, int chosenVariant);

// The file a save of the editor would write now, or the reason none can be built. Shows nothing.
[[nodiscard]] Result<ConfigBlocks> BuildConfigImage(K740Editor& editor, CodecMemory& image,
                                                   int variant);

// Encodes both images and writes them as a file of the variant. A failure is shown as a notice
// and leaves no file (nor a part of one) behind; true when the file was written.
bool SaveConfigurationTo(K740Editor& editor, CodecMemory& image, int variant,
                         const std::string& path);

// LoadButton: first page, the open dialog, then LoadConfigurationFrom. A cancelled dialog ends the
// command silently. True when a file was loaded.
bool LoadConfiguration(K740Editor& editor, CodecMemory& image, int chosenVariant);

// Reads, checks and loads a file: all or nothing. A file that cannot be read, a broken line (the
// notice names it) or a file of another variant changes neither the editor nor the held codes.
bool LoadConfigurationFrom(K740Editor& editor, CodecMemory& image, int chosenVariant,
                           const std::string& path);
bool LoadConfigurationText(K740Editor& editor, CodecMemory& image, int chosenVariant,
                           std::string_view text);

}  // namespace kerma
