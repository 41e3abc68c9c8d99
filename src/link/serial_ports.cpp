#include "serial_ports.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <tuple>

#include "serial_port.h"
#include "system_error_text.h"
#include "utf8_path.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first; initguid.h makes devguid.h define the class GUIDs rather than declare them.
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>
#endif

namespace kerma {
namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

bool Covers(const PortItem& item, const FoundPort& port,
            const std::function<std::string(int)>& comDevice) {
    if (port.com != 0) return port.com == item.number;
    return !port.device.empty() && port.device == comDevice(item.number);
}

PortItem Appended(const FoundPort& port) {
    PortItem item;
    if (port.com != 0) {
        item.text = "com " + std::to_string(port.com);
        item.number = port.com;
    } else {
        item.text = std::filesystem::path(port.device).filename().string();
        item.device = port.device;
    }
    item.name = port.name;
    item.present = true;
    return item;
}

// "ttyUSB12" -> ("ttyUSB", 12); anything else -> ("", 0).
std::pair<std::string, int> AdapterName(const std::string& name) {
    for (const char* stem : {"ttyACM", "ttyUSB"}) {
        const std::string prefix(stem);
        if (name.size() <= prefix.size() || name.rfind(prefix, 0) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 4 || !AllDigits(digits)) continue;
        return {prefix, std::stoi(digits)};
    }
    return {"", 0};
}

// The device each /dev/serial/by-id link names, by the device's file name.
std::map<std::string, std::string> LinkNames(const std::filesystem::path& byId) {
    std::map<std::string, std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(byId, error)) {
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        if (error) continue;
        names.emplace(target.filename().string(), entry.path().filename().string());
    }
    return names;
}

bool IsNotThere(const std::error_code& e) {
#ifdef _WIN32
    if (e.category() == std::system_category() && (e.value() == 2 || e.value() == 3)) return true;
#endif
    return e == std::errc::no_such_file_or_directory || e == std::errc::no_such_device ||
           e == std::errc::no_such_device_or_address;
}

bool IsHeld(const std::error_code& e) {
#ifdef _WIN32
    // A COM port another program has open refuses with "access denied".
    if (e.category() == std::system_category() && (e.value() == 5 || e.value() == 32)) return true;
#endif
    return e == std::errc::device_or_resource_busy;
}

#ifdef _WIN32
// "COM13" -> 13; 0 for anything else.
int ComNumberOf(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    if (std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M')
        return 0;
    const std::string digits = name.substr(3);
    if (!AllDigits(digits)) return 0;
    return std::stoi(digits);
}

// The names Device Manager shows ("USB-SERIAL CH340 (COM13)"), by COM number.
std::map<int, std::string> FriendlyNames() {
    std::map<int, std::string> names;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return names;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        wchar_t port[32] = {};
        DWORD size = sizeof(port) - sizeof(wchar_t);
        DWORD type = 0;
        const bool named = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                            reinterpret_cast<BYTE*>(port), &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        wchar_t friendly[256] = {};
        if (named && type == REG_SZ &&
            SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE*>(friendly),
                                              sizeof(friendly) - sizeof(wchar_t), nullptr)) {
            if (const int n = ComNumberOf(Utf8Text(port)); n > 0) names[n] = Utf8Text(friendly);
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

// The serial ports Windows lists under HARDWARE\DEVICEMAP\SERIALCOMM, by number.
std::vector<FoundPort> WindowsSerialPorts() {
    std::vector<FoundPort> found;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return found;
    const auto names = FriendlyNames();
    for (DWORD i = 0;; ++i) {
        wchar_t value[256] = {};
        wchar_t data[32] = {};
        DWORD valueSize = 255, dataSize = sizeof(data) - sizeof(wchar_t), type = 0;
        const LONG result = RegEnumValueW(key, i, value, &valueSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        const int n = ComNumberOf(Utf8Text(data));
        if (n <= 0) continue;
        const auto name = names.find(n);
        found.push_back({n, "", name == names.end() ? "" : name->second});
    }
    RegCloseKey(key);
    std::sort(found.begin(), found.end(),
              [](const FoundPort& a, const FoundPort& b) { return a.com < b.com; });
    return found;
}
#else
// What an installer mapped with KERMA740_COMn counts as present when it is there.
void AddMappedPorts(std::vector<FoundPort>& found) {
    for (int n = 1; n <= kListedComPorts; ++n) {
        const char* device = std::getenv(("KERMA740_COM" + std::to_string(n)).c_str());
        std::error_code error;
        if (device == nullptr || !std::filesystem::exists(device, error)) continue;
        const bool known = std::any_of(found.begin(), found.end(),
                                       [&](const FoundPort& f) { return f.device == device; });
        if (!known) found.push_back({0, device, ""});
    }
}
#endif

}  // namespace

PortItem ComPortItem(int number) {
    return {"com " + std::to_string(number), number, "", "", false};
}

std::vector<PortItem> PortList(const std::vector<FoundPort>& found,
                               const std::function<std::string(int)>& comDevice) {
    std::vector<PortItem> items;
    std::vector<bool> covered(found.size(), false);
    for (int n = 1; n <= kListedComPorts; ++n) {
        PortItem item = ComPortItem(n);
        for (size_t i = 0; i < found.size(); ++i) {
            if (covered[i] || !Covers(item, found[i], comDevice)) continue;
            covered[i] = true;
            item.present = true;
            item.name = found[i].name;
        }
        items.push_back(std::move(item));
    }
    for (size_t i = 0; i < found.size(); ++i) {
        if (!covered[i]) items.push_back(Appended(found[i]));
    }
    return items;
}

std::vector<FoundPort> FindSerialAdapters(const std::filesystem::path& dev,
                                          const std::filesystem::path& byId) {
    std::vector<std::tuple<std::string, int, FoundPort>> adapters;
    const auto names = LinkNames(byId);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dev, error)) {
        const std::string file = entry.path().filename().string();
        auto [stem, number] = AdapterName(file);
        if (stem.empty()) continue;
        const auto name = names.find(file);
        FoundPort port{0, entry.path().string(), name == names.end() ? "" : name->second};
        adapters.emplace_back(stem, number, std::move(port));
    }
    std::sort(adapters.begin(), adapters.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    std::vector<FoundPort> found;
    for (auto& adapter : adapters) found.push_back(std::move(std::get<2>(adapter)));
    return found;
}

std::vector<PortItem> SystemPorts() {
#ifdef _WIN32
    return PortList(WindowsSerialPorts(), SerialPort::DeviceName);
#else
    auto found = FindSerialAdapters("/dev", "/dev/serial/by-id");
    AddMappedPorts(found);
    return PortList(found, SerialPort::DeviceName);
#endif
}

std::string PortName(const PortItem& port) {
    return port.number > 0 ? "COM" + std::to_string(port.number) : port.text;
}

std::string PortOpenFailure(const PortItem& port, const std::error_code& reason) {
    std::string text = port.number > 0
                           ? PortBusyMessage(port.number)
                           : "Порт " + port.text + " занят другой программой или не доступен.";
    if (!reason) return text;
    if (IsNotThere(reason)) return text + "\nПорта нет на компьютере.";
    if (IsHeld(reason)) return text + "\nПорт открыт другой программой.";
    return text + "\nПричина: " + SystemErrorText(reason) + ".";
}

}  // namespace kerma
