#include "safety_net.h"

#include "editor_files.h"
#include "write_check.h"

namespace kerma {
namespace {


int VersionOf(const Block& settings) {
    return VersionOfBlock(settings);
}

}  // namespace

SafetyNet::SafetyNet(K740Editor& editor, CodecMemory& image) : editor_(editor), image_(image) {}

Result<std::string> SafetyNet::keep(const ConfigBlocks& image, int versionByte, BackupKind kind) {
    return BackupStore(folder()).keep(image, versionByte, kind, now());
}

void SafetyNet::warnInStatus(const std::string& reason) {
    editor_.setStatus(0, editor_.status(0) + "  Резервная копия не сохранена: " + reason);
}

void SafetyNet::showKept(const Result<std::string>& kept, BackupKind kind) {
    if (kept)
        editor_.model().setHint(kStatusPanel1,
                                "Резервная копия (" + BackupKindText(kind) + "): " + *kept);
}

void SafetyNet::connectionChanged() {
    panelHolds_.reset();
    toCheck_.reset();
    writeWarning_.clear();
}

void SafetyNet::configurationRead(const Block& settings, const Block& codes) {
    const int version = editor_.state().versionByte;
    // The file a save would write; blocks the editor cannot save (an engineer password that is
    // not four digits) are kept as the panel sent them.
    auto saved = BuildConfigImage(editor_, image_, VariantOfVersion(version));
    ConfigBlocks file = saved ? std::move(*saved) : FileOfBlocks(settings, codes);
    const auto kept = keep(file, version, BackupKind::Read);
    if (!kept) warnInStatus(kept.error());
    showKept(kept, BackupKind::Read);
    panelHolds_ = std::move(file);
    panelVersion_ = version;
    markClean();
    if (!toCheck_) return;
    const WriteCheck check =
        CheckWrite(toCheck_->first, toCheck_->second, settings, codes, panelVersion_);
    toCheck_.reset();
    editor_.prompts().notice(WriteCheckNotice(check));
}

void SafetyNet::beforeWrite(const Block& settings, const Block& codes) {
    sentSettings_ = settings;
    sentCodes_ = codes;
    // A write that fails part-way leaves nothing certain to check a read against.
    toCheck_.reset();
    writeWarning_.clear();
    beforeWriteBackup_.clear();
    if (!panelHolds_) return;
    const auto kept = keep(*panelHolds_, panelVersion_, BackupKind::BeforeWrite);
    if (!kept) writeWarning_ = kept.error();
    if (kept) beforeWriteBackup_ = *kept;
    showKept(kept, BackupKind::BeforeWrite);
}

void SafetyNet::written() {
    panelHolds_ = FileOfBlocks(sentSettings_, sentCodes_);
    panelVersion_ = VersionOf(sentSettings_);
    toCheck_.emplace(sentSettings_, sentCodes_);
    markClean();
    if (!writeWarning_.empty()) warnInStatus(writeWarning_);
    writeWarning_.clear();
}

// The replacement goes on whatever happens here: the user has agreed to it, and the panel's
// blocks were read.
void SafetyNet::beforeFirmware(const Block& settings, const Block& codes) {
    const auto kept =
        keep(FileOfBlocks(settings, codes), VersionOf(settings), BackupKind::BeforeFirmware);
    if (!kept)
        editor_.prompts().notice(
            "Резервная копия конфигурации прибора перед сменой прошивки не "
            "сохранена: " +
            kept.error());
    showKept(kept, BackupKind::BeforeFirmware);
}

void SafetyNet::markClean() {
    clean_ = EditorFieldValues(editor_, editor_.state().layoutVariant);
}

bool SafetyNet::hasUnsavedEdits() const {
    return clean_ && *clean_ != EditorFieldValues(editor_, editor_.state().layoutVariant);
}

bool SafetyNet::mayDropEdits(const std::function<bool()>& save) {
    if (!hasUnsavedEdits()) return true;
    switch (editor_.prompts().questionWithCancel(kUnsavedEditsQuestion, kUnsavedEditsCaption)) {
        case Answer::Yes:
            return save();
        case Answer::No:
            return true;
        case Answer::Cancel:
            break;
    }
    return false;
}

}  // namespace kerma
