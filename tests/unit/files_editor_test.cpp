// The editor's defaults, save and load: what the panel and the files rely on, and that a file the
// editor refuses changes nothing at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor_files.h"
#include "factory_defaults.h"
#include "k740_controls.h"
#include "scripted_prompts.h"
#include "state_dump.h"
#include "test_files.h"
#include "test_folder.h"

namespace kerma {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

struct Editor {
    ScriptedPrompts prompts;
    K740Editor editor;
    CodecMemory image;
    int chosen;
    int32_t layoutCode = 0;

    // A demo editor for variants 1, 3, 5; otherwise one connected to a panel of that variant.
    explicit Editor(int chosenVariant, bool demo = true)
        : editor(prompts, EditorOptions{chosenVariant == 5 || chosenVariant == 2, demo}),
          chosen(chosenVariant) {
        if (demo) {
            layoutCode = StartDemo(editor, image, chosen);
        } else {
            editor.setVersion(FactoryVersionByte(chosen));
            (void)LoadFactoryDefaults(editor, image, chosen);
        }
    }
    FormModel& model() { return editor.model(); }
    std::string text(const char* name) { return model().at(name).text; }

    // Everything a load could change: controls, counts, held codes, kept image.
    std::string configuration() {
        std::ostringstream s;
        s << DumpEditorState(editor, ShownVariant(editor.state(), chosen));
        for (int32_t c : editor.state().codesImage) s << "," << c;
        for (int32_t c : image.settingsCopy) s << ";" << c;
        return s.str();
    }
    std::string snapshot() { return configuration() + "|" + editor.status(0); }
    bool save(const std::string& path) {
        prompts.files.push_back(path);
        const SaveCommandEnd end = SaveConfiguration(editor, image, chosen);
        if (end.layoutCode) layoutCode = *end.layoutCode;
        return editor.status(0) == kFileSavedText;
    }
    bool load(const std::string& path) {
        prompts.files.push_back(path);
        return LoadConfiguration(editor, image, chosen);
    }
};

class FilesEditorTest : public ::testing::Test {
  protected:
    test::TempDir dir_{"kerma_files"};
    std::string path(const char* name) { return dir_.file(name); }
};

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const auto& line : lines) text += line + end;
    return text;
}

TEST_F(FilesEditorTest, DemoSaveWithOneQnmReceiver) {
    Editor e(1);
    ASSERT_TRUE(e.save(path("a.cfg")));
    const std::string text = ReadAll(path("a.cfg"));
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 2048u);
    EXPECT_EQ(Join(lines), text) << "every line ends in CR LF";
    EXPECT_EQ(lines[1], "18");
    for (int cell : {6, 7, 38, 39}) EXPECT_EQ(lines[static_cast<size_t>(cell)], "0") << cell;
    EXPECT_EQ(lines[8], "45");
    EXPECT_EQ(e.layoutCode, 99);

    // Variant 3 holds 0xFF in its kept cells 38 and 39; the file still carries 0.
    Editor three(3);
    ASSERT_TRUE(three.save(path("b.cfg")));
    const auto more = Lines(ReadAll(path("b.cfg")));
    ASSERT_EQ(more.size(), 2048u);
    for (int cell : {6, 7, 38, 39}) EXPECT_EQ(more[static_cast<size_t>(cell)], "0") << cell;
}

TEST_F(FilesEditorTest, FileOfAnotherVariantChangesNothing) {
    Editor one(1);
    ASSERT_TRUE(one.save(path("one.cfg")));
    Editor three(3);
    const std::string before = three.configuration();
    EXPECT_FALSE(three.load(path("one.cfg")));
    ASSERT_EQ(three.prompts.shown.size(), 1u);
    EXPECT_EQ(three.prompts.shown[0], kWrongFileVersionText);
    EXPECT_EQ(three.configuration(), before);
    EXPECT_EQ(three.editor.status(0), kFileLoadFailedText);
}

