#include "editor_link.h"

#include <algorithm>
#include <utility>

#include "codes_image.h"
#include "editor_session.h"
#include "factory_defaults.h"
#include "fields/partition_fields.h"
#include "fields/window_fields.h"
#include "firmware_file.h"
#include "outcome_text.h"
#include "settings_image.h"
#include "variant_layout.h"

namespace kerma {
namespace {

constexpr std::string_view kFirstPage = fields::TabSheetRazdel;
constexpr const char* kReplaceCaption = "Подтверждение";
constexpr const char* kReadBeforeReplaceFailed =
    "Конфигурацию прибора перед сменой прошивки считать не удалось. Прошивка не заменена: "
    "разорвите связь и установите её снова.";

// Bytes a frame of L payload bytes takes: two lead bytes, the payload, the CRC.
int FrameBytes(int length) {
    return length + 3;
}

// Outcomes after which no exchange of the chain follows.
bool EndsChain(int32_t code) {
    switch (code) {
        case LinkResult::NoAnswer:
        case LinkResult::WrongType:
        case LinkResult::HandshakeCrc:
        case LinkResult::BlockFailed:
        case LinkResult::Stopped:
            return true;
        default:
            return false;
    }
}

}  // namespace

EditorLink::EditorLink(EditorSession& session)
    : session_(session), editor_(session.editor()), driver_(session.driver()) {}

std::string EditorLink::onlineText() const {
    return "Режим <on-line>. На линии прибор версии v " + editor_.state().versionText + ".";
}

// --- Link buttons ----------------------------------------------------------------------------

// Read and write wait for the identification or the chain that follows a connect.
void EditorLink::setLinkButtons(bool connected) {
    if (!session_.window().editorOpen()) return;
    auto& m = editor_.model();
    m.setEnabled(fields::ReadButton, false);
    m.setEnabled(fields::WriteButton, false);
    m.setEnabled(fields::ConnectButton, !connected);
    m.setEnabled(fields::CancelButton, connected);
}

// --- Chains --------------------------------------------------------------------------------

// A file or the defaults loaded while a chain runs would put into the editor what the panel does
// not hold, and a write would go on sending the blocks built before.
void EditorLink::setFileCommands(bool enabled) {
    auto& m = editor_.model();
    m.setEnabled(fields::DefaultButton, enabled);
    m.setEnabled(fields::LoadButton, enabled);
}

void EditorLink::chainStarted(Chain chain) {
    chain_ = chain;
    codesSent_ = false;
    setFileCommands(false);
}

// Every way a chain ends comes here once. A write that ends once its codes frame was on the line
// and before the settings block was taken may have left the panel with codes and settings that
// do not belong together, and the user must hear it: a refusal that came over a noisy line is no
// proof the panel kept its old codes.
void EditorLink::chainEnded() {
    if (chain_ == Chain::None) return;
    const bool cut = writeCut();
    chain_ = Chain::None;
    codesSent_ = false;
    setFileCommands(true);
    if (cut) tellWriteCut();
}

bool EditorLink::writeCut() const {
    return chain_ == Chain::Write && codesSent_;
}

void EditorLink::tellWriteCut() {
    editor_.prompts().notice(WriteCutText(session_.safety().beforeWriteBackup()));
}

void EditorLink::breakOffWrite() {
    driver_.stopCurrent();
    chainEnded();
}

void EditorLink::enableReadWrite(bool pages) {
    auto& m = editor_.model();
    m.setEnabled(fields::ReadButton, true);
    m.setEnabled(fields::WriteButton, true);
    if (pages) m.setEnabled(fields::PageControl, true);
}

// --- Commands --------------------------------------------------------------------------------

void EditorLink::beginChain(const char* what) {
    auto& m = editor_.model();
    m.setEnabled(fields::ReadButton, false);
    m.setEnabled(fields::WriteButton, false);
    editor_.setStatus(0, editor_.state().deviceCaption + what);
    editor_.setStatus(1, onlineText());
    m.setActivePage(fields::PageControl, kFirstPage);
    m.setEnabled(fields::PageControl, false);
}

void EditorLink::startChain(LinkStep first) {
    const int32_t layout = driver_.state().layoutCode;
    chainDone_ = 0;
    chainTotal_ = FrameBytes(CodesLength(layout)) + FrameBytes(SettingsLength(layout));
    showChainProgress(0, chainTotal_);
    driver_.start(std::move(first));
}

void EditorLink::endChainProgress() {
    chainTotal_ = 0;
    showChainProgress(0, 0);
}

void EditorLink::readCommand() {
    driver_.state().identifyPending = false;
    chainStarted(Chain::Read);
    beginChain("  Чтение конфигурации из прибора...");
    startChain(Step(LinkOperation::ReadCodes));
}

void EditorLink::writeCommand() {
    CodecMemory& image = session_.image();
    if (!ChecksBeforeWrite(editor_, image)) {
        chainEnded();  // the write after a firmware replacement ends the connect chain here
        return;
    }
    // Both blocks are built before the first byte goes out: a settings block that cannot be
    // built must not be found out after the codes block is already in the panel.
    Block codes = EncodeCodesImage(editor_, image);
    Result<Block> settings = EncodeSettingsImage(editor_, image);
    if (!settings) {
        chainEnded();
        editor_.prompts().notice(settings.error());
        return;
    }
    session_.safety().beforeWrite(*settings, codes);
    chainStarted(Chain::Write);
    beginChain("  Запись конфигурации в прибор...");
    startChain(WriteChain(std::move(codes), std::move(*settings)));
}

void EditorLink::disconnectCommand() {
    replaceAfterRead_ = 0;
    editor_.model().setEnabled(fields::PageControl, false);
    driver_.stopCurrent();
    setLinkButtons(false);
    driver_.closePort();
    endChainProgress();
    editor_.setStatus(0, "Нет связи с прибором");
    editor_.setStatus(1, "Режим <on-line>.");
    chainEnded();
}

// The adapter was pulled out: the link is broken as "Разорвать связь" breaks it, so the window
// behind the message already shows it down, and the user hears why, then of a write it cut.
void EditorLink::portGone() {
    const bool cut = writeCut();
    codesSent_ = false;  // told below, after the port
    disconnectCommand();
    editor_.prompts().notice(PortGoneText(session_.window().portName()));
    if (cut) tellWriteCut();
}

// A port that does not open leaves the link down: the buttons keep offering "Установить связь".
void EditorLink::connectCommand() {
    replaceAfterRead_ = 0;
    driver_.state().identifyPending = true;
    if (session_.window().openAndHandshake()) linkOpened();
}

void EditorLink::linkOpened() {
    setLinkButtons(true);
    chainStarted(Chain::Connect);
}

// --- Outcomes --------------------------------------------------------------------------------

void EditorLink::outcome(const LinkOutcome& outcome) {
    const int32_t code = outcome.code;
    if (replaceAfterRead_ != 0) endReadBeforeReplace(code);
    auto& prompts = editor_.prompts();
    const std::string& caption = editor_.state().deviceCaption;
    const std::string text = OutcomeText(outcome, driver_.state().panelTypeCode);
    switch (code) {
        case LinkResult::NoAnswer:
            prompts.notice(text);
            editor_.setStatus(0, OutcomeText(code));
            setLinkButtons(false);
            break;
        case LinkResult::WrongType:
            prompts.notice(text);
            session_.window().closeEditor();
            break;
        case LinkResult::HandshakeCrc:
            // The attempt counter must not stand on the bar as if the handshake still ran.
            editor_.setStatus(0, text);
            prompts.notice(text);
            break;
        case LinkResult::PortFailed:
            portGone();
            break;
        case LinkResult::BlockFailed:
        case LinkResult::TimeOut:
        case LinkResult::FirmwareLoaded:
        case LinkResult::Stopped:
        case LinkResult::Linked:
        case LinkResult::LineBusy:
            editor_.setStatus(0, text);
            break;
        case LinkResult::Attempt:
            editor_.setStatus(0, AttemptText(outcome.attempt));
            break;
        case LinkResult::Written:
            codesSent_ = false;  // both blocks are in: the write is whole
            editor_.setStatus(0, caption + "  Запись конфигурации завершена");
            editor_.setStatus(1, onlineText());
            break;
        case LinkResult::Read:
            editor_.setStatus(0, caption + "  Чтение конфигурации завершено");
            editor_.model().setCaption(fields::VersionLabel,
                                       "Версия ПО прибора: " + editor_.state().versionText);
            editor_.setStatus(1, onlineText());
            break;
        default:
            break;
    }
    if (code == LinkResult::BlockFailed || code == LinkResult::NoAnswer) endChainProgress();
    if (EndsChain(code)) chainEnded();
    if (code == LinkResult::Written) session_.safety().written();
}

void EditorLink::progress(LinkOperation op, int done, int total) {
    if (op == LinkOperation::FirmwareUpload) {
        if (total > 0) session_.firmware().progress(done * 100 / total);
        return;
    }
    if (chainTotal_ <= 0) return;
    showChainProgress(std::min(chainDone_ + done, chainTotal_), chainTotal_);
    if (done == total) chainDone_ += total;
}

// The end of a read reaches the editor in one call: the status saying the read is done, the
// buttons and the decoded blocks together, so no stale editor is ever shown as read.
void EditorLink::configurationRead(Block settings, Block codes) {
    endChainProgress();
    if (replaceAfterRead_ != 0) {
        const int variant = std::exchange(replaceAfterRead_, 0);
        chainEnded();
        session_.safety().beforeFirmware(settings, codes);
        session_.firmware().start(variant);
        return;
    }
    outcome({LinkResult::Read});
    enableReadWrite(false);
    chainEnded();
    Block& held = editor_.state().codesImage;
    held.assign(static_cast<size_t>(kCodesCells), 0);
    std::copy_n(codes.begin(), std::min(codes.size(), held.size()), held.begin());
    DecodeSettingsImage(editor_, session_.image(), settings);
    session_.safety().configurationRead(settings, codes);
}

void EditorLink::codesFrameSent() {
    if (chain_ == Chain::Write) codesSent_ = true;
}

void EditorLink::codesFrameRefused() {
    codesSent_ = false;
}

void EditorLink::configurationWritten() {
    outcome({LinkResult::Written});
    enableReadWrite(true);
    endChainProgress();
    chainEnded();
    auto& state = editor_.state();
    if (state.defaultsAfterReplace) {
        // The defaults are in the panel; from here on the variant's regular blocks.
        state.defaultsAfterReplace = false;
        driver_.state().layoutCode = DescribeVariant(VariantOfVersion(state.versionByte)).layoutCode;
    }
}

// The dialog goes first; a refusal is the replacement's to report, a yes has the link made anew.
void EditorLink::uploadReady() {
    session_.firmware().uploadReady();
}

void EditorLink::uploadEnded(bool accepted) {
    session_.firmware().uploadFinished(accepted);
    outcome(accepted ? LinkOutcome{LinkResult::FirmwareLoaded}
                     : LinkOutcome{LinkResult::BlockFailed, 0, LinkCause::UploadRefused});
    if (accepted) session_.firmware().reconnectRequested();
}

// --- Identification --------------------------------------------------------------------------

void EditorLink::identified(Block block) {
    auto& link = driver_.state();
    link.layoutCode = Layout::Identify;
    const int v = VersionOfBlock(block);
    const VersionInfo version = DecodeVersion(v);
    editor_.setVersion(v);
    const int chosen = session_.window().chosenVariant();
    if (version.major != chosen) {
        const std::string text = "ПО прибора " + editor_.state().deviceCaption +
                                 " не соответсвует выбранному вами типу системы. Провести смену ПО "
                                 "прибора? Это процедура займет примерно 10 минут.";
        if (editor_.prompts().question(text, kReplaceCaption)) {
            replaceFirmware(v, chosen);
        } else {
            chainEnded();
            session_.window().closeEditor();
        }
        return;
    }
    link.identifyPending = false;
    acceptPanel(version, chosen);
}

// The panel is read first only when the replacement will go ahead: a firmware file is there and
// the panel's own variant is one whose blocks are known.
bool EditorLink::readBeforeReplace(int panelVariant, int newVariant) const {
    return HasFactoryConfiguration(panelVariant) &&
           FindFirmware(newVariant, driver_.state().panelTypeCode, session_.firmwareFolder()).ok();
}

void EditorLink::showChainProgress(int done, int total) {
    session_.window().showTransferProgress(total > 0 ? done * 100 / total : -1);
}

// New firmware erases the panel's configuration: the panel is read with its present firmware's
// layout first, and the replacement starts when that read ends.
void EditorLink::replaceFirmware(int versionByte, int variant) {
    const int panelVariant = VariantOfVersion(versionByte);
    if (!readBeforeReplace(panelVariant, variant)) {
        chainEnded();  // the replacement guards its own steps from here
        session_.firmware().start(variant);
        return;
    }
    replaceAfterRead_ = variant;
    auto& link = driver_.state();
    link.identifyPending = false;
    link.layoutCode = DescribeVariant(panelVariant).layoutCode;
    editor_.setStatus(0, editor_.state().deviceCaption +
                             "  Чтение конфигурации прибора перед сменой прошивки...");
    startChain(Step(LinkOperation::ReadCodes));
}

// Outcomes of that read. Its end is no read of the user's. A panel that cannot be read over this
// line gets no firmware over it either: nothing is erased, and the user starts anew.
void EditorLink::endReadBeforeReplace(int32_t code) {
    if (code == LinkResult::BlockFailed) {
        replaceAfterRead_ = 0;
        editor_.prompts().notice(kReadBeforeReplaceFailed);
    }
}

// The layout is applied before the chain starts, so the worker never reads a LayoutCode that the
// UI thread is about to change.
void EditorLink::acceptPanel(const VersionInfo& version, int variant) {
    auto& link = driver_.state();
    auto& state = editor_.state();
    const auto regular = ApplyVariantLayout(editor_, variant, version.minor, false);
    if (link.firmwareReplaced) {
        state.firmwareReplaced = false;
        link.firmwareReplaced = false;
        link.layoutCode = DescribeVariant(variant).layoutAfterReplace;
        session_.defaultsAfterReplace(variant);
        state.defaultsAfterReplace = true;
        writeCommand();
        return;
    }
    link.layoutCode = regular.value_or(DescribeVariant(variant).layoutCode);
    editor_.setStatus(0, state.deviceCaption + "    Идет чтение конфигурации ... . ");
    editor_.model().setCaption(fields::VersionLabel, "Версия ПО прибора: " + version.text);
    editor_.setStatus(1, onlineText());
    startChain(Step(LinkOperation::ReadCodes));
}

}  // namespace kerma
