#pragma once
// The fields of the settings block, once: per row the control (or the first of its buttons), its
// cell, how the cell holds it, which variants have it and the words that name it. The codecs
// decode and encode the regular rows from here; the field dump, the labels of messages and the
// report read every row. Rows coded by hand (passwords, relay modes, sound and backlight, the
// partition types, the line speed) are here for their names and words only.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "form_model.h"
#include "codec_memory.h"

namespace kerma {

enum class FieldKind {
    ByHand,        // coded by hand in the variant's codec
    Position,      // an up-down's position is the cell
    PartitionSet,  // a box per partition: the partition bit set in cell and cell + 1
    StatusBit,     // two radio buttons: the second (alarm) when bit `bit` of the cell is set
    StatusCell,    // two radio buttons: the second (alarm) when the cell holds 1
    Switch,        // two radio buttons: the second when the cell is not 0; written 0 or 1
    OnOffList,     // a list "включён"/"выключен": on when the cell is not 0; written 0xFF or 0
};

struct SettingsField {
    // The control; for a partition set the prefix of its sixteen boxes. Radio rows list their
    // buttons in the order the cell's values name them, and mode rows their three buttons.
    std::array<const char*, 3> controls{};
    FieldKind kind = FieldKind::ByHand;
    int cell = -1;
    int bit = 0;
    unsigned variants = 0;  // bit v for variant v
    // What names the field in messages and the report; for a status the event it reports.
    const char* label = "";
    const char* edit = nullptr;  // the edit box that shows an up-down's seconds

    bool perPartition = false;   // one control per partition, named controls[0] + partition

    [[nodiscard]] bool in(int variant) const { return (variants >> variant) & 1U; }
};

// Every row, in the order the field dump lists them.
[[nodiscard]] const std::vector<SettingsField>& SettingsFields();

// The row a control name belongs to (any of its buttons, its edit box, or a box of a partition
// row); nullptr when none.
[[nodiscard]] const SettingsField* FindSettingsField(std::string_view control);

// The label the row gives a control: for a partition row with ", раздел N", for a status
// "Статус извещения «event»"; empty when no row has it.
[[nodiscard]] std::string SettingsFieldLabel(std::string_view control);

// The regular rows of a variant from cells into the controls, and back.
void DecodeSettingsFields(FormModel& model, const Block& cells, int variant);
void EncodeSettingsFields(const FormModel& model, Block& cells, int variant);

}  // namespace kerma
