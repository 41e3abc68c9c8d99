// Random firmware files into the base search and the upload. Input: one byte choosing the variant
// and the panel type, then the file's bytes, saved as the first file the search tries.
// A find is a crash, a sanitizer report, or one of these:
//  - a file taken that is not this variant's, or whose upload is not exactly the N + 7 bytes its
//    header names from the start of the file;
//  - a file shorter than its header says that is not refused with a message naming it;
//  - an upload of a taken file that sends other bytes than its upload.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "exchange.h"
#include "firmware_file.h"

namespace {

using namespace kerma;

void Check(bool rule) {
    if (!rule) std::abort();
}

// A panel that echoes every byte, takes the whole upload and confirms it.
class AcceptingPanel final : public ByteChannel {
  public:
    explicit AcceptingPanel(size_t uploadBytes) : uploadBytes_(uploadBytes) {}
    bool write(const uint8_t* bytes, size_t count) override {
        sent.insert(sent.end(), bytes, bytes + count);
        pending_.insert(pending_.end(), bytes, bytes + count);
        if (sent.size() == uploadBytes_) pending_.push_back(0x00);
        return true;
    }
    size_t read(uint8_t* bytes, size_t count) override {
        const size_t n = std::min(count, pending_.size());
        std::copy_n(pending_.begin(), n, bytes);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(n));
        return n;
    }
    void purgeReceive() override { pending_.clear(); }
    void purgeTransmit() override {}

    std::vector<uint8_t> sent;

  private:
    size_t uploadBytes_;
    std::vector<uint8_t> pending_;
};

class NoWait final : public Clock {
  public:
    void sleepMs(int) override {}
};

class UploadHost final : public LinkHost {
  public:
    void outcome(const LinkOutcome&) override {}
    void progress(LinkOperation, int, int) override {}
    void identified(Block) override {}
    void configurationRead(Block, Block) override {}
    void codesFrameSent() override {}
    void codesFrameRefused() override {}
    void configurationWritten() override {}
    void uploadReady() override {}
    void uploadEnded(bool accepted) override { loaded = loaded || accepted; }
    bool loaded = false;
};

void CheckUpload(const Block& upload) {
    AcceptingPanel panel(upload.size());
    NoWait clock;
    LinkState state;
    UploadHost host;
    std::atomic<bool> terminated{false};
    ExchangeContext ctx{panel, clock, state, [&host](const HostCall& call) { call(host); },
                        terminated};
    (void)RunExchange(LinkStep{LinkOperation::FirmwareUpload, upload, {}, {}}, ctx);
    Check(host.loaded && panel.sent.size() == upload.size());
    Check(std::equal(panel.sent.begin(), panel.sent.end(), upload.begin()));
}

const std::filesystem::path& Folder() {
    // One folder per process: parallel fuzzing jobs must not write over each other's file. In
    // memory where there is such a place: a file written per input costs more than the input.
    static const std::filesystem::path folder = [] {
        std::error_code error;
        const auto base = std::filesystem::is_directory("/dev/shm", error)
                              ? std::filesystem::path("/dev/shm")
                              : std::filesystem::temp_directory_path();
        auto path = base / ("kerma_firmware_fuzz_" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int variant = data[0] % 5 + 1;
    const int panelType = (data[0] & 0x80) ? 10 : 9;
    const std::span<const uint8_t> file(data + 1, size - 1);
    const std::string name = FirmwareCandidates(variant, panelType).front();
    {
        std::ofstream out(Folder() / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    const auto choice = FindFirmware(variant, panelType, Folder());
    std::filesystem::remove(Folder() / name);  // nothing of this input is left for the next

    const bool ownVariant = file.size() > 3 && VariantOfVersion(file[3]) == variant;
    const size_t wanted = file.size() >= 6 ? size_t{file[4]} * 256 + file[5] + 7 : SIZE_MAX;
    if (!ownVariant && file.size() > 3) {
        Check(!choice.ok() && choice.error() == kNoFirmwareMessage);
        return 0;
    }
    if (file.size() < wanted) {
        Check(!choice.ok());
        Check(choice.error().find(name) != std::string::npos);
        return 0;
    }
    Check(choice.ok() && choice->fileName == name && choice->upload.size() == wanted);
    Check(std::equal(choice->upload.begin(), choice->upload.end(), file.begin()));
    CheckUpload(choice->upload);
    return 0;
}
