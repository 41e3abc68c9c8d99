#include "cli_commands.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <regex>

#include "cli_exit_status.h"
#include "cli_files.h"
#include "cli_safety.h"
#include "config_report.h"
#include "config_file.h"
#include "outcome_text.h"
#include "serial_port.h"
#include "serial_ports.h"
#include "sync_link.h"
#include "system_error_text.h"

namespace kerma::cli {
namespace {

constexpr int kHeaderCell = 0;
constexpr int kHighestCom = 255;

struct PortArgs {
    std::string port, out;
    std::vector<std::string> files;
    bool raw = false;
    bool verify = false;
    bool noBackup = false;
    bool keys = false;  // --format=keys: name=value lines for scripts
};

// --port and --out take a value, --raw and --verify none, --format its value after "="; anything
// else that starts with "--" is a mistake.
std::optional<PortArgs> ParsePortArgs(const std::vector<std::string>& args) {
    PortArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--raw") {
            parsed.raw = true;
        } else if (arg == "--verify") {
            parsed.verify = true;
        } else if (arg == "--no-backup") {
            parsed.noBackup = true;
        } else if (arg == "--format=keys" || arg == "--format=text") {
            parsed.keys = arg == "--format=keys";
        } else if ((arg == "--port" || arg == "--out") && i + 1 < args.size()) {
            (arg == "--port" ? parsed.port : parsed.out) = args[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            parsed.files.push_back(arg);
        }
    }
    return parsed;
}

int Usage(const char* line) {
    std::cerr << "Использование: kerma740-cli " << line << "\n";
    return kUnusable;
}

// "com N", "COMN", "\\.\COMN" or just N name a port as the desktop program does; anything else is
// a device path.
std::optional<int> ComNumber(const std::string& port) {
    static const std::regex com(R"((?:\\\\\.\\|//\./)?(?:com\s*)?(\d{1,3}))", std::regex::icase);
    std::smatch m;
    if (!std::regex_match(port, m, com)) return std::nullopt;
    const int n = std::stoi(m[1]);
    return (n >= 1 && n <= kHighestCom) ? std::optional(n) : std::nullopt;
}

// The port as given: a COM number, a device of the list by its name ("ttyUSB0"), or a path.
PortItem PortOf(const std::string& port) {
    if (auto n = ComNumber(port)) {
        PortItem item = ComPortItem(*n);
#ifndef _WIN32
        item.device = SerialPort::DeviceName(*n);
#endif
        return item;
    }
    for (const PortItem& item : SystemPorts()) {
        if (item.number == 0 && item.text == port) return item;
    }
    return {port, 0, port, "", false};
}

struct Session {
    SerialPort port;
    LinkState state;
    SyncLink link{port, SystemClock::instance(), state};
    std::string portName;  // as messages name it: "COM5", "ttyUSB0"
    int version = -1;
};

Result<void> OpenLine(const std::string& port, Session& s) {
    const PortItem item = PortOf(port);
    s.portName = PortName(item);
    auto opened = s.port.open(item);
    if (opened) return {};
    std::string message = opened.error();
#ifndef _WIN32
    // The first line names the device the number stands for.
    if (item.number > 0)
        message.insert(std::min(message.find('\n'), message.size()), " (" + item.device + ")");
#endif
    return Fail(std::move(message), opened.failure().reason);
}

void PrintAttempts(SyncLink& link) {
    link.onOutcome = [](const LinkOutcome& outcome) {
        if (outcome.code == LinkResult::Attempt && outcome.attempt > 1)
            std::cerr << AttemptText(outcome.attempt) << "\n";
        if (outcome.code == LinkResult::LineBusy) std::cerr << OutcomeText(outcome.code) << "\n";
    };
}

// The client's end of a refused command: its text on the error stream, its exit status back.
int PrintFailure(const std::string& message, int status = kFailed) {
    std::cerr << message << "\n";
    return status;
}

// What the user is told of an exchange that did not end as it should.
std::string FailedOutcomeText(const Session& s) {
    const auto last = s.link.last();
    if (last && last->code == LinkResult::PortFailed) return PortGoneText(s.portName);
    std::string text = last ? OutcomeText(*last, s.state.panelTypeCode) : "";
    if (!text.empty()) return text;
    return OutcomeText(s.link.has(LinkResult::TimeOut) ? LinkResult::TimeOut
                                                       : LinkResult::NoAnswer);
}

int FailOutcome(const Session& s) {
    return PrintFailure(FailedOutcomeText(s));
}

// Handshake and identification read, as a connect does.
bool Identify(Session& s) {
    PrintAttempts(s.link);
    s.state.layoutCode = Layout::Identify;
    s.state.identifyPending = true;
    s.link.run(LinkOperation::Handshake);
    if (!s.link.identified() || s.link.settings().size() <= kVersionCell) return false;
    s.version = s.link.settings()[kVersionCell] & 0xFF;
    s.state.identifyPending = false;
    return true;
}

Block Fit(const Block& block, int cells) {
    Block out(block.begin(), block.begin() + std::min<size_t>(block.size(), cells));
    out.resize(static_cast<size_t>(cells), 0);
    return out;
}

// Line 0 is a cell value only when it fits one; a load never takes any other number over, so the
// panel keeps its own block header.
void KeepPanelHeader(Block& settings, int32_t fileHeader, const Block& panelSettings) {
    if (fileHeader >= -1 && fileHeader <= 255) return;
    if (!panelSettings.empty()) settings[kHeaderCell] = panelSettings[kHeaderCell];
}

// What the panel holds, read with the layout of the write and kept as a backup before anything
// of the write goes out: its path, "" when it could not be written. Refused when the panel could
// not be read, and then nothing is written.
Result<std::string> KeepPanelBeforeWrite(Session& s) {
    s.link.run(LinkOperation::ReadCodes);
    if (s.link.verdict() != LinkResult::Read) {
        return Fail(FailedOutcomeText(s) +
                    "\nКонфигурацию прибора перед записью считать не удалось. Запись не "
                    "выполнена. Повторите команду; если чтение не удаётся и тогда, "
                    "--no-backup запишет без резервной копии.");
    }
    auto kept = KeepPanelBackup(s.link.settings(), s.link.codes(), BackupKind::BeforeWrite);
    if (kept) return kept;
    std::cerr << kept.error() << "\n";
    return std::string();
}

}  // namespace

