#include "panel_options.h"

#include <charconv>
#include <functional>
#include <map>
#include <set>

namespace kerma {
namespace {

constexpr int kMaxBaud = 4'000'000;

using Args = std::vector<std::string>;

bool ParseInt(const std::string& text, int low, int high, int& value) {
    int parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return false;
    if (parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

// Options that take no value.
const std::map<std::string, std::function<void(PanelOptions&)>>& Flags() {
    static const std::map<std::string, std::function<void(PanelOptions&)>> flags{
        {"--silent", [](PanelOptions& o) { o.faults.silent = true; }},
        {"--bad-crc", [](PanelOptions& o) { o.faults.badCrc = true; }},
        {"--refuse-write", [](PanelOptions& o) { o.faults.refuseWrite = true; }},
        {"--refuse-upload", [](PanelOptions& o) { o.faults.refuseUpload = true; }},
        {"--not-ready", [](PanelOptions& o) { o.faults.notReady = true; }},
        {"--corrupt-write", [](PanelOptions& o) { o.faults.corruptWrite = true; }},
        {"--mute", [](PanelOptions& o) { o.faults.mute = true; }},
        {"--power-loss-after-codes", [](PanelOptions& o) { o.faults.powerLossAfterCodes = true; }},
        {"--garble-write", [](PanelOptions& o) { o.faults.garbleWrite = true; }},
        {"--help", [](PanelOptions& o) { o.help = true; }},
        {"-h", [](PanelOptions& o) { o.help = true; }},
    };
    return flags;
}

bool TakesValue(const std::string& name) {
    for (const char* known : {"--type", "--version", "--drop-byte", "--upload-silent-after",
                              "--status-delay", "--stray-echo-after", "--hang-up-after", "--baud",
                              "--memory", "--save", "--link"}) {
        if (name == known) return true;
    }
    return false;
}

// Applies an option that takes a value.
Result<void> ApplyValue(const std::string& name, const std::string& value, PanelOptions& o) {
    auto number = [&](int low, int high, int& target) -> Result<void> {
        if (ParseInt(value, low, high, target)) return {};
        return Fail(name + " wants a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high) + ", not \"" + value + "\"");
    };
    if (name == "--type") return number(0, 255, o.type);
    if (name == "--version") {
        o.versionGiven = true;
        return number(0, 255, o.version);
    }
    if (name == "--drop-byte") return number(0, 1 << 20, o.faults.dropByte);
    if (name == "--upload-silent-after") return number(0, 1 << 20, o.faults.uploadSilentAfter);
    if (name == "--status-delay") return number(0, 60000, o.faults.statusDelayMs);
    if (name == "--stray-echo-after") return number(0, 1 << 20, o.faults.strayEchoAfter);
    if (name == "--hang-up-after") return number(0, 1 << 30, o.faults.hangUpAfter);
    if (name == "--baud") return number(1, kMaxBaud, o.baud);
    std::string* path = name == "--memory" ? &o.memoryPath
                        : name == "--save" ? &o.savePath
                                           : &o.linkPath;
    if (value.empty()) return Fail(name + " wants a file name");
    *path = value;
    return {};
}

}  // namespace

Result<PanelOptions> ParsePanelOptions(const Args& args) {
    PanelOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        if (auto flag = Flags().find(name); flag != Flags().end()) {
            if (inlineValue) return Fail(name + " takes no value");
            flag->second(options);
            continue;
        }
        if (!TakesValue(name)) {
            if (name.rfind("-", 0) != 0) return Fail("unexpected argument \"" + name + "\"");
            return Fail("unknown option " + name);
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) return Fail(name + " wants a value");
            value = args[++i];
        }
        if (auto applied = ApplyValue(name, value, options); !applied) return applied.failure();
    }
    return options;
}

std::string PanelUsage() {
    return "Usage: kerma740-panel [options]\n"
           "Serves a virtual Kerma-740 panel on a pseudo-terminal and prints the terminal's path.\n"
           "\n"
           "  --link PATH        also make PATH a symbolic link to the terminal (removed on exit)\n"
           "  --type T           type byte of the handshake answer: 9 (default) or 10; any other\n"
           "                     value 0..255 makes a panel of a foreign type\n"
           "  --version V        firmware version byte 0..255 (default 18)\n"
           "  --memory FILE.cfg  start from a configuration file (its line 1 is the version byte)\n"
           "  --save FILE.cfg    write the memory to a configuration file after every accepted "
           "write\n"
           "  --baud B           send at B baud, 10 bits a byte (1200 for a real line; default: "
           "unpaced)\n"
           "Faults:\n"
           "  --silent           send nothing, not even the echo\n"
           "  --bad-crc          send a wrong CRC in handshake answers and data frames\n"
           "  --refuse-write     answer 0x01 to every block write\n"
           "  --refuse-upload    answer 0x01 to a firmware upload\n"
           "  --not-ready        never send the ready byte after a command\n"
           "  --corrupt-write    accept every settings write but store byte 8 of it one higher\n"
           "  --drop-byte N      leave out byte N (0-based) of every data frame sent\n"
           "  --upload-silent-after N\n"
           "                     fall silent for good after taking N bytes of a firmware upload\n"
           "                     (the image's length: take it all and never send the status)\n"
           "Line faults:\n"
           "  --mute             echo every byte and answer nothing (another device on the line)\n"
           "  --status-delay MS  hold the status of every block write back MS milliseconds\n"
           "  --power-loss-after-codes\n"
           "                     store the first codes block written, then lose power for good\n"
           "                     (no status, no byte ever again)\n"
           "  --stray-echo-after N\n"
           "                     put one stray byte on the line after the echo of byte N (0-based)\n"
           "                     of every data frame written\n"
           "  --garble-write     take payload bytes 2 and 3 of every data frame written garbled so\n"
           "                     that the CRC still holds; echo and store them so\n"
           "  --hang-up-after N  drop the line after taking N bytes, as a pulled USB adapter\n"
           "  --help             show this text\n";
}

}  // namespace kerma