TEST_F(FilesEditorTest, Variant5FileRestoresTheWholeCodesBlock) {
    Editor five(5);
    ASSERT_TRUE(five.save(path("five.cfg")));
    auto lines = Lines(ReadAll(path("five.cfg")));
    ASSERT_EQ(lines.size(), 2816u);
    EXPECT_EQ(lines[1], "53");
    // Object numbers of every receiver, the last loop of receiver 4 included.
    for (size_t i = 1024 + 256; i < 2816; i += 2) lines[i] = std::to_string(i % 200);
    WriteAll(path("objects.cfg"), Join(lines));

    Editor other(5);
    ASSERT_TRUE(other.load(path("objects.cfg")));
    EXPECT_EQ(other.editor.status(0), kFileLoadedText);
    const Block& held = other.editor.state().codesImage;
    for (size_t cell = 0; cell < 1792; ++cell)
        ASSERT_EQ(held[cell], std::stoi(lines[1024 + cell])) << cell;
    EXPECT_EQ(FieldNumber(other.text("Object824R4")), (1024 + 1790) % 200);
}

TEST_F(FilesEditorTest, HeaderLineIsNotTakenOverUnlessItIsAByte) {
    Editor e(1);
    ASSERT_TRUE(e.save(path("a.cfg")));
    auto lines = Lines(ReadAll(path("a.cfg")));
    for (const char* header : {"7", "123456", "-40"}) {
        lines[0] = header;
        WriteAll(path("h.cfg"), Join(lines));
        Editor f(1);
        ASSERT_TRUE(f.load(path("h.cfg"))) << header;
        ASSERT_TRUE(f.save(path("back.cfg")));
        const auto back = Lines(ReadAll(path("back.cfg")));
        EXPECT_EQ(back[0], std::string(header) == "7" ? "7" : "170") << header;
    }
}

TEST_F(FilesEditorTest, BrokenFilesAreRefusedWithNothingChanged) {
    Editor good(1);
    ASSERT_TRUE(good.save(path("good.cfg")));
    const auto lines = Lines(ReadAll(path("good.cfg")));
    struct Case {
        const char* name;
        std::string text;
        const char* said;  // part of the notice
    };
    auto with = [&](size_t line, const std::string& value) {
        auto copy = lines;
        copy[line] = value;
        return Join(copy);
    };
    const std::vector<Case> cases = {
        {"empty", "", "пуст"},
        {"one line short", Join({lines.begin(), lines.end() - 1}), "2048"},
        {"codes cut half-way", Join({lines.begin(), lines.begin() + 1500}), "2048"},
        {"word in the codes", with(1600, "abc"), "Строка 1601"},
        {"256 in the settings", with(300, "256"), "Строка 301"},
        {"-2", with(12, "-2"), "Строка 13"},
        {"blank line", with(40, ""), "Строка 41"},
        {"blank in a number", with(30, " 0"), "Строка 31"},
        {"word as header", with(0, "x"), "Строка 1"},
        {"binary", std::string("\0\1\2\r\n", 5) + Join(lines), "Строка 1"},
        {"version 0", with(1, "5"), "версия"},
        {"variant 5 version", with(1, "53"), "версия"},
    };
    Editor e(1);
    const std::string before = e.configuration();
    for (const Case& c : cases) {
        WriteAll(path("bad.cfg"), c.text);
        e.prompts.shown.clear();
        e.editor.setStatus(0, std::string(kFileLoadedText));
        EXPECT_FALSE(e.load(path("bad.cfg"))) << c.name;
        ASSERT_EQ(e.prompts.shown.size(), 1u) << c.name;
        EXPECT_NE(e.prompts.shown[0].find(c.said), std::string::npos)
            << c.name << ": " << e.prompts.shown[0];
        EXPECT_EQ(e.configuration(), before) << c.name;
        // An earlier load's "…завершено" must not stand beside the refusal.
        EXPECT_EQ(e.editor.status(0), kFileLoadFailedText) << c.name;
    }
    e.prompts.shown.clear();
    EXPECT_FALSE(e.load(path("missing.cfg")));
    EXPECT_EQ(e.prompts.shown.size(), 1u);
    EXPECT_EQ(e.configuration(), before);
}

