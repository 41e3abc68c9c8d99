#include "virtual_panel.h"

#include <algorithm>
#include <span>

#include "crc8.h"
#include "link_types.h"
#include "panel_wire.h"
#include "panel_memory.h"

namespace kerma {
namespace {

using wire::kDataLead;
using wire::kSync;
constexpr size_t kHeaderLength = 4;  // of a handshake or command frame

constexpr uint8_t Op(LinkOperation op) {
    return static_cast<uint8_t>(op);
}

bool IsCommand(uint8_t op) {
    return op >= Op(LinkOperation::ReadSettings) && op <= Op(LinkOperation::WriteCodes);
}

bool IsHandshakeByte(uint8_t b) {
    return b == wire::kHandshake || b == wire::kUploadHandshake;
}

}  // namespace

VirtualPanel::VirtualPanel(uint8_t type, uint8_t version)
    : type_(type), settings_(kSettingsSize, 0), codes_(kCodesSize, 0) {
    setVersion(version);
}

std::vector<uint8_t> VirtualPanel::receive(uint8_t byte) {
    received_.push_back(byte);
    holdLastMs_ = 0;
    if (state_ == State::Upload && uploadCutOff(frame_.size())) dead_ = true;
    if (faults_.silent || dead_) return {};
    const uint8_t taken = garbled(byte);
    std::vector<uint8_t> out{taken};
    if (!faults_.mute) step(taken, out);
    sent_.insert(sent_.end(), out.begin(), out.end());
    return out;
}

// Two bytes changed so that the CRC of the frame stays as it was: the second undoes in the CRC
// register what the first did.
uint8_t VirtualPanel::garbled(uint8_t byte) const {
    if (!faults_.garbleWrite || state_ != State::WriteData) return byte;
    if (frame_.size() == kGarbledByte) return byte ^ kGarbleMask;
    if (frame_.size() == kGarbledByte + 1) return byte ^ Crc8Update(0, kGarbleMask);
    return byte;
}

void VirtualPanel::strayEcho(std::vector<uint8_t>& out) const {
    constexpr uint8_t kStray = 0x5A;
    if (faults_.strayEchoAfter >= 0 && frame_.size() == static_cast<size_t>(faults_.strayEchoAfter) + 1)
        out.push_back(kStray);
}

void VirtualPanel::lineQuiet(int ms) {
    if (ms >= kResyncPauseMs) resetLine();
}

void VirtualPanel::resetLine() {
    state_ = State::Idle;
    frame_.clear();
}

void VirtualPanel::clearRecord() {
    received_.clear();
    sent_.clear();
}

void VirtualPanel::step(uint8_t byte, std::vector<uint8_t>& out) {
    switch (state_) {
        case State::Idle:
            if (byte == kSync) {
                frame_.assign(1, byte);
                state_ = State::Header;
            }
            break;
        case State::Header:
            stepHeader(byte, out);
            break;
        case State::HandshakeVerdict:
        case State::UploadVerdict:
        case State::ReadVerdict:
            stepVerdict(byte, out);
            break;
        case State::WriteData:
            stepWriteData(byte, out);
            break;
        case State::Upload:
            stepUpload(byte, out);
            break;
    }
}

// 55 55 AA AA, 55 55 A0 AA and 55 LL op crc share their first byte, and LL may itself be 0x55,
// so the kind of frame is known only from the third byte.
void VirtualPanel::stepHeader(uint8_t byte, std::vector<uint8_t>& out) {
    frame_.push_back(byte);
    if (frame_.size() == 3) {
        bool handshake = frame_[1] == kSync && IsHandshakeByte(byte);
        if (!handshake && !IsCommand(byte)) resync(out);
        return;
    }
    if (frame_.size() < kHeaderLength) return;
    if (IsHandshakeByte(frame_[2])) {
        if (byte == wire::kHandshake) {
            answerHandshake(frame_[2] == wire::kUploadHandshake, out);
        } else {
            resync(out);
        }
        return;
    }
    if (byte == Crc8(std::span(frame_.data(), 3))) {
        serveCommand(out);
    } else {
        resync(out);
    }
}

// Not a frame after all: look for the next 55 among the bytes already taken.
void VirtualPanel::resync(std::vector<uint8_t>& out) {
    std::vector<uint8_t> rest(frame_.begin() + 1, frame_.end());
    resetLine();
    for (uint8_t b : rest) step(b, out);
}

// Any byte ends the wait for a verdict; a 55 is no verdict but the start of the next frame.
void VirtualPanel::stepVerdict(uint8_t byte, std::vector<uint8_t>& out) {
    State was = state_;
    resetLine();
    if (byte == kSync) {
        step(byte, out);
        return;
    }
    if (was == State::UploadVerdict && byte == wire::kOk) state_ = State::Upload;
}

void VirtualPanel::answerHandshake(bool upload, std::vector<uint8_t>& out) {
    std::vector<uint8_t> answer{kSync, kSync, faults_.typeOverride.value_or(type_)};
    answer.push_back(sentCrc(Crc8(answer)));
    out.insert(out.end(), answer.begin(), answer.end());
    frame_.clear();
    state_ = upload ? State::UploadVerdict : State::HandshakeVerdict;
}

void VirtualPanel::serveCommand(std::vector<uint8_t>& out) {
    uint8_t layout = frame_[1];
    uint8_t op = frame_[2];
    resetLine();
    if (faults_.notReady) return;
    out.push_back(wire::kOk);
    switch (static_cast<LinkOperation>(op)) {
        case LinkOperation::ReadSettings:
            sendDataFrame(settings_, SettingsLength(layout), out);
            state_ = State::ReadVerdict;
            break;
        case LinkOperation::ReadCodes:
            sendDataFrame(codes_, CodesLength(layout), out);
            state_ = State::ReadVerdict;
            break;
        case LinkOperation::WriteSettings:
        case LinkOperation::WriteCodes:
            writeOp_ = op;
            writeLength_ = op == Op(LinkOperation::WriteSettings) ? SettingsLength(layout)
                                                                  : CodesLength(layout);
            state_ = State::WriteData;
            break;
        default:
            break;
    }
}

void VirtualPanel::sendDataFrame(const std::vector<uint8_t>& memory, size_t length,
                                 std::vector<uint8_t>& out) {
    std::vector<uint8_t> frame{kDataLead, kDataLead};
    frame.insert(frame.end(), memory.begin(), memory.begin() + length);
    frame.push_back(sentCrc(Crc8(frame)));
    for (size_t i = 0; i < frame.size(); ++i) {
        if (static_cast<int>(i) != faults_.dropByte) out.push_back(frame[i]);
    }
}

// A write is refused unless its CRC is right; a frame that does not even start with AA AA is no
// data frame, and the panel goes looking for the next command instead of swallowing it.
void VirtualPanel::stepWriteData(uint8_t byte, std::vector<uint8_t>& out) {
    frame_.push_back(byte);
    if (frame_.size() <= 2 && byte != kDataLead) {
        resetLine();
        step(byte, out);
        return;
    }
    strayEcho(out);
    if (frame_.size() < writeLength_ + 3) return;
    bool good = Crc8(std::span(frame_.data(), writeLength_ + 2)) == frame_.back();
    if (good && !faults_.refuseWrite) {
        storeWrite(out);
    } else {
        out.push_back(wire::kRefused);
    }
    if (!dead_) holdLastMs_ = faults_.statusDelayMs;
    resetLine();
}

// The frame taken whole and right: into memory, and the status, unless the power goes first.
void VirtualPanel::storeWrite(std::vector<uint8_t>& out) {
    auto& memory = writeOp_ == Op(LinkOperation::WriteSettings) ? settings_ : codes_;
    uint8_t firmware = version();
    std::copy_n(frame_.begin() + 2, writeLength_, memory.begin());
    if (faults_.corruptWrite && writeOp_ == Op(LinkOperation::WriteSettings))
        ++memory[kCorruptedCell];
    // The version cell reports the firmware, which a settings write does not replace.
    setVersion(firmware);
    ++acceptedWrites_;
    if (faults_.powerLossAfterCodes && writeOp_ == Op(LinkOperation::WriteCodes)) {
        dead_ = true;
        return;
    }
    out.push_back(wire::kOk);
}

void VirtualPanel::stepUpload(uint8_t byte, std::vector<uint8_t>& out) {
    frame_.push_back(byte);
    if (frame_.size() < wire::kFirmwareLengthByte + 2) return;
    if (frame_.size() < wire::FirmwareUploadSize(frame_)) return;
    lastUpload_ = frame_;
    resetLine();
    if (uploadCutOff(lastUpload_.size())) {
        dead_ = true;
        return;
    }
    const uint8_t version = lastUpload_[wire::kFirmwareVersionByte];
    // Firmware whose version names no variant would leave the panel with nothing it can run.
    if (faults_.refuseUpload || !DescribeVariant(VariantOfVersion(version)).known()) {
        out.push_back(wire::kRefused);
        return;
    }
    installFirmware(version);
    ++acceptedUploads_;
    out.push_back(wire::kOk);
}

// New firmware brings the memory layout of its variant: what the old firmware kept means nothing
// to it, so the panel starts from its factory configuration.
void VirtualPanel::installFirmware(uint8_t version) {
    std::fill(settings_.begin(), settings_.end(), 0);
    std::fill(codes_.begin(), codes_.end(), 0);
    setVersion(version);
    LoadFactoryPanelMemory(*this);
}

bool VirtualPanel::uploadCutOff(size_t taken) const {
    return faults_.uploadSilentAfter >= 0 &&
           taken >= static_cast<size_t>(faults_.uploadSilentAfter);
}

uint8_t VirtualPanel::sentCrc(uint8_t crc) const {
    return faults_.badCrc ? static_cast<uint8_t>(~crc) : crc;
}

}  // namespace kerma