int Ports(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::cerr << "Использование: kerma740-cli " << kPortsUsage << "\n";
        return kUnusable;
    }
    for (const PortItem& port : SystemPorts()) {
        std::cout << port.text;
        if (!port.device.empty()) std::cout << "\t" << port.device;
        if (port.present) std::cout << "\t• " << (port.name.empty() ? "есть" : port.name);
        std::cout << "\n";
    }
    return kDone;
}

int Probe(const std::vector<std::string>& args) {
    const auto parsed = ParsePortArgs(args);
    if (!parsed || parsed->port.empty() || !parsed->out.empty() || parsed->raw || parsed->verify ||
        parsed->noBackup || !parsed->files.empty()) {
        return Usage(kProbeUsage);
    }
    Session s;
    if (auto opened = OpenLine(parsed->port, s); !opened) return PrintFailure(opened.error());
    if (!Identify(s)) return FailOutcome(s);
    const auto info = DecodeVersion(s.version);
    const int variant = VariantOfVersion(s.version);
    if (parsed->keys) {
        std::cout << "type=" << s.state.panelTypeCode << "\n"
                  << "version=" << s.version << "\n"
                  << "version_text=" << info.text << "\n"
                  << "variant=" << variant << "\n";
        return kDone;
    }
    std::cout << "Тип прибора: " << s.state.panelTypeCode << "\n"
              << "Версия ПО прибора: v " << info.text << "\n"
              << "Тип системы: " << DescribeVariant(variant).title << "\n";
    return kDone;
}