// Line ends of other systems, a byte-order mark and whatever follows the lines a load uses (a
// blank line, a note) do not stop a load; the file is saved back in the program's own form.
TEST_F(FilesEditorTest, ForeignTextAroundTheCellsLoads) {
    Editor e(3);
    ASSERT_TRUE(e.save(path("a.cfg")));
    const std::string crlf = ReadAll(path("a.cfg"));
    const auto lines = Lines(crlf);
    for (const std::string& text : {Join(lines, "\n"), Join(lines, "\r"), "\xEF\xBB\xBF" + crlf,
                                    crlf + "\r\n", crlf + "Объект на Лесной, 12\r\n"}) {
        WriteAll(path("other.cfg"), text);
        Editor f(3);
        ASSERT_TRUE(f.load(path("other.cfg")))
            << (f.prompts.shown.empty() ? "" : f.prompts.shown[0]);
        ASSERT_TRUE(f.save(path("b.cfg")));
        EXPECT_EQ(ReadAll(path("b.cfg")), crlf);
    }
}

// Save, load into a fresh editor, save again: same editor state and the same bytes.
TEST_F(FilesEditorTest, SavedFilesLoadBackIntoTheSameState) {
    for (int variant : {1, 3, 5}) {
        Editor e(variant);
        e.model().setText("DelayEdit", "30");
        if (variant != 5) {
            e.model().setChecked("avt9", true);
            e.model().setText("PasswordEdit2", "987654");
        } else {
            e.model().setText("paswrd2", "4321  ");
        }
        ASSERT_TRUE(e.save(path("a.cfg"))) << variant;
        Editor f(variant);
        ASSERT_TRUE(f.load(path("a.cfg"))) << variant;
        EXPECT_EQ(DumpEditorState(f.editor, variant), DumpEditorState(e.editor, variant))
            << variant;
        ASSERT_TRUE(f.save(path("b.cfg")));
        EXPECT_EQ(ReadAll(path("b.cfg")), ReadAll(path("a.cfg"))) << variant;
    }
}

TEST_F(FilesEditorTest, FailedSaveSaysSoAndLeavesNoFile) {
    Editor e(1);
    const std::string target = path("none/a.cfg");
    EXPECT_FALSE(e.save(target));
    ASSERT_EQ(e.prompts.shown.size(), 1u);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target + ".tmp"));
    EXPECT_NE(e.editor.status(0), kFileSavedText);

    // An engineer password the panel cannot take: no file, the old one stays whole.
    ASSERT_TRUE(e.save(path("keep.cfg")));
    const std::string kept = ReadAll(path("keep.cfg"));
    e.model().setText("PasswordEdit", "12");
    e.prompts.shown.clear();
    e.editor.setStatus(0, "");
    EXPECT_FALSE(e.save(path("keep.cfg")));
    EXPECT_EQ(e.prompts.shown.size(), 1u);
    EXPECT_EQ(ReadAll(path("keep.cfg")), kept);

    // A file the installer made read-only stays as it is, and the save says why.
    Editor f(1);
    fs::permissions(path("keep.cfg"), fs::perms::owner_read);
    EXPECT_FALSE(f.save(path("keep.cfg")));
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0], "Нет доступа к файлу " + path("keep.cfg") + ".");
    EXPECT_EQ(f.editor.status(0), kFileSaveFailedText);
    EXPECT_EQ(ReadAll(path("keep.cfg")), kept);
}

TEST_F(FilesEditorTest, CancelledDialogsDoNothing) {
    Editor e(1);
    const std::string before = e.snapshot();
    EXPECT_FALSE(LoadConfiguration(e.editor, e.image, 1));
    (void)SaveConfiguration(e.editor, e.image, 1);
    EXPECT_TRUE(e.prompts.shown.empty());
    EXPECT_EQ(e.snapshot(), before);
}

