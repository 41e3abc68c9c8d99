#include "serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "serial_ports.h"
#include "test_folder.h"
#include "wait.h"

namespace kerma {
namespace {

using Ms = std::chrono::milliseconds;
using test::WaitFor;

class RecordingClock final : public Clock {
  public:
    void sleepMs(int ms) override { slept.push_back(ms); }
    std::vector<int> slept;
};

long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - since).count());
}

// The thread is blocked in the kernel (a poll inside a read), not running or about to.
bool Sleeping(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t end = line.rfind(')');  // the name in parentheses may hold blanks
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
}

// A pseudo-terminal stands in for COM3: the port opens its slave, the test plays the panel on
// the master.
class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        slaveName_ = name;
        ::setenv("KERMA740_COM3", name, 1);
    }
    void TearDown() override {
        ::unsetenv("KERMA740_COM3");
        ::close(master_);
        ::close(slave_);
    }

    const PortItem com3_ = ComPortItem(3);

    void panelSends(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<uint8_t> panelReceives(size_t count) {
        std::vector<uint8_t> bytes;
        uint8_t buffer[512];
        pollfd fd{master_, POLLIN, 0};
        while (bytes.size() < count && ::poll(&fd, 1, 2000) > 0) {
            const ssize_t n =
                ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n <= 0) break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }
    // Bytes the panel sent that wait at the port, not yet read.
    int waitingAtPort() {
        int count = 0;
        EXPECT_EQ(::ioctl(slave_, FIONREAD, &count), 0);
        return count;
    }
    bool exclusiveFlag() {
        int flag = 0;
        EXPECT_EQ(::ioctl(slave_, TIOCGEXCL, &flag), 0);
        return flag != 0;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    RecordingClock clock_;
};

TEST(SerialPortNames, DeviceNameFollowsPortNumberAndEnvironment) {
    ::unsetenv("KERMA740_COM3");
    ::setenv("KERMA740_COM4", "", 1);  // empty means unset
#ifdef _WIN32
    EXPECT_EQ(SerialPort::DeviceName(3), "//./COM3");
    EXPECT_EQ(SerialPort::DeviceName(10), "//./COM10");
#else
    EXPECT_EQ(SerialPort::DeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(SerialPort::DeviceName(3), "/dev/ttyS2");
    EXPECT_EQ(SerialPort::DeviceName(4), "/dev/ttyS3");
    EXPECT_EQ(SerialPort::DeviceName(10), "/dev/ttyS9");
    ::setenv("KERMA740_COM3", "/dev/pts/7", 1);
    EXPECT_EQ(SerialPort::DeviceName(3), "/dev/pts/7");
    EXPECT_EQ(SerialPort::DeviceName(1), "/dev/ttyS0");
    ::unsetenv("KERMA740_COM3");
#endif
    ::unsetenv("KERMA740_COM4");
}

// The port list as the installer sees it on a machine whose /dev holds `devices` and whose
// /dev/serial/by-id holds `links` (name -> device), with "com 1" mapped to `com1`.
TEST(SerialPortList, DesignedPortsStayAndAdaptersPresentAreAdded) {
    struct Case {
        const char* what;
        std::vector<std::string> devices;
        std::vector<std::pair<std::string, std::string>> links;
        std::string com1;                // "" keeps /dev/ttyS0
        std::vector<std::string> added;  // "text|name" of the items after "com 10"
        std::string com1Name;            // "-" when "com 1" is not marked present
    };
    const std::vector<Case> cases = {
        {"no adapter (a CI machine)", {"ttyS0", "ttyS1", "tty0", "ttyprintk"}, {}, "", {}, "-"},
        {"adapters in number order, named by their by-id links",
         {"ttyUSB10", "ttyUSB1", "ttyACM0", "ttyUSB0", "ttyUSBx", "ttyS0"},
         {{"usb-FTDI_FT232R_A1-if00-port0", "../../ttyUSB1"}},
         "",
         {"ttyACM0|", "ttyUSB0|", "ttyUSB1|usb-FTDI_FT232R_A1-if00-port0", "ttyUSB10|"},
         "-"},
        {"an adapter mapped to com 1 is marked there, not added",
         {"ttyUSB0", "ttyUSB1"},
         {{"usb-Prolific_PL2303-if00-port0", "../../ttyUSB0"}},
         "ttyUSB0",
         {"ttyUSB1|"},
         "usb-Prolific_PL2303-if00-port0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempDir folder("kerma-dev");
        const std::filesystem::path& dev = folder.path();
        const std::filesystem::path byId = dev / "serial" / "by-id";
        std::filesystem::create_directories(byId);
        for (const auto& name : c.devices) std::ofstream(dev / name).put('\n');
        for (const auto& [name, target] : c.links)
            std::filesystem::create_symlink(target, byId / name);
        const auto comDevice = [&](int n) {
            return n == 1 && !c.com1.empty() ? (dev / c.com1).string()
                                             : "/dev/ttyS" + std::to_string(n - 1);
        };

        const auto items = PortList(FindSerialAdapters(dev, byId), comDevice);

        ASSERT_EQ(items.size(), 10 + c.added.size());
        for (int n = 1; n <= 10; ++n) {
            EXPECT_EQ(items[n - 1].text, "com " + std::to_string(n));
            EXPECT_EQ(items[n - 1].number, n);
            EXPECT_EQ(items[n - 1].present, n == 1 && c.com1Name != "-");
        }
        if (c.com1Name != "-") {
            EXPECT_EQ(items[0].name, c.com1Name);
        }
        for (size_t i = 0; i < c.added.size(); ++i) {
            const PortItem& item = items[10 + i];
            EXPECT_EQ(item.text + "|" + item.name, c.added[i]);
            EXPECT_EQ(item.device, (dev / item.text).string());
            EXPECT_EQ(item.number, 0);
            EXPECT_TRUE(item.present);
        }
    }
}

// Windows lists its ports by number: one the list has is marked, one beyond "com 10" is added.
TEST(SerialPortList, WindowsPortsBeyondTenAreAddedByNumber) {
    const auto items = PortList(
        {{3, "", "Communications Port (COM3)"}, {13, "", "USB-SERIAL CH340 (COM13)"}, {24, "", ""}},
        [](int n) { return "//./COM" + std::to_string(n); });
    ASSERT_EQ(items.size(), 12u);
    EXPECT_TRUE(items[2].present);
    EXPECT_EQ(items[2].name, "Communications Port (COM3)");
    EXPECT_EQ(items[10].text, "com 13");
    EXPECT_EQ(items[10].number, 13);
    EXPECT_EQ(items[10].name, "USB-SERIAL CH340 (COM13)");
    EXPECT_EQ(items[11].text, "com 24");
    EXPECT_FALSE(items[0].present);
}

TEST(SerialPortList, FailedOpenNamesThePortAndWhy) {
    const PortItem com13{"com 13", 13, "", "", true};
    const PortItem usb{"ttyUSB0", 0, "/dev/ttyUSB0", "", true};
    EXPECT_EQ(PortOpenFailure(com13, std::make_error_code(std::errc::no_such_file_or_directory)),
              "Порт COM13 занят другой программой или не доступен.\nПорта нет на компьютере.");
    EXPECT_EQ(
        PortOpenFailure(usb, std::make_error_code(std::errc::device_or_resource_busy)),
        "Порт ttyUSB0 занят другой программой или не доступен.\nПорт открыт другой программой.");
    EXPECT_EQ(PortOpenFailure(com13, std::make_error_code(std::errc::permission_denied)),
              "Порт COM13 занят другой программой или не доступен.\nПричина: нет прав доступа.");
}

TEST_F(SerialPortTest, OpensAt1200EightNoneOneRawAndSettles) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(clock_.slept, std::vector<int>{300});

    termios tio{};
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B1200);
    EXPECT_EQ(::cfgetispeed(&tio), B1200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

// Every byte value must cross unchanged: CR, XON/XOFF, Ctrl-C and 0xFF all occur in frames.
TEST_F(SerialPortTest, EveryByteValueCrossesBothWaysUnchanged) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    std::vector<uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);

    ASSERT_TRUE(port.write(all.data(), all.size()));
    EXPECT_EQ(panelReceives(all.size()), all);

    panelSends(all);
    std::vector<uint8_t> got(all.size());
    EXPECT_EQ(port.read(got.data(), got.size()), all.size());
    EXPECT_EQ(got, all);
}

TEST_F(SerialPortTest, ReadTimeOutsFollowTheRequestedCount) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    uint8_t bytes[4] = {};

    // Silent line: one byte gives up after about 110 ms.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(bytes, 1), 0u);
    EXPECT_GE(ElapsedMs(start), 80);
    EXPECT_LE(ElapsedMs(start), 1000);

    // Four bytes waiting: no waiting for the 410 ms total.
    panelSends({0x55, 0x55, 0x0A, 0xB8});
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(bytes, 4), 4u);
    EXPECT_LT(ElapsedMs(start), 300);
    EXPECT_EQ(bytes[3], 0xB8);

    // Two of four: the total time-out ends the call with what arrived.
    panelSends({0x01, 0x02});
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(bytes, 4), 2u);
    EXPECT_GE(ElapsedMs(start), 300);
    EXPECT_LE(ElapsedMs(start), 2000);
    EXPECT_EQ(bytes[0], 0x01);
}

