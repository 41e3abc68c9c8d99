#pragma once
// A Kerma-740 panel as seen from the serial line: fed one received byte at a time, it hands back
// the bytes it sends (the echo of that byte first, then any answer). No time, no I/O: the caller
// tells it about pauses on the line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "panel_variant.h"

namespace kerma {

// Misbehaviour the panel can be told to show, so the program's failure paths can be driven.
struct PanelFaults {
    bool silent = false;       // sends nothing at all, not even the echo
    bool badCrc = false;       // the CRC of every handshake answer and data frame it sends is wrong
    bool refuseWrite = false;  // answers status 0x01 to every block write; memory stays as it was
    bool refuseUpload = false;  // answers status 0x01 to a firmware upload; version stays
    bool notReady = false;      // never sends the ready byte after a command frame
    int dropByte = -1;  // leaves out this byte (0-based) of each data frame it sends; -1: none
    // Falls silent for good once it has taken this many bytes of a firmware upload (echoed); -1:
    // never. The upload's whole length makes a panel that takes it all and never sends a status.
    int uploadSilentAfter = -1;
    // Accepts every settings write but stores one byte of it wrong (kCorruptedCell, one higher),
    // as a panel with a failing memory cell would.
    bool corruptWrite = false;
    std::optional<uint8_t> typeOverride;  // type byte answered instead of the panel's own
    // Line faults. Echoes every byte and answers nothing (another device on the line).
    bool mute = false;
    // Holds the status of every block write back this long (a slow panel or adapter).
    int statusDelayMs = 0;
    // Stores the first codes block written to it, then loses power: never a status, never a
    // byte again.
    bool powerLossAfterCodes = false;
    // Puts one stray byte on the line after the echo of this byte (0-based) of every data frame
    // written to it; what it stores is what it was sent. -1: never.
    int strayEchoAfter = -1;
    // Takes two payload bytes of every data frame written to it garbled so that the CRC still
    // holds, and echoes and stores them so, as a noisy line could.
    bool garbleWrite = false;
    // Drops the line once it has taken this many bytes, as a USB adapter pulled out. -1: never.
    int hangUpAfter = -1;
};

class VirtualPanel {
  public:
    // Room for the largest block a layout byte can ask for: 8 x 256 settings, 32 x 256 codes.
    static constexpr size_t kSettingsSize = 8 * 256;
    static constexpr size_t kCodesSize = 32 * 256;
    static constexpr size_t kCorruptedCell = 8;
    static constexpr uint8_t kDefaultType = 9;
    static constexpr uint8_t kDefaultVersion = 18;
    // A quiet line for this long abandons any half-received frame or awaited verdict. Longer than
    // the program's own longest pause inside an exchange (2 s before the handshake answer).
    static constexpr int kResyncPauseMs = 5000;

    explicit VirtualPanel(uint8_t type = kDefaultType, uint8_t version = kDefaultVersion);

    // One byte from the line; returns what the panel sends in reply, echo first.
    std::vector<uint8_t> receive(uint8_t byte);
    // The line has been quiet for ms since its last byte in either direction.
    void lineQuiet(int ms);
    // Forget any half frame, as after a long pause.
    void resetLine();

    PanelFaults& faults() { return faults_; }
    const PanelFaults& faults() const { return faults_; }

    uint8_t type() const { return type_; }
    uint8_t version() const { return settings_[kVersionCell]; }
    void setVersion(uint8_t version) { settings_[kVersionCell] = version; }

    std::vector<uint8_t>& settings() { return settings_; }
    const std::vector<uint8_t>& settings() const { return settings_; }
    std::vector<uint8_t>& codes() { return codes_; }
    const std::vector<uint8_t>& codes() const { return codes_; }

    // Counters of what the panel took over, so a host can react (save, log) after a byte.
    int acceptedWrites() const { return acceptedWrites_; }
    int acceptedUploads() const { return acceptedUploads_; }
    // The bytes of the last firmware upload received in full, accepted or not.
    const std::vector<uint8_t>& lastUpload() const { return lastUpload_; }

    // What an accepted upload does: the version byte of the new firmware, and a memory laid out
    // for its variant holding that variant's factory configuration.
    void installFirmware(uint8_t version);

    // The last byte of the latest answer is to reach the line only this long after the rest.
    int holdLastMs() const { return holdLastMs_; }
    // The line has been dropped (hangUpAfter): whoever serves the panel closes it.
    bool hungUp() const {
        return faults_.hangUpAfter >= 0 &&
               received_.size() >= static_cast<size_t>(faults_.hangUpAfter);
    }
    // The two payload bytes garbleWrite changes, and how (the second keeps the CRC as it was).
    static constexpr size_t kGarbledByte = 4;
    static constexpr uint8_t kGarbleMask = 0x01;

    // Every byte received and every byte sent, in order, for tests.
    const std::vector<uint8_t>& received() const { return received_; }
    const std::vector<uint8_t>& sent() const { return sent_; }
    void clearRecord();

  private:
    enum class State {
        Idle,
        Header,            // 55 seen: handshake request or command frame
        HandshakeVerdict,  // answer sent, one verdict byte to take
        UploadVerdict,     // same, after the upload handshake: 0x00 opens the upload
        ReadVerdict,       // data frame sent, one verdict byte to take
        WriteData,         // taking a data frame of writeLength_ bytes
        Upload,            // taking a firmware upload
    };

    void step(uint8_t byte, std::vector<uint8_t>& out);
    void stepHeader(uint8_t byte, std::vector<uint8_t>& out);
    void stepVerdict(uint8_t byte, std::vector<uint8_t>& out);
    void stepWriteData(uint8_t byte, std::vector<uint8_t>& out);
    // What a noisy line makes of a written data frame's byte on its way in, and on its way out.
    uint8_t garbled(uint8_t byte) const;
    void strayEcho(std::vector<uint8_t>& out) const;
    void storeWrite(std::vector<uint8_t>& out);
    void stepUpload(uint8_t byte, std::vector<uint8_t>& out);
    void resync(std::vector<uint8_t>& out);
    void answerHandshake(bool upload, std::vector<uint8_t>& out);
    void serveCommand(std::vector<uint8_t>& out);
    void sendDataFrame(const std::vector<uint8_t>& memory, size_t length,
                       std::vector<uint8_t>& out);
    uint8_t sentCrc(uint8_t crc) const;
    // The panel has taken as much of an upload as it was told to before falling silent.
    bool uploadCutOff(size_t taken) const;

    uint8_t type_;
    PanelFaults faults_;
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> codes_;

    State state_ = State::Idle;
    bool dead_ = false;           // fell silent (an upload cut off, power lost); stays so
    int holdLastMs_ = 0;
    std::vector<uint8_t> frame_;  // bytes of the frame being received
    uint8_t writeOp_ = 0;
    size_t writeLength_ = 0;

    int acceptedWrites_ = 0;
    int acceptedUploads_ = 0;
    std::vector<uint8_t> lastUpload_;
    std::vector<uint8_t> received_;
    std::vector<uint8_t> sent_;
};

}  // namespace kerma
