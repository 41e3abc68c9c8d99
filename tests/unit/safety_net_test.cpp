// The safety net of an editor: a read kept as the file a save would write, what the panel held
// kept before a write and before a firmware replacement, a following read checked against the
// write, and the user asked before edits nobody wrote or saved are lost.
#include "safety_net.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor_files.h"
#include "factory_defaults.h"
#include "ruled_editor.h"
#include "settings_image.h"
#include "test_files.h"
#include "test_folder.h"
#include "variant_layout.h"

namespace kerma {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

struct Rig : test::RuledEditor {
    test::TempDir dir{"kerma740-net"};
    fs::path folder = dir.path();
    SafetyNet safety{editor, image};
    int second = 0;

    Rig() {
        safety.folder = [this] { return folder.string(); };
        safety.now = [this] { return LocalTime{2026, 12, 8, 14, 3, second++}; };
        editor.setVersion(18);
        (void)ApplyVariantLayout(editor, 1, 8, false);
    }
    // A read of these blocks, as the session hands it on after decoding.
    void read(const Block& settings, const Block& codes) {
        editor.state().codesImage.assign(codes.begin(), codes.end());
        editor.state().codesImage.resize(kCodesCells, 0);
        DecodeSettingsImage(editor, image, settings);
        safety.configurationRead(settings, codes);
    }
    std::vector<BackupEntry> backups() { return BackupStore(folder.string()).list(); }
};

Block Settings() {
    return FactoryConfiguration(1).settings;
}
Block Codes() {
    return FactoryConfiguration(1).codes;
}

TEST(SafetyNetTest, ReadIsKeptAsTheFileASaveWouldWrite) {
    Rig rig;
    Block settings = Settings();
    settings[6] = 9;  // a cell the panel keeps for itself; a file holds it as 0
    rig.read(settings, Codes());
    const auto list = rig.backups();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].fileName, "2026-12-08_14-03-00_v1.8_read.cfg");
    const std::string saved = (rig.folder / "saved.cfg").string();
    ASSERT_TRUE(SaveConfigurationTo(rig.editor, rig.image, 1, saved));
    EXPECT_EQ(ReadAll(list[0].path), ReadAll(saved));
    EXPECT_TRUE(rig.prompts.shown.empty());
}

TEST(SafetyNetTest, BackupThatFailsIsSaidInTheStatusAndNothingElseChanges) {
    Rig rig;
    std::ofstream(rig.folder / "file") << "x";
    rig.safety.folder = [&] { return (rig.folder / "file" / "backups").string(); };
    rig.editor.setStatus(0, "ППКОП Kerma-740 версия v 1.8  Чтение конфигурации завершено");
    rig.read(Settings(), Codes());
    EXPECT_EQ(rig.editor.status(0).find("ППКОП Kerma-740 версия v 1.8  Чтение конфигурации "
                                        "завершено  Резервная копия не сохранена: "),
              0u)
        << rig.editor.status(0);
    EXPECT_TRUE(rig.prompts.shown.empty());
    EXPECT_EQ(rig.editor.model().at("DelayEdit").text, "45");
}

TEST(SafetyNetTest, WriteKeepsWhatThePanelHeldAndTheNextReadChecksIt) {
    Rig rig;
    rig.read(Settings(), Codes());
    const std::string before = ReadAll(rig.backups()[0].path);

    // Nothing was read on a new connection: nothing to keep before the write.
    Block sent = Settings();
    sent[8] = 30;
    rig.safety.connectionChanged();
    rig.safety.beforeWrite(sent, Codes());
    rig.safety.written();
    EXPECT_EQ(rig.backups().size(), 1u);
    rig.safety.connectionChanged();  // and nothing to check a read of a later connection against

    rig.read(Settings(), Codes());
    EXPECT_EQ(rig.backups().size(), 2u);
    rig.safety.beforeWrite(sent, Codes());
    const auto list = rig.backups();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].kind, BackupKind::BeforeWrite);
    EXPECT_EQ(ReadAll(list[2].path), before);
    rig.safety.written();
    // The panel kept one byte wrong: the read names the field; the read after it is no check.
    Block stored = sent;
    stored[8] = 31;
    rig.read(stored, Codes());
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_NE(rig.prompts.shown[0].find("не совпадает с записанной: 1 ячейка отличается."),
              std::string::npos)
        << rig.prompts.shown[0];
    EXPECT_NE(rig.prompts.shown[0].find("Время выхода"), std::string::npos);
    rig.read(stored, Codes());
    EXPECT_EQ(rig.prompts.shown.size(), 1u);
    // A write the panel keeps as sent.
    rig.safety.beforeWrite(sent, Codes());
    rig.safety.written();
    rig.read(sent, Codes());
    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[1], "Конфигурация в приборе совпадает с записанной");
}

TEST(SafetyNetTest, FirmwareReplacementKeepsThePanelAsItWas) {
    Rig rig;
    Block settings = Settings();
    settings[100] = 0xAB;
    rig.safety.beforeFirmware(settings, Codes());
    const auto list = rig.backups();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].kind, BackupKind::BeforeFirmware);
    auto file = ReadConfigFile(list[0].path);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.value().settings[100], 0xAB);
    EXPECT_TRUE(rig.prompts.shown.empty());
    // Where the copy cannot be written the user is told; the replacement is not held up.
    rig.safety.folder = [] { return std::string(); };
    rig.safety.beforeFirmware(settings, Codes());
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_NE(rig.prompts.shown[0].find("не сохранена"), std::string::npos);
}

TEST(SafetyNetTest, EditsOfTheUserAreAskedForProgramChangesAreNot) {
    Rig rig;
    EXPECT_FALSE(rig.safety.hasUnsavedEdits());  // nothing shown yet
    rig.read(Settings(), Codes());
    EXPECT_FALSE(rig.safety.hasUnsavedEdits());
    EXPECT_TRUE(rig.safety.mayDropEdits([] { return false; }));
    EXPECT_TRUE(rig.prompts.shown.empty());

    rig.editor.model().setText("DelayEdit", "30");
    ASSERT_TRUE(rig.safety.hasUnsavedEdits());
    int saves = 0;
    const auto save = [&] {
        ++saves;
        return saves > 1;  // the first save dialog is cancelled
    };
    rig.prompts.choices = {Answer::Cancel, Answer::Yes, Answer::No, Answer::Yes};
    EXPECT_FALSE(rig.safety.mayDropEdits(save));
    EXPECT_FALSE(rig.safety.mayDropEdits(save));  // Yes, but no file written
    EXPECT_TRUE(rig.safety.mayDropEdits(save));   // No
    EXPECT_TRUE(rig.safety.mayDropEdits(save));   // Yes, saved
    EXPECT_EQ(saves, 2);
    ASSERT_EQ(rig.prompts.shown.size(), 4u);
    EXPECT_EQ(rig.prompts.shown[0],
              "Подтверждение|Изменения не записаны в прибор и не сохранены в файл. Сохранить в "
              "файл?");
    EXPECT_EQ(rig.editor.model().at("DelayEdit").text, "30");

    // Changed back by hand: nothing is lost any more.
    rig.editor.model().setText("DelayEdit", "45");
    EXPECT_FALSE(rig.safety.hasUnsavedEdits());
    rig.editor.model().setText("DelayEdit", "31");
    rig.safety.beforeWrite(Settings(), Codes());
    rig.safety.written();
    EXPECT_FALSE(rig.safety.hasUnsavedEdits());
}

}  // namespace
}  // namespace kerma