TEST_F(SerialPortTest, ReadReturnsAsSoonAsTheLastByteArrives) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    panelSends({0x55, 0x55});
    ASSERT_TRUE(WaitFor([&] { return waitingAtPort() == 2; }));
    std::thread late([&] {
        // Once the port has taken the first two bytes, it waits for the rest.
        EXPECT_TRUE(WaitFor([&] { return waitingAtPort() == 0; }));
        panelSends({0x0A, 0xB8});
    });
    uint8_t bytes[4] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(bytes, 4), 4u);
    EXPECT_LT(ElapsedMs(start), 380);
    late.join();
}

TEST_F(SerialPortTest, PortIsExclusiveUntilClosedAndReopens) {
    SerialPort first(clock_);
    SerialPort second(clock_);
    ASSERT_TRUE(first.open(com3_));
    EXPECT_TRUE(exclusiveFlag());
    const auto held = second.open(com3_);
    ASSERT_FALSE(held);
    EXPECT_EQ(held.error(),
              "Порт COM3 занят другой программой или не доступен.\nПорт открыт другой программой.");
    EXPECT_FALSE(second.isOpen());

    // The flag must not outlive the close: an ordinary user would get EBUSY on reopen.
    first.close();
    EXPECT_FALSE(first.isOpen());
    EXPECT_FALSE(exclusiveFlag());
    ASSERT_TRUE(second.open(com3_));
    // Opening again closes the old handle instead of leaking it, which would lock us out.
    ASSERT_TRUE(second.open(com3_));
    EXPECT_FALSE(first.open(com3_));
}