TEST_F(FilesEditorTest, DemoDefaultsOfOneQnmReceiver) {
    Editor e(1);
    EXPECT_EQ(e.editor.state().versionByte, 18);
    EXPECT_EQ(e.layoutCode, 99);
    EXPECT_EQ(e.editor.status(0), kDefaultsLoadedText);
    EXPECT_EQ(e.model().at("Delay").position, 45);
    EXPECT_EQ(e.model().at("DelayVxod").position, 45);
    for (int p = 1; p <= 16; ++p) {
        const std::string n = std::to_string(p);
        EXPECT_TRUE(e.model().at("privrele1" + n).checked) << p;
        EXPECT_TRUE(e.model().at("privrele2" + n).checked) << p;
        EXPECT_TRUE(e.model().at("ds1" + n).checked) << p;
        EXPECT_FALSE(e.model().at("ds0" + n).checked) << p;
        EXPECT_FALSE(e.model().at("ds2" + n).checked) << p;
    }
    EXPECT_EQ(e.text("PasswordEdit"), kFactoryEngineerPassword);
    EXPECT_EQ(e.text("PasswordEdit2"), std::string(kFactoryUserPassword) + "   ");
    EXPECT_EQ(e.model().activePage("PageControl"), "TabSheetRazdel");
}

TEST_F(FilesEditorTest, Variant3DefaultsNumberEveryDetector) {
    Editor e(3);
    EXPECT_EQ(e.layoutCode, 99);
    EXPECT_EQ(e.editor.state().versionByte, 33);
    for (int d = 1; d <= 48; ++d) {
        EXPECT_EQ(FieldNumber(e.text(SystemNumberName(1, d).c_str())), d);
        EXPECT_EQ(FieldNumber(e.text(SystemNumberName(4, d).c_str())), 144 + d);
    }
}

TEST_F(FilesEditorTest, Variant5DefaultsFillTheFactoryCopies) {
    Editor e(5);
    EXPECT_EQ(e.layoutCode, 102);
    EXPECT_EQ(e.editor.state().versionByte, 53);
    EXPECT_EQ(e.image.factoryCodesCopy, FactoryCodesCopy());
    ASSERT_EQ(e.image.factorySettings.size(), 1024u);
    EXPECT_EQ(e.image.factorySettings[1], 53);
    EXPECT_EQ(e.text("paswrd1"), kFactoryEngineerPassword);
    EXPECT_EQ(e.editor.state().codeCount, 0);
}

TEST_F(FilesEditorTest, DefaultsTwiceGiveTheSameState) {
    for (int variant : {1, 3, 5}) {
        Editor e(variant);
        const std::string once = e.snapshot();
        e.model().setText("DelayEdit", "12");
        (void)LoadFactoryDefaults(e.editor, e.image, variant);
        EXPECT_EQ(e.snapshot(), once) << variant;
    }
}

// Outside demo mode the defaults keep the panel's own version byte, and a version of no known
// variant is refused.
TEST_F(FilesEditorTest, DefaultsKeepThePanelVersion) {
    for (int variant : {1, 2, 3, 4, 5}) {
        Editor e(variant, false);
        EXPECT_EQ(e.editor.status(0), kDefaultsLoadedText) << variant;
        EXPECT_EQ(e.image.factorySettings.at(1), FactoryVersionByte(variant));
        ASSERT_TRUE(e.save(path("v.cfg"))) << variant;
        const auto lines = Lines(ReadAll(path("v.cfg")));
        EXPECT_EQ(lines.size(),
                  static_cast<size_t>(FileSettingsCells(variant) + FileCodesCells(variant)));
        EXPECT_EQ(lines[1], std::to_string(FactoryVersionByte(variant)));
    }
    ScriptedPrompts prompts;
    K740Editor bare(prompts);
    CodecMemory image;
    bare.setVersion(7);
    const DefaultsCommandEnd end = LoadFactoryDefaults(bare, image, 1);
    EXPECT_FALSE(end.loaded);
    EXPECT_FALSE(end.layoutCode.has_value());
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(image.factorySettings.empty());
}

}  // namespace
}  // namespace kerma
