#pragma once
// The one comparison of two configurations field by field: the check of a write, the client's
// diff and the editor's comparison with a file all name differences through it.
#include <string>
#include <vector>

#include "headless_editor.h"

namespace kerma {

// Stands for the value of a field one side does not have.
inline constexpr const char* kNoValue = "—";
inline constexpr const char* kFieldsMatchText = "Совпадают";

struct FieldDifference {
    std::string name;  // the control's name
    std::string left, right;
};

// The fields whose values differ: those of left in its order, then those only right has.
[[nodiscard]] std::vector<FieldDifference> CompareFields(const FieldValues& left,
                                                         const FieldValues& right);

// The editor's fields against those the file shows once loaded as the editor would load it.
// A file of another variant than the editor's is not compared.
[[nodiscard]] Result<std::vector<FieldDifference>> CompareWithFile(const K740Editor& editor,
                                                                   int variant,
                                                                   const std::string& path);

// One line a field: its label, the left value and the right as the report writes them (a choice
// of radio buttons as one line). Passwords, codes and key identifiers are masked as the report
// masks them unless secrets. The enabled and visible flags, where the fields carry them, are
// named only where no value differs.
[[nodiscard]] std::vector<std::string> DifferenceLines(const std::vector<FieldDifference>& fields,
                                                       bool secrets);

// The file's name and folder, then "Совпадают" or the difference lines, secrets shown: the
// editor's value, then the file's.
[[nodiscard]] std::string ComparisonText(const std::vector<FieldDifference>& fields,
                                         const std::string& path);

}  // namespace kerma
