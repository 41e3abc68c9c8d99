#pragma once
// A fresh, empty folder of the test's own under the system's temporary folder, and the
// environment calls, alike on Linux and under Wine.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace kerma::test_folder {

inline std::filesystem::path NewTestFolder(const std::string& prefix) {
    std::random_device random;
    for (;;) {
        const auto path = std::filesystem::temp_directory_path() /
                          (prefix + "-" + std::to_string(random()) + std::to_string(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec)) return path;
    }
}

// Windows refuses to delete a read-only file: every file gets its write right back first.
inline void RemoveTestFolder(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(folder, ec);
}

inline void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void UnsetEnv(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

}  // namespace kerma::test_folder
