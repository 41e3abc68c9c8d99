#pragma once
// A fresh, empty folder of the test's own under the system's temporary folder, and the
// environment calls, alike on Linux and under Wine.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>

namespace kerma::test {

// Removed with all it holds when the test ends. Test processes run side by side, so the name is
// drawn at random until it is free.
class TempDir {
  public:
    explicit TempDir(const std::string& prefix = "kerma740") {
        std::random_device random;
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    (prefix + "-" + std::to_string(random()) + std::to_string(random()));
            std::error_code ec;
            if (std::filesystem::create_directory(path_, ec)) return;
        }
    }
    // Never throws. Windows refuses to delete a read-only file, so every file gets its write
    // right back first; a panel that was just told to stop may be removing its link right now,
    // so the removal is tried again.
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (int attempt = 0; attempt < 3; ++attempt) {
            for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end;
                 it.increment(ec))
                fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
            fs::remove_all(path_, ec);
            if (!fs::exists(path_, ec)) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::string file(const std::string& name) const {
        return (path_ / name).string();
    }

  private:
    std::filesystem::path path_;
};

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

}  // namespace kerma::test
