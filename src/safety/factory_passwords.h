#pragma once
// A panel handed over with its factory engineer password can be reprogrammed from its keypad by
// anyone who knows that value. The editor, the report and the client point such a password out;
// nothing asks a question or refuses a write for it.
#include <string>
#include <vector>

#include "k740_editor.h"

namespace kerma {

inline constexpr const char* kFactoryPasswordHint =
    "Заводской пароль: смените его перед сдачей объекта";

// The fields that are pointed out while they hold their factory value: the engineer password, on
// variant 5 the administrator's too.
[[nodiscard]] std::vector<std::string> GuardedPasswordFields(int variant);

// Whether the field holds what the variant's factory configuration puts there.
[[nodiscard]] bool HoldsFactoryPassword(const K740Editor& editor, int variant,
                                        const std::string& field);

// One line for the client's error stream naming the guarded passwords that hold their factory
// value; "" when none does.
[[nodiscard]] std::string FactoryPasswordWarning(const K740Editor& editor, int variant);

// Keeps the guarded fields of an editor marked (the warning colour and the hint) while they hold
// their factory value, whatever puts it there: typing, a read, a file, the defaults.
class FactoryPasswordMarks {
  public:
    explicit FactoryPasswordMarks(K740Editor& editor);
    ~FactoryPasswordMarks();
    FactoryPasswordMarks(const FactoryPasswordMarks&) = delete;
    FactoryPasswordMarks& operator=(const FactoryPasswordMarks&) = delete;

  private:
    void mark(const std::string& field);

    K740Editor& editor_;
    int observer_ = 0;
};

}  // namespace kerma
