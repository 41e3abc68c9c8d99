#pragma once
// Command line of the kerma740-panel program.
#include <string>
#include <vector>

#include "result.h"
#include "virtual_panel.h"

namespace kerma {

struct PanelOptions {
    int type = VirtualPanel::kDefaultType;
    int version = VirtualPanel::kDefaultVersion;
    bool versionGiven = false;  // --version wins over the version line of --memory
    std::string memoryPath;
    std::string savePath;
    std::string linkPath;
    PanelFaults faults;
    int baud = 0;  // 0: bytes leave as fast as the pty takes them
    bool help = false;
};

// Arguments without the program name. Refused with a message for the user when they make no
// sense.
[[nodiscard]] Result<PanelOptions> ParsePanelOptions(const std::vector<std::string>& args);

[[nodiscard]] std::string PanelUsage();

}  // namespace kerma