TEST_F(SerialPortTest, MissingOrNonSerialDevicesDoNotOpen) {
    SerialPort port(clock_);
    ::setenv("KERMA740_COM3", "/nonexistent/ttyX", 1);
    const auto missing = port.open(com3_);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(),
              "Порт COM3 занят другой программой или не доступен.\nПорта нет на компьютере.");
    EXPECT_FALSE(missing.failure().reason.empty());
    ::setenv("KERMA740_COM3", "/dev/null", 1);
    const auto refused = port.open(com3_);
    ASSERT_FALSE(refused);
    const std::string refusedWhy = "Порт COM3 занят другой программой или не доступен.\nПричина: ";
    EXPECT_EQ(refused.error().rfind(refusedWhy, 0), 0u);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(clock_.slept.empty());
    uint8_t byte = 0x55;
    EXPECT_FALSE(port.write(&byte, 1));
    EXPECT_EQ(port.read(&byte, 1), 0u);
}

TEST_F(SerialPortTest, CloseReleasesAReaderAtOnce) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    auto line = port.line();
    size_t got = 99;
    long readMs = 0;
    std::atomic<pid_t> readerId{0};
    std::thread reader([&] {
        uint8_t bytes[64];
        readerId = ::gettid();
        const auto start = std::chrono::steady_clock::now();
        got = line->read(bytes, sizeof bytes);  // would wait 6.4 s on a silent line
        readMs = ElapsedMs(start);
    });
    ASSERT_TRUE(WaitFor([&] { return readerId != 0 && Sleeping(readerId); }));
    port.close();
    reader.join();
    EXPECT_EQ(got, 0u);
    EXPECT_LT(readMs, 3000);
    uint8_t byte = 0;
    EXPECT_FALSE(line->write(&byte, 1));
    EXPECT_EQ(line->read(&byte, 1), 0u);
}

// An exchange thread keeps the connection it started on; after a reconnect it must not reach
// the new one.
TEST_F(SerialPortTest, OldConnectionNeverReachesTheNewOne) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    auto old = port.line();
    ASSERT_TRUE(port.open(com3_));
    panelSends({0x42});
    uint8_t byte = 0;
    EXPECT_EQ(old->read(&byte, 1), 0u);
    EXPECT_FALSE(old->write(&byte, 1));
    EXPECT_EQ(port.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x42);
}

TEST_F(SerialPortTest, PurgeDropsWhatWaitsOnTheLine) {
    SerialPort port(clock_);
    ASSERT_TRUE(port.open(com3_));
    panelSends({1, 2, 3});
    ASSERT_TRUE(WaitFor([&] { return waitingAtPort() == 3; }));
    port.purgeReceive();
    port.purgeTransmit();
    uint8_t byte = 0;
    EXPECT_EQ(port.read(&byte, 1), 0u);
}

}  // namespace
}  // namespace kerma
