#pragma once
// Starting the project's programs from end-to-end tests.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_files.h"
#include "test_folder.h"

namespace kerma::testing {

// The programs are built next to the test executables.
inline std::string BinDir() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

using test::TempDir;

// kerma740-panel running in the background on a pseudo-terminal reachable through a link.
class PanelProcess {
  public:
    PanelProcess(const std::string& link, std::vector<std::string> args) : link_(link) {
        args.insert(args.begin(), {BinDir() + "/kerma740-panel", "--link", link});
        pid_ = fork();
        if (pid_ == 0) {
            // A test that dies must not leave its panel behind holding ctest's output pipe.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            freopen("/dev/null", "w", stdout);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < 200 && !std::filesystem::exists(link_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~PanelProcess() { stop(); }
    // SIGKILL is the adapter pulled: the terminal's far end goes away without a word.
    void stop(int signal = SIGTERM) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    [[nodiscard]] bool ready() const { return std::filesystem::exists(link_); }
    [[nodiscard]] pid_t pid() const { return pid_; }

  private:
    std::string link_;
    pid_t pid_ = -1;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end with its output captured in files of dir.
inline RunResult RunProgram(const TempDir& dir, const std::string& program,
                            std::vector<std::string> args) {
    const std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    args.insert(args.begin(), BinDir() + "/" + program);
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        freopen(out.c_str(), "w", stdout);
        freopen(err.c_str(), "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadAll(out), test::ReadAll(err)};
}

// A firmware base in dir holding one test file (never a real firmware) of this version byte:
// a body of 0x3C bytes, the last one given.
inline void WriteTestFirmware(const TempDir& dir, int version, int body, char last = 0x3C) {
    std::filesystem::create_directories(dir.file("Base"));
    std::vector<char> bytes(static_cast<size_t>(7 + body), 0x3C);
    bytes.back() = last;
    bytes[3] = static_cast<char>(version);
    bytes[4] = static_cast<char>(body >> 8);
    bytes[5] = static_cast<char>(body & 0xFF);
    FILE* f = std::fopen(dir.file("Base/740-QNMv3_9.tsk").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace kerma::testing
