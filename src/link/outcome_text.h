#pragma once
#include <cstdint>
#include <string>

#include "link_types.h"

namespace kerma {

// Text of an outcome as the editor's status bar shows it ("" for codes without a text).
[[nodiscard]] std::string OutcomeText(int32_t code);

// The same with what the exchange saw: a failure followed by its cause in brackets, a foreign
// type by the type byte that came (panelType), and "Нет ответа от прибора" by a second line that
// says what to check. The message boxes and the client show it whole, the status bar its first
// line.
[[nodiscard]] std::string OutcomeText(const LinkOutcome& outcome, int panelType);

// The port went away under the link: "Порт COM5 пропал: адаптер отключён от компьютера."
// portName as the user chose it ("COM5", "ttyUSB0").
[[nodiscard]] std::string PortGoneText(const std::string& portName);

// A write that ended once its codes frame was on the line and before the panel took the settings
// block, with the backup of what the panel held before ("" when none was kept).
[[nodiscard]] std::string WriteCutText(const std::string& formerBackup);

}  // namespace kerma
