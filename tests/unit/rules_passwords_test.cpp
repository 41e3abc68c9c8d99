#include "param_names.h"
#include "rules_fixture.h"

namespace kerma::test {
namespace {

const std::string kEngineer =
    "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!";
const std::string kUser =
    "Недопустимое количество цифр! Количестово цифр в пароле пользователя должно быть от 3 до 6!";
const std::string kAdmin =
    "Недопустимое количество цифр! Количестово цифр в пароле администратора должно быть от 3 до "
    "6!";
const std::string kZero = "0 не допустим!";

struct PasswordCase {
    const char* field;
    const char* typed;
    std::vector<std::string> shown;  // typing, then leaving
    const char* text;
};

class Passwords : public RulesTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(Passwords, DigitsAreFilteredAndCountedOnLeave) {
    const PasswordCase& c = GetParam();
    m.setFocus("avt1");
    Type(c.field, c.typed);
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(Text(c.field), c.text);
    EXPECT_EQ(m.focus(), c.shown.empty() || c.shown.back() == kZero ? "" : c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Passwords,
    ::testing::Values(PasswordCase{"PasswordEdit2", "102", {kZero, kUser}, "12    "},
                      PasswordCase{"PasswordEdit2", "123", {}, "123   "},
                      PasswordCase{"PasswordEdit2", "1 2 3 ", {}, "1 2 3 "},
                      PasswordCase{"PasswordEdit", "123", {kEngineer}, "123 "},
                      PasswordCase{"PasswordEdit", "1234", {}, "1234"},
                      PasswordCase{"PasswordEdit", "1020", {kZero, kZero, kEngineer}, "12  "},
                      PasswordCase{"paswrd1", "", {kEngineer}, "    "},
                      PasswordCase{"paswrd1", "0000", {}, "0000"},
                      PasswordCase{"paswrd2", "102", {}, "102   "},
                      PasswordCase{"paswrd2", "1 ", {kAdmin}, "1     "}),
    [](const auto& info) {
        return std::string(info.param.field) + "_" + testing::ParamName(info.param.typed);
    });

TEST(PasswordFilter, WorksOnADisabledField) {
    RuledEditor e;
    e.editor.model().setEnabled("PasswordEdit2", false);
    e.editor.model().setText("PasswordEdit2", "505");
    EXPECT_EQ(e.prompts.shown, std::vector<std::string>{kZero});
    EXPECT_EQ(e.editor.model().at("PasswordEdit2").text, "55    ");
}

}  // namespace
}  // namespace kerma::test
