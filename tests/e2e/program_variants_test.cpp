// The desktop program against kerma740-panel for the three radio systems with a full editor
// (QN-M with one and with four receivers, QN with four): a panel started from a configuration
// with no field at its factory value is read, the editor shows exactly what the file holds, and
// a write after one edited field leaves the panel's memory equal to the file but for that field.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "config_file.h"
#include "config_of.h"
#include "editor_files.h"
#include "editor_rules.h"
#include "k740_controls.h"
#include "link_types.h"
#include "process_util.h"
#include "program_rig.h"
#include "state_dump.h"
#include "ui_test_app.h"
#include "variant_layout.h"

namespace kerma {
namespace {

using test::ConfigOf;
using test::StatusEnds;
using testing::PanelProcess;
using testing::RunProgram;
using testing::TempDir;

std::string Indexed(const std::string& prefix, int n) {
    return prefix + std::to_string(n);
}

// An editor without a window, shaped for a panel with this version byte and with the field
// rules installed, as kerma740-cli builds it.
struct Headless {
    ScriptedPrompts prompts;
    int variant;
    K740Editor editor;
    CodecMemory image;
    std::shared_ptr<RuleState> rules;

    explicit Headless(int version)
        : variant(VariantOfVersion(version)),
          editor(prompts, EditorOptions{variant == 5, false}),
          rules(InstallRules(editor, image)) {
        editor.setVersion(version);
        (void)ApplyVariantLayout(editor, variant, DecodeVersion(version).minor, false);
    }
    FormModel& m() { return editor.model(); }
    std::string dump() const { return DumpEditorState(editor, variant); }
};

// Clicks the radio button after the checked one, round the group.
void NextRadio(FormModel& m, const std::vector<std::string>& group) {
    for (size_t i = 0; i < group.size(); ++i) {
        if (m.at(group[i]).checked) return m.click(group[(i + 1) % group.size()]);
    }
}

void FillCodes(FormModel& m, bool boxes) {
    m.setPosition("KOD", 32);
    for (int n = 1; n <= 32; ++n) {
        // Codes of 4 to 6 digits, 1..9 only, all different.
        std::string code = {'9', '8', char('1' + (n - 1) / 9), char('1' + (n - 1) % 9)};
        m.setText(Indexed("kod", n), code + std::string("76").substr(0, n % 3));
        // Every authority but one, a different one per code.
        for (int p = 1; p <= kPartitions && boxes; ++p) {
            if (p != (n - 1) % kPartitions + 1) m.click(CodeBoxName(n, p));
        }
    }
}

void FillKeys(FormModel& m, int keys) {
    m.setPosition("KEY", keys);
    for (int n = 1; n <= keys; ++n) {
        char id[24];
        std::snprintf(id, sizeof id, "1C2D3E4A%04X", n * 0x0101);
        m.setText(Indexed("Key", n), id);
        for (int p = 1; p <= kPartitions; ++p) {
            if (p != n % kPartitions + 1) m.click(KeyBoxName(n, p));
        }
    }
}

void FillPartitions(FormModel& m) {
    // Types first: choosing a type clears the 24-hour and silent rows.
    for (int p = 1; p <= kPartitions; ++p) m.click(Indexed(p % 5 == 3 ? "ds0" : "ds2", p));
    for (const char* row : {"avt", "tix", "krs", "privrele1", "privrele2", "Iskl"}) {
        for (int p = 1; p <= kPartitions; ++p) {
            if (m.at(Indexed(row, p)).enabled) m.click(Indexed(row, p));  // fire: not 24h/silent
        }
    }
    for (int p = 1; p <= kPartitions; ++p) {
        m.selectItem(Indexed("NameRzd", p), p % 2 ? 20 + p : 56);  // a preset or an own name
        if (p % 2 == 0) m.setText(Indexed("OwnName", p), "Щит №" + std::to_string(p));
    }
}

void FillReceivers(FormModel& m, int variant) {
    const int receivers = variant == 3 ? kReceivers : 1;
    const int first[] = {1, 4, 9, 13}, last[] = {3, 8, 12, 16};
    for (int r = 1; r <= receivers; ++r) {
        const int lo = variant == 3 ? first[r - 1] : 1, hi = variant == 3 ? last[r - 1] : 16;
        if (variant == 3) {
            m.setItemIndex(Indexed("Border", 2 * r - 1), lo - 1);
            m.setItemIndex(Indexed("Border", 2 * r), hi - 1);
        }
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            m.setText(BindingName(r, d), std::to_string(lo + (d - 1) % (hi - lo + 1)));
            if (variant != 3) continue;
            const int index = (r - 1) * kDetectorsPerReceiver + d - 1;  // unique, 1..192
            m.setText(SystemNumberName(r, d), std::to_string((index + 100) % 192 + 1));
        }
    }
}

void FillQnm(FormModel& m, int variant) {
    m.setText("PasswordEdit", "5678");
    m.setText("PasswordEdit2", "98765");
    m.setPosition("Delay", 77);
    m.setPosition("DelayVxod", 66);
    m.setPosition("Timesound", 99);
    m.setPosition("TimeLCD", 88);
    if (variant == 3) m.setPosition("TimesoundExt", 55);
    m.selectItem("Rele1Combo", 3);
    m.selectItem("Rele2Combo", 5);
    for (const char* onOff : {"GSMkom", "kom781", "MemRazd"}) {
        m.selectItem(onOff, 1 - m.at(onOff).itemIndex);
    }
    NextRadio(m, {"Keysound1", "keysound2", "Keysound3"});
    NextRadio(m, {"LCD_key1", "LCD_key2", "LCD_key3"});
    NextRadio(m, {"password1", "password2"});
    for (std::string status : {"K740tmp", "Rpytmp", "Rpdtmp", "Rpdcvz", "Rpdblok"}) {
        NextRadio(m, {status + "ncp", status + "tr"});
    }
    FillPartitions(m);
    FillReceivers(m, variant);
    FillCodes(m, true);
    FillKeys(m, variant == 3 ? 64 : 96);  // the four-receiver block holds 64 keys
}

void FillQn(FormModel& m) {
    m.setText("paswrd1", "9075");
    m.setText("paswrd2", "40829");
    NextRadio(m, {"ClearPaswrd1", "ClearPaswrd2"});
    m.selectItem("ReleQN1", 2);
    m.selectItem("ReleQN2", 1);
    m.selectItem("SpeedLine", 1);
    NextRadio(m, {"SoundButton1", "SoundButton2", "SoundButton3"});  // alarm only: duration on
    m.setPosition("SoundUpDown", 33);
    NextRadio(m, {"LCDButton1", "LCDButton2", "LCDButton3"});
    m.setPosition("LCDUpDown", 44);
    for (std::string status : {"DamagePult", "DamageRPU", "DamageRPD", "ConnectRPU", "ConnectRPD",
                               "Block", "ConnectMR"}) {
        NextRadio(m, {status + "1", status + "2"});
    }
    FillCodes(m, false);
    // Two loops per object, objects 1..384; 1..48 also go to the object table.
    for (int q = 0; q < kObjectLoops; ++q) {
        m.setText(ObjectName(q / 192 + 1, q % 192 / 8 + 1, q % 8 + 1), std::to_string(q / 2 + 1));
    }
    m.enter("Object11");  // leaving an object field takes all of them into the assignments
    m.exit("Object11");
}

std::vector<std::pair<std::string, std::string>> Split(const std::string& dump) {
    std::vector<std::pair<std::string, std::string>> lines;
    size_t start = 0;
    for (size_t end; (end = dump.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = dump.substr(start, end - start);
        const size_t eq = line.find('=');
        lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

// "name: expected | actual" for every line in which two dumps differ; "" when they agree.
std::string DumpDiff(const std::string& expected, const std::string& actual) {
    std::map<std::string, std::pair<std::string, std::string>> both;
    for (auto& [name, value] : Split(expected)) both[name].first = value;
    for (auto& [name, value] : Split(actual)) both[name].second = value;
    std::string diff;
    for (auto& [name, values] : both) {
        if (values.first != values.second)
            diff += name + ": \"" + values.first + "\" | \"" + values.second + "\"\n";
    }
    return diff;
}

// A field may keep its factory value only as a radio button left off, an authority box left
// clear, or a control the configuration disables or hides.
void ExpectNoFactoryField(const std::string& factoryDump, Headless& file) {
    std::map<std::string, std::string> factory;
    for (auto& [name, value] : Split(factoryDump)) factory[name] = value;
    for (auto& [name, value] : Split(file.dump())) {
        const Control* c = file.m().find(name);
        if (c == nullptr || factory[name] != value) continue;
        const bool kept = (c->kind == ControlKind::RadioButton && value == "0") || !c->enabled ||
                          !c->visible || (name[0] == 'q' && value == "0");
        EXPECT_TRUE(kept) << name << "=" << value << " is the factory value";
    }
}

// Saves a configuration of the version with every field away from the factory; returns the
// editor dump of the file as the CLI shows it.
std::string WriteNonDefaultFile(int version, const std::string& path, const TempDir& dir) {
    Headless edited(version);
    (void)LoadFactoryDefaults(edited.editor, edited.image, edited.variant);
    const std::string factory = edited.dump();
    if (edited.variant == 5) {
        FillQn(edited.m());
        // No changed-loop marks pending, as after the panel took a write: a mark the read
        // or the write sets on its own would show in the panel's memory.
        edited.image.qnDetectorBlock.fill(0);
    } else {
        FillQnm(edited.m(), edited.variant);
    }
    EXPECT_TRUE(ChecksBeforeWrite(edited.editor, edited.image));
    EXPECT_TRUE(SaveConfigurationTo(edited.editor, edited.image, edited.variant, path));
    EXPECT_EQ(edited.prompts.shown, std::vector<std::string>{});  // no rule objected

    Headless file(version);
    EXPECT_TRUE(LoadConfigurationFrom(file.editor, file.image, file.variant, path));
    ExpectNoFactoryField(factory, file);
    const auto shown = RunProgram(dir, "kerma740-cli", {"show", path});
    EXPECT_EQ(DumpDiff(file.dump(), shown.out), "");
    return file.dump();
}

struct VariantCase {
    const char* name;
    int version;        // the newest minor number of the variant: every group shown
    const char* radio;  // the main window's choice
    const char* field;  // the duration edited before the write
    int cell;           // its settings cell
};

void PrintTo(const VariantCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramVariantsTest : public ::testing::TestWithParam<VariantCase> {
  protected:
    void SetUp() override { TestApp(); }
};

TEST_P(ProgramVariantsTest, ReadShowsTheFileAndAWriteChangesOnlyTheEditedField) {
    const VariantCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.file("panel.cfg"), saved = dir.file("saved.cfg");
    const std::string expected = WriteNonDefaultFile(c.version, file, dir);
    PanelProcess panel(dir.file("com1"), {"--memory", file, "--save", saved});
    ASSERT_TRUE(panel.ready());
    test::Program program(dir.file("com1"));
    TMainForm& main = program.main;
    if (VariantOfVersion(c.version) == 5)
        main.findChild<QCheckBox*>("CheckBoxQN")->setChecked(true);
    main.findChild<QRadioButton*>(c.radio)->setChecked(true);
    bool written = false;
    main.hooks.showEditor = [&](TK740Form& form) {
        form.show();
        ASSERT_TRUE(test::WaitForRead(form, 60000)) << form.editor().status(0);
        EXPECT_EQ(DumpDiff(expected, DumpEditorState(form.editor(), VariantOfVersion(c.version))),
                  "");

        test::TypeInto(form, c.field, "30");
        test::Click(form, "WriteButton");
        ASSERT_TRUE(test::WaitForStatus(form, "Запись конфигурации завершена", 60000))
            << form.editor().status(0);
        EXPECT_EQ(program.prompts.shown, std::vector<std::string>{});
        written = true;
        form.reject();
    };
    main.connectToPanel();
    ASSERT_TRUE(written);

    ConfigBlocks want = ConfigOf(file), got = ConfigOf(saved);
    want.settings[c.cell] = 30;
    EXPECT_EQ(got.settings, want.settings);
    EXPECT_EQ(got.codes, want.codes);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ProgramVariantsTest,
    ::testing::Values(VariantCase{"QnmOneReceiver", 19, "RPYQNM1", "DelayEdit", 8},
                      VariantCase{"QnmFourReceivers", 34, "RPYQNM4", "DelayEdit", 8},
                      VariantCase{"QnFourReceivers", 53, "RPYQN4", "SoundEdit", 31}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kerma
