#include "cli_commands.h"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <regex>

#include "cli_files.h"
#include "config_file.h"
#include "serial_port.h"
#include "sync_link.h"

namespace kerma::cli {
namespace {

// Cells the configuration file format always holds 0 in.
constexpr int kFileZeroCells[] = {6, 7, 38, 39};
constexpr int kVersionCell = 1;

// "com N" (or just N) names a port as the desktop program does; anything else is a device path.
std::optional<int> ComNumber(const std::string& port) {
    static const std::regex com(R"((?:com\s*)?(\d{1,2}))", std::regex::icase);
    std::smatch m;
    if (!std::regex_match(port, m, com)) return std::nullopt;
    const int n = std::stoi(m[1]);
    return (n >= 1 && n <= 10) ? std::optional(n) : std::nullopt;
}

bool OpenLine(const std::string& port, SerialPort& serial) {
    int number = 1;
    if (auto n = ComNumber(port)) {
        number = *n;
    } else {
        // A device path goes through the same mapping an installer uses for a USB adapter.
#ifdef _WIN32
        _putenv_s("KERMA740_COM1", port.c_str());
#else
        setenv("KERMA740_COM1", port.c_str(), 1);
#endif
    }
    if (serial.open(number)) return true;
    std::cerr << PortBusyMessage(number) << " (" << SerialPort::DeviceName(number) << ")\n";
    return false;
}

void PrintAttempts(SyncLink& link) {
    link.onOutcome = [](int32_t code, int attempt) {
        if (code == LinkResult::Attempt && attempt > 1)
            std::cerr << "Установка связи с прибором...Попытка №" << attempt << " из 10\n";
    };
}

int Fail(const std::string& message) {
    std::cerr << message << "\n";
    return 1;
}

int FailOutcome(const SyncLink& link) {
    const auto verdict = link.verdict();
    std::string text = verdict ? OutcomeText(*verdict) : "";
    if (text.empty())
        text =
            OutcomeText(link.has(LinkResult::TimeOut) ? LinkResult::TimeOut : LinkResult::NoAnswer);
    return Fail(text);
}

struct Session {
    SerialPort port;
    LinkState state;
    SyncLink link{port, SystemClock::instance(), state};
    int version = -1;
};

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

bool KnownVariant(int variant) {
    return variant >= 1 && variant <= 5;
}

Cells Fit(const Block& block, int cells) {
    Cells out(block.begin(), block.begin() + std::min<size_t>(block.size(), cells));
    out.resize(static_cast<size_t>(cells), 0);
    return out;
}

}  // namespace

int Probe(const std::string& port) {
    Session s;
    if (!OpenLine(port, s.port)) return 1;
    if (!Identify(s)) return FailOutcome(s.link);
    const auto info = DecodeVersion(s.version);
    std::cout << "type=" << s.state.panelTypeCode << "\n"
              << "version=" << s.version << "\n"
              << "version_text=" << info.text << "\n"
              << "variant=" << VariantOfVersion(s.version) << "\n";
    return 0;
}

int Read(const std::string& port, const std::string& outFile, bool raw) {
    Session s;
    if (!OpenLine(port, s.port)) return 1;
    if (!Identify(s)) return FailOutcome(s.link);
    const int variant = VariantOfVersion(s.version);
    if (!KnownVariant(variant))
        return Fail("Версия ПО прибора " + DecodeVersion(s.version).text + " не поддерживается.");
    s.state.layoutCode = RegularLayout(variant);
    s.link.run(LinkOperation::ReadCodes);
    if (s.link.verdict() != LinkResult::Read) return FailOutcome(s.link);
    if (!raw) {
        if (!SaveReadBlocks(s.link.settings(), s.link.codes(), outFile)) return 1;
        std::cerr << "Чтение конфигурации завершено\n";
        return 0;
    }
    ConfigImage image{Fit(s.link.settings(), FileSettingsCells(variant)),
                      Fit(s.link.codes(), FileCodesCells(variant))};
    for (int cell : kFileZeroCells)
        if (cell < static_cast<int>(image.settings.size())) image.settings[cell] = 0;
    if (auto error = WriteConfigFile(outFile, image); !error.empty()) return Fail(error);
    std::cerr << "Чтение конфигурации завершено\n";
    return 0;
}

int Write(const std::string& port, const std::string& inFile, bool raw) {
    auto parsed = ReadConfigFile(inFile);
    if (auto* error = std::get_if<FileError>(&parsed)) return Fail(error->message);
    if (!raw) {
        // What the program would send: the file through the editor and the checks of a write.
        auto blocks = BlocksToWrite(inFile);
        if (!blocks) return 1;
        blocks->settings[kVersionCell] = std::get<ConfigImage>(parsed).settings[kVersionCell];
        parsed = std::move(*blocks);
    }
    const auto& image = std::get<ConfigImage>(parsed);
    const int fileVariant = VariantOfVersion(image.settings[kVersionCell]);
    if (!KnownVariant(fileVariant))
        return Fail("Ошибка чтения файла конфигурации. Неизвестная версия прошивки в строке 2.");
    Session s;
    if (!OpenLine(port, s.port)) return 1;
    if (!Identify(s)) return FailOutcome(s.link);
    if (VariantOfVersion(s.version) != fileVariant) {
        return Fail("Файл конфигурации для версии " + DecodeVersion(image.settings[1]).text +
                    ", в приборе версия " + DecodeVersion(s.version).text +
                    ". Запись не выполнена.");
    }
    s.state.layoutCode = RegularLayout(fileVariant);
    s.link.setSettingsToWrite(Fit(image.settings, SettingsLength(s.state.layoutCode)));
    s.link.run(LinkOperation::WriteCodes, Fit(image.codes, CodesLength(s.state.layoutCode)));
    if (s.link.verdict() != LinkResult::Written) return FailOutcome(s.link);
    std::cerr << "Запись конфигурации завершена\n";
    return 0;
}

}  // namespace kerma::cli
