// The backup folder under the desktop program's application data folder, the one Qt's
// AppDataLocation names for it: %APPDATA%\kerma740-config on Windows, $XDG_DATA_HOME (or
// ~/.local/share)/kerma740-config elsewhere. The command-line client asks under the desktop
// program's name, so both keep their backups in one place.
#include <cstdlib>
#include <filesystem>

#include "backups.h"
#include "utf8_path.h"

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#endif

namespace kerma {
namespace {

constexpr const char* kProgramName = "kerma740-config";

std::filesystem::path DataHome() {
#ifdef _WIN32
    PWSTR roaming = nullptr;
    std::filesystem::path base;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming) == S_OK)
        base = std::filesystem::path(roaming);
    CoTaskMemFree(roaming);
    return base;
#else
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return std::filesystem::path(home) / ".local" / "share";
#endif
}

}  // namespace

std::string DefaultBackupFolder() {
    const std::filesystem::path base = DataHome();
    if (base.empty()) return {};
    return Utf8Text((base / kProgramName / "backups").make_preferred());
}

}  // namespace kerma
