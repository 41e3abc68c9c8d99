#pragma once
// Every control of the editor window with its designed state.
#include <string>
#include <vector>

#include "form_model.h"

namespace kerma {

// Adds all controls of the editor window to an empty model and runs the creation steps that do not
// depend on the main window: partition names on "раздел", receiver borders 1-4, 5-8, 9-12, 13-16.
void BuildK740Controls(FormModel& model);

// Shows PanelQN over the partition page for the QN family, hides it for QN-M.
void ShowFamilyPanel(FormModel& model, bool qnFamily);

// The 57 preset partition names; the last one stands for a name the user types.
[[nodiscard]] const std::vector<std::string>& PresetPartitionNames();
inline constexpr int kOwnNameItem = 56;

// Built names of the grid families (indices as the panel counts them, from 1).
[[nodiscard]] std::string CodeBoxName(int code, int partition);         // q0116, q3216
[[nodiscard]] std::string KeyBoxName(int key, int partition);           // qtm0116, qtm9616
[[nodiscard]] std::string ObjectName(int receiver, int row, int loop);  // Object124, Object124R3
[[nodiscard]] std::string RowResetName(int receiver, int row);      // ButtonRPD5, ButtonRPY2RPD5
[[nodiscard]] std::string BindingName(int receiver, int detector);  // RPD111
[[nodiscard]] std::string SystemNumberName(int receiver, int detector);  // RPDI248

}  // namespace kerma
