#pragma once
// The ports the installer can choose: "com 1" .. "com 10" always, in their places, then every
// serial port present on the machine that those do not reach (a USB adapter numbered COM13 by
// Windows, /dev/ttyUSB0 on Linux).
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace kerma {

// The list always offers these, present or not.
inline constexpr int kListedComPorts = 10;

// A serial device the system knows of.
struct FoundPort {
    int com = 0;         // Windows: its COM number; 0 where ports are device paths
    std::string device;  // Linux: the device path ("/dev/ttyUSB0")
    std::string name;    // the device's own name, for the hint ("USB-SERIAL CH340 (COM13)")
};

struct PortItem {
    std::string text;    // "com 3", "com 13", "ttyUSB0"
    int number = 0;      // the COM number; 0 for an item opened by its device path
    std::string device;  // the device path of an item without a number
    std::string name;    // the device's own name ("" when the system gives none)
    bool present = false;
};

// The item "com N" of the list, not yet known to be present.
[[nodiscard]] PortItem ComPortItem(int number);

// "com 1" .. "com 10", each marked present when one of found is what it opens (comDevice(n)),
// then the found ports none of them covers, in the order found gives.
[[nodiscard]] std::vector<PortItem> PortList(const std::vector<FoundPort>& found,
                                             const std::function<std::string(int)>& comDevice);

// USB and modem-class adapters in dev (ttyUSB*, ttyACM*), named by their links in byId
// (/dev/serial/by-id), in number order.
[[nodiscard]] std::vector<FoundPort> FindSerialAdapters(const std::filesystem::path& dev,
                                                        const std::filesystem::path& byId);

// The list for this machine now.
[[nodiscard]] std::vector<PortItem> SystemPorts();

// The port as messages name it: "COM13", "ttyUSB0".
[[nodiscard]] std::string PortName(const PortItem& port);

// "Порт COM13 занят другой программой или не доступен." (or "Порт ttyUSB0 …"), and on a
// second line why, when the system said.
[[nodiscard]] std::string PortOpenFailure(const PortItem& port, const std::error_code& reason);

}  // namespace kerma
