#pragma once
// kerma740-cli commands that talk to a panel. Each takes the arguments after the command word and
// returns its ExitStatus (cli_exit_status.h).
#include <string>
#include <vector>

namespace kerma::cli {

inline constexpr const char* kProbeUsage = "probe --port ПОРТ [--format=keys]";
inline constexpr const char* kReadUsage = "read  --port ПОРТ --out ФАЙЛ.cfg [--raw]";
inline constexpr const char* kWriteUsage =
    "write --port ПОРТ ФАЙЛ.cfg [--raw] [--verify] [--no-backup]";
inline constexpr const char* kPortsUsage = "ports";

// The ports the program's list offers, one a line: "com 13", the device path where the item has
// no number, and "• " with the device's name when the port is present.
int Ports(const std::vector<std::string>& args);
// The panel's type byte, version and variant, as Russian lines or (--format=keys) as the
// type=, version=, version_text= and variant= lines scripts read.
int Probe(const std::vector<std::string>& args);
// Without --raw the blocks pass through the editor as the program's read and save (or load and
// write, with its checks) would pass them; --raw moves the panel's blocks byte for byte.
int Read(const std::vector<std::string>& args);
int Write(const std::vector<std::string>& args);

}  // namespace kerma::cli
