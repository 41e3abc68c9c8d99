// The kerma740-panel program as the desktop program meets it: a terminal path on stdout, a plain
// termios port on that path, bytes in and out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crc8.h"
#include "frames.h"
#include "test_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;
using kerma::test::TempDir;
using kerma::test::WithCrc;

const Bytes kHandshake{0x55, 0x55, 0xAA, 0xAA};

// The programs are built next to the test executables; KERMA740_BIN may say otherwise.
std::string PanelBinary() {
    const char* dir = std::getenv("KERMA740_BIN");
    fs::path bin = dir != nullptr && *dir != '\0'
                       ? fs::path(dir)
                       : fs::read_symlink("/proc/self/exe").parent_path();
    return (bin / "kerma740-panel").string();
}

// Waits for up to timeoutMs for count bytes, or a line when count is 0 (stops at '\n').
std::string ReadFd(int fd, size_t count, int timeoutMs) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (count == 0 ? got.find('\n') == std::string::npos : got.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[4096];
        size_t want = count == 0 ? 1 : std::min(sizeof buffer, count - got.size());
        ssize_t n = ::read(fd, buffer, want);
        if (n <= 0) break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

class PanelProcess {
  public:
    explicit PanelProcess(std::vector<std::string> args) {
        int out[2];
        int err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            std::string binary = PanelBinary();
            std::vector<char*> argv{binary.data()};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(binary.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        stdout_ = out[0];
        stderr_ = err[0];
    }
    ~PanelProcess() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(stdout_);
        ::close(stderr_);
    }

    std::string firstLine() {
        std::string line = ReadFd(stdout_, 0, 5000);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        return line;
    }
    std::string errors() { return ReadFd(stderr_, 1 << 16, 2000); }
    int stop(int sig = SIGTERM) {
        ::kill(pid_, sig);
        return wait();
    }
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    int status_ = -1;
};

// The port as the program's serial layer opens it: raw 1200 8N1, no controlling terminal.
class Port {
  public:
    explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios tio{};
        if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return;
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B1200);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(fd_, TCSANOW, &tio);
        ::tcflush(fd_, TCIOFLUSH);
    }
    ~Port() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    Bytes exchange(const Bytes& out, size_t expect, int timeoutMs = 3000) {
        if (::write(fd_, out.data(), out.size()) != static_cast<ssize_t>(out.size())) return {};
        std::string got = ReadFd(fd_, expect, timeoutMs);
        return Bytes(got.begin(), got.end());
    }

  private:
    int fd_;
};

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(PanelProgram, AnswersTheHandshakeAndSurvivesTheClientReopening) {
    PanelProcess panel({"--type", "10"});
    std::string path = panel.firstLine();
    ASSERT_FALSE(path.empty()) << panel.errors();
    for (int round = 0; round < 2; ++round) {
        Port port(path);
        ASSERT_TRUE(port.ok());
        EXPECT_EQ(port.exchange(kHandshake, 8), Join(kHandshake, {0x55, 0x55, 0x0A, 0xB8}));
        EXPECT_EQ(port.exchange({0x00}, 1), Bytes{0x00});
    }
    EXPECT_EQ(panel.stop(), 0);
}

TEST(PanelProgram, LinkPointsAtTheTerminalAndGoesOnSigterm) {
    const TempDir dir("kerma-panel-link");
    const fs::path link = dir.path() / "link";
    fs::create_symlink("/nonexistent-old-panel", link);  // as an earlier run leaves it
    PanelProcess panel({"--link", link.string()});
    std::string path = panel.firstLine();
    ASSERT_FALSE(path.empty()) << panel.errors();
    EXPECT_EQ(fs::read_symlink(link).string(), path);
    Port port(link.string());
    EXPECT_EQ(port.exchange(kHandshake, 8).size(), 8u);
    EXPECT_EQ(panel.stop(SIGTERM), 0);
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link)));
}

TEST(PanelProgram, WrittenBlockIsSavedAndServedAgainFromTheFile) {
    const TempDir dir("kerma-panel-save");
    const fs::path file = dir.path() / "panel.cfg";
    Bytes settings(1024);
    for (size_t i = 0; i < settings.size(); ++i) settings[i] = static_cast<uint8_t>(i * 13);
    settings[1] = 18;
    Bytes frame = WithCrc(Join({0xAA, 0xAA}, settings));
    Bytes command = WithCrc({0x55, 99, 0x92});
    {
        PanelProcess panel({"--save", file.string()});
        Port port(panel.firstLine());
        ASSERT_EQ(port.exchange(command, 5), Join(command, {0x00}));
        Bytes out = port.exchange(frame, frame.size() + 1, 5000);
        ASSERT_EQ(out.size(), frame.size() + 1);
        EXPECT_EQ(out.back(), 0x00);
        EXPECT_EQ(panel.stop(), 0);
    }
    std::ifstream saved(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(saved, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 2048u);  // variant 1: 1024 settings cells, 1024 codes cells
    EXPECT_EQ(lines[1], "18\r");

    PanelProcess again({"--memory", file.string()});
    Port port(again.firstLine());
    Bytes read = WithCrc({0x55, 99, 0x91});
    Bytes out = port.exchange(read, 4 + 1 + frame.size(), 5000);
    EXPECT_EQ(out, Join(Join(read, {0x00}), frame));
}

class BadOptions : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadOptions, ExitWithStatus2AndAMessage) {
    PanelProcess panel(GetParam());
    EXPECT_EQ(panel.wait(), 2);
    EXPECT_TRUE(panel.firstLine().empty());
    EXPECT_NE(panel.errors().find("kerma740-panel: "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    PanelProgram, BadOptions,
    testing::Values(std::vector<std::string>{"--type", "ten"},
                    std::vector<std::string>{"--version", "256"},
                    std::vector<std::string>{"--drop-byte"},
                    std::vector<std::string>{"--baud", "0"}, std::vector<std::string>{"--loud"},
                    std::vector<std::string>{"--memory", "/nonexistent/panel.cfg"}),
    [](const auto& info) {
        std::string name;
        for (const std::string& arg : info.param) {
            for (char ch : arg) {
                if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
            }
            name += '_';
        }
        name.pop_back();
        return name;
    });

}  // namespace
