#include "editor_files.h"

#include <algorithm>

#include "codes_image.h"
#include "editor_rules.h"
#include "factory_defaults.h"
#include "fields/binding_fields.h"
#include "fields/window_fields.h"
#include "link_types.h"
#include "settings_image.h"
#include "variant_layout.h"

namespace kerma {
namespace {

constexpr std::string_view kPages = fields::PageControl;
constexpr std::string_view kFirstPage = fields::TabSheetRazdel;
constexpr int kHeaderCell = 0;

// Receiver borders 1-4, 5-8, 9-12, 13-16 as item indexes of Border1 .. Border8.
constexpr int kPresetBorders[] = {0, 3, 4, 7, 8, 11, 12, 15};

// The held codes block is a 2048-cell array whatever the variant; a fresh editor has none yet.
Block& HeldCodes(K740Editor& editor) {
    Block& codes = editor.state().codesImage;
    if (codes.size() < static_cast<size_t>(kCodesCells))
        codes.resize(static_cast<size_t>(kCodesCells), 0);
    return codes;
}

void PutCodes(K740Editor& editor, const Block& codes) {
    std::copy(codes.begin(), codes.end(), HeldCodes(editor).begin());
}

void PresetBorders(FormModel& model) {
    for (int n = 1; n <= 8; ++n) {
        const std::string name = fields::BorderN + std::to_string(n);
        if (model.has(name)) model.setItemIndex(name, kPresetBorders[n - 1]);
    }
}

void ShowFirstPage(FormModel& model) {
    if (model.has(kPages) && model.has(kFirstPage)) model.setActivePage(kPages, kFirstPage);
}

std::string UnknownVersionText(const K740Editor& editor) {
    return "Версия ПО прибора v " + DecodeVersion(editor.state().versionByte).text +
           " не относится ни к одному типу системы.";
}

constexpr const char* kNothingToSave = "В редакторе нет конфигурации для записи в файл.";
constexpr const char* kPanelIdentifiedMeanwhile =
    "Пока выбирался файл, прибор на линии был опознан как другой тип системы. Файл не записан.";

// A connected editor whose panel has not been identified (a connect cut short) has no version of
// its own: the defaults of the chosen variant come with its layout and its demo version, as in a
// demo, so that what is shown can be saved and written.
std::optional<int32_t> TakeChosenVariant(K740Editor& editor, int variant) {
    const int version = DescribeVariant(variant).demoVersion;
    const auto layoutCode = ApplyVariantLayout(editor, variant, DecodeVersion(version).minor, false);
    editor.setVersion(version);
    return layoutCode;
}

// The settings image of a file: its N cells in a 1024-cell buffer. Line 0 is the block header;
// one that is not a byte value keeps the header the editor holds.
Block FileSettings(const ConfigBlocks& file, const CodecMemory& image) {
    Block settings(static_cast<size_t>(kSettingsCells), 0);
    std::copy(file.settings.begin(), file.settings.end(), settings.begin());
    const int header = file.settings[kHeaderCell];
    if (header < -1 || header > 255) settings[kHeaderCell] = image.settingsCopy[kHeaderCell];
    return settings;
}

// The system number check, the engineer password and, in variant 5, the pruning of repeated
// codes; false refuses the save (the user has been told why).
bool RunChecksBeforeSave(K740Editor& editor, CodecMemory& image) {
    return ChecksBeforeSave(editor, image);
}

// The status first, so the bar already tells the outcome while the message is up.
void Refuse(K740Editor& editor, std::string_view status, const std::string& message) {
    editor.setStatus(0, std::string(status));
    editor.prompts().notice(message);
}

}  // namespace

DefaultsCommandEnd LoadFactoryDefaults(K740Editor& editor, CodecMemory& image, int chosenVariant) {
    FormModel& model = editor.model();
    PresetBorders(model);
    ShowFirstPage(model);
    DefaultsCommandEnd end;
    const int variant = ShownVariant(editor.state(), chosenVariant);
    if (editor.state().demoMode) {
        end.layoutCode = DescribeVariant(variant).layoutCode;
        editor.setVersion(DescribeVariant(variant).demoVersion);
    } else if (editor.state().versionByte == 0) {
        end.layoutCode = TakeChosenVariant(editor, variant);
    } else if (!HasFactoryConfiguration(variant)) {
        Refuse(editor, kDefaultsFailedText, UnknownVersionText(editor));
        return end;
    }
    const ConfigBlocks factory = FactoryConfiguration(variant);
    Block settings = FactorySettingsCopy(variant, editor.state().versionByte);
    image.factorySettings = settings;
    PutCodes(editor, factory.codes);
    if (DescribeVariant(variant).factoryCodesAfterReplace) image.factoryCodesCopy = factory.codes;
    DecodeSettingsImage(editor, image, settings);
    editor.setStatus(0, std::string(kDefaultsLoadedText));
    end.loaded = true;
    return end;
}

FileDialogRequest SaveConfigurationDialog() {
    return CommandDialog(FileDialogKind::SaveConfiguration, "Записать в файл");
}

FileDialogRequest LoadConfigurationDialog() {
    return CommandDialog(FileDialogKind::LoadConfiguration, "Считать файл");
}

int32_t StartDemo(K740Editor& editor, CodecMemory& image, int chosenVariant) {
    const int variant = DescribeVariant(chosenVariant).demoShows;
    editor.setStatus(1, DemoStatusText(variant));
    editor.model().setEnabled(kPages, true);
    (void)ApplyVariantLayout(editor, variant, 0, true);
    const int32_t layoutCode =
        LoadFactoryDefaults(editor, image, chosenVariant).layoutCode.value_or(Layout::Wide);
    // There is no link to break in a demo.
    editor.model().setEnabled(fields::CancelButton, false);
    return layoutCode;
}

SaveCommandEnd SaveConfiguration(K740Editor& editor, CodecMemory& image, int chosenVariant) {
    const int variant = ShownVariant(editor.state(), chosenVariant);
    SaveCommandEnd end;
    if (editor.state().demoMode) end.layoutCode = DescribeVariant(variant).layoutCode;
    if (editor.state().versionByte == 0) {
        // Connected before any panel was identified, and not given the defaults: there is no
        // configuration to save yet.
        Refuse(editor, kFileSaveFailedText, kNothingToSave);
        return end;
    }
    if (!RunChecksBeforeSave(editor, image)) {
        editor.setStatus(0, std::string(kFileSaveFailedText));
        return end;
    }
    const auto path = editor.prompts().saveFile(SaveConfigurationDialog());
    if (!path) return end;
    // The panel may have been identified while the dialog was up, as another variant than the
    // one the editor was laid out for: what it shows would be saved under the wrong layout.
    if (ShownVariant(editor.state(), chosenVariant) != variant) {
        Refuse(editor, kFileSaveFailedText, kPanelIdentifiedMeanwhile);
        return end;
    }
    end.written = SaveConfigurationTo(editor, image, variant, *path);
    return end;
}

Result<ConfigBlocks> BuildConfigImage(K740Editor& editor, CodecMemory& image, int variant) {
    if (!HasFactoryConfiguration(variant)) return Fail(UnknownVersionText(editor));
    auto settings = EncodeSettingsImage(editor, image);
    if (!settings) return settings.failure();
    return FileOfVariant(variant, std::move(*settings), EncodeCodesImage(editor, image));
}

bool SaveConfigurationTo(K740Editor& editor, CodecMemory& image, int variant,
                         const std::string& path) {
    auto built = BuildConfigImage(editor, image, variant);
    if (!built) {
        Refuse(editor, kFileSaveFailedText, built.error());
        return false;
    }
    if (auto written = WriteConfigFile(path, *built); !written) {
        Refuse(editor, kFileSaveFailedText, written.error());
        return false;
    }
    editor.setStatus(0, std::string(kFileSavedText));
    return true;
}

bool LoadConfiguration(K740Editor& editor, CodecMemory& image, int chosenVariant) {
    ShowFirstPage(editor.model());
    const auto path = editor.prompts().openFile(LoadConfigurationDialog());
    if (!path) return false;
    return LoadConfigurationFrom(editor, image, chosenVariant, *path);
}

bool LoadConfigurationFrom(K740Editor& editor, CodecMemory& image, int chosenVariant,
                           const std::string& path) {
    auto text = ReadConfigText(path);
    if (!text) {
        Refuse(editor, kFileLoadFailedText, text.error());
        return false;
    }
    return LoadConfigurationText(editor, image, chosenVariant, *text);
}

bool LoadConfigurationText(K740Editor& editor, CodecMemory& image, int chosenVariant,
                           std::string_view text) {
    // A file of another variant is named as such, whatever else is wrong with it further down.
    const int expected = editor.state().demoMode ? DescribeVariant(chosenVariant).demoShows : chosenVariant;
    const auto version = ConfigFileVersion(text);
    if (version && VariantOfVersion(*version) != expected) {
        Refuse(editor, kFileLoadFailedText, std::string(kWrongFileVersionText));
        return false;
    }
    auto parsed = ParseConfigFile(text);
    if (!parsed) {
        Refuse(editor, kFileLoadFailedText, parsed.error());
        return false;
    }
    const ConfigBlocks& file = *parsed;
    const Block settings = FileSettings(file, image);
    PutCodes(editor, file.codes);
    DecodeSettingsImage(editor, image, settings);
    editor.setStatus(0, std::string(kFileLoadedText));
    return true;
}

}  // namespace kerma