int Read(const std::vector<std::string>& args) {
    const auto parsed = ParsePortArgs(args);
    if (!parsed || parsed->port.empty() || parsed->out.empty() || parsed->verify ||
        parsed->noBackup || parsed->keys || !parsed->files.empty())
        return Usage(kReadUsage);
    Session s;
    if (auto opened = OpenLine(parsed->port, s); !opened) return PrintFailure(opened.error());
    if (!Identify(s)) return FailOutcome(s);
    const int variant = VariantOfVersion(s.version);
    if (!DescribeVariant(variant).known()) {
        return PrintFailure("Версия ПО прибора v " + DecodeVersion(s.version).text +
                            " не поддерживается.");
    }
    s.state.layoutCode = DescribeVariant(variant).layoutCode;
    s.link.run(LinkOperation::ReadCodes);
    if (s.link.verdict() != LinkResult::Read) return FailOutcome(s);
    const auto kept = KeepPanelBackup(s.link.settings(), s.link.codes());
    if (!kept) std::cerr << kept.error() << "\n";
    if (!parsed->raw) {
        if (!SaveReadBlocks(s.link.settings(), s.link.codes(), parsed->out)) return kFailed;
    } else {
        // The installer's backup of the panel: every byte as the panel holds it.
        const ConfigBlocks image{Fit(s.link.settings(), FileSettingsCells(variant)),
                                Fit(s.link.codes(), FileCodesCells(variant))};
        if (auto written = WriteConfigFile(parsed->out, image); !written)
            return PrintFailure(written.error());
    }
    std::cerr << "Чтение конфигурации завершено\n"
              << "Конфигурация записана в файл " << parsed->out << "\n";
    if (kept) std::cerr << "Резервная копия: " << *kept << "\n";
    return kDone;
}

int Write(const std::vector<std::string>& args) {
    const auto parsed = ParsePortArgs(args);
    if (!parsed || parsed->port.empty() || !parsed->out.empty() || parsed->keys ||
        parsed->files.size() != 1)
        return Usage(kWriteUsage);
    const std::string& inFile = parsed->files[0];
    auto file = ReadConfigFile(inFile);
    if (!file) return PrintFailure(file.error(), kUnusable);
    ConfigBlocks image = std::move(*file);
    const int32_t header = image.settings[kHeaderCell];
    const int32_t version = image.settings[kVersionCell];
    const int fileVariant = VariantOfVersion(version);
    if (!DescribeVariant(fileVariant).known()) {
        return PrintFailure(
            "Ошибка чтения файла конфигурации. Неизвестная версия прошивки в строке 2.", kUnusable);
    }
    if (!parsed->raw) {
        // What the program would send: the file through the editor and the checks of a write.
        auto blocks = BlocksToWrite(inFile);
        if (!blocks) return kFailed;
        blocks->settings[kVersionCell] = version;
        image = std::move(*blocks);
    }
    WarnOfFactoryPasswords(image);
    Session s;
    if (auto opened = OpenLine(parsed->port, s); !opened) return PrintFailure(opened.error());
    if (!Identify(s)) return FailOutcome(s);
    if (VariantOfVersion(s.version) != fileVariant) {
        return PrintFailure("Файл конфигурации для версии v " + DecodeVersion(version).text +
                            ", в приборе версия v " + DecodeVersion(s.version).text +
                            ". Запись не выполнена.");
    }
    s.state.layoutCode = DescribeVariant(fileVariant).layoutCode;
    std::string backup;
    if (!parsed->noBackup) {
        const auto kept = KeepPanelBeforeWrite(s);
        if (!kept) return PrintFailure(kept.error());
        backup = *kept;
    }
    KeepPanelHeader(image.settings, header, s.link.settings());
    const Block settings = Fit(image.settings, SettingsLength(s.state.layoutCode));
    const Block codes = Fit(image.codes, CodesLength(s.state.layoutCode));
    s.link.run(WriteChain(codes, settings));
    if (s.link.verdict() != LinkResult::Written) {
        const int status = FailOutcome(s);
        // The codes frame went out and the settings block was not taken: the panel's codes and
        // settings may no longer belong together, and the installer must hear it with the way
        // back.
        if (s.link.writeCut()) std::cerr << WriteCutText(backup) << "\n";
        return status;
    }
    std::cerr << "Запись конфигурации завершена\n";
    if (!backup.empty()) std::cerr << "Резервная копия перед записью: " << backup << "\n";
    return parsed->verify ? CheckWrittenBlocks(s.link, settings, codes) : kDone;
}

}  // namespace kerma::cli
