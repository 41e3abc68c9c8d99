#pragma once
// The editor's fields in the installer's words ("Время выхода", "Код 3, раздел 5"), for messages
// that name fields, such as the check of a write.
#include <string>
#include <string_view>

namespace kerma {

// The label of a control bound to a configuration (any letter case), or the name itself for a
// control without one. Also "VersionByte", "CodeCount", "KeyCount" of the editor's state.
[[nodiscard]] std::string FieldLabel(std::string_view controlName);

// What a checked radio button says, as the report and the comparison write it ("пожарный",
// "только тревога", "неисправность"); its own name for a button without a word.
[[nodiscard]] std::string ChoiceWord(std::string_view radioName);

// A two-way radio group (communicator polling, partition memory) by its item: "включён",
// "выключен", "—" for none.
[[nodiscard]] std::string OnOffWord(int itemIndex);

}  // namespace kerma
