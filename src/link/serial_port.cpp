#include "serial_port.h"

#include "system_error_text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include <cctype>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kerma {
namespace {

// Writes get the same time-outs as reads.
constexpr int kPerByteMs = kReadMsPerByte;
constexpr int kConstantMs = kReadConstantMs;
// The panel needs the raised control lines for a moment before the first byte.
constexpr int kSettleMs = 300;

#ifndef _WIN32
using Steady = std::chrono::steady_clock;

Steady::time_point TotalDeadline(size_t count) {
    return Steady::now() + std::chrono::milliseconds(kReadMsPerByte * count + kReadConstantMs);
}
#endif

}  // namespace

// One opened device. An exchange thread keeps its own reference, so a close in the UI thread
// never pulls the descriptor from under a read, and a later open never hands the thread another
// connection's bytes.
class SerialLine final : public ByteChannel {
  public:
    SerialLine() = default;
    ~SerialLine() override { shutdown(); }
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Before the line is shared. Why it failed; empty when the line is open.
    std::error_code open(const std::string& device);
    // Wakes a reader or writer, waits for it to leave, releases the device.
    void shutdown();
    [[nodiscard]] bool isOpen() const { return open_; }

    bool write(const uint8_t* bytes, size_t count) override;
    size_t read(uint8_t* bytes, size_t count) override;
    void purgeReceive() override;
    void purgeTransmit() override;
    [[nodiscard]] bool gone() const override { return gone_; }

  private:
    void release();
    // A failed call whose reason says the device is no longer there.
    void noteFailure(bool deviceGone) {
        if (deviceGone && open_) gone_ = true;
    }

    std::mutex io_;  // held for the length of one read or write call
    std::atomic<bool> open_{false};
    std::atomic<bool> gone_{false};
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE claim_ = nullptr;  // the port's named mutex while we hold the port
    bool fineTimer_ = false;
#else
    bool configure();
    // Waits until fd_ is ready for events or until the deadline; false on the wake-up from
    // shutdown, an error or the time-out.
    bool waitFor(short events, Steady::time_point deadline);

    int fd_ = -1;
    bool exclusive_ = false;  // the exclusive flag is ours to clear
    int wake_[2] = {-1, -1};  // written once by shutdown, so every wait returns at once
#endif
};

void SerialLine::shutdown() {
    if (!open_.exchange(false)) return;
#ifdef _WIN32
    PurgeComm(handle_, PURGE_RXABORT | PURGE_TXABORT);
#else
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(wake_[1], &byte, 1);
#endif
    std::lock_guard lock(io_);
    release();
}

#ifdef _WIN32

namespace {

// Windows' serial drivers refuse a second open of a port, but Wine checks share modes only on
// files, so there two programs could drive one line at once. A mutex named after the port keeps
// our own programs apart everywhere; null when another one holds the port.
HANDLE ClaimPort(const std::string& device) {
    std::string name = "Global\\kerma740-port-";
    size_t start = 0;
    if (device.rfind("\\\\.\\", 0) == 0 || device.rfind("//./", 0) == 0) start = 4;
    for (size_t i = start; i < device.size(); ++i) {
        const char c = device[i];
        name += (c == '\\' || c == '/')
                    ? '_'
                    : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

bool Configure(HANDLE h) {
    EscapeCommFunction(h, SETDTR);
    EscapeCommFunction(h, SETRTS);
    COMMTIMEOUTS timeouts{};
    bool ok = GetCommTimeouts(h, &timeouts) != 0;
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = kPerByteMs;
    timeouts.ReadTotalTimeoutConstant = kConstantMs;
    timeouts.WriteTotalTimeoutMultiplier = kPerByteMs;
    timeouts.WriteTotalTimeoutConstant = kConstantMs;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ok = ok && SetCommTimeouts(h, &timeouts) != 0 && GetCommState(h, &dcb) != 0;
    if (!ok) return false;
    dcb.BaudRate = CBR_1200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (SetCommState(h, &dcb) == 0) return false;
    // The control modes stay as the driver reported them; one left at "disable" by another
    // program has just dropped the lines the panel needs raised.
    EscapeCommFunction(h, SETDTR);
    EscapeCommFunction(h, SETRTS);
    return true;
}

}  // namespace

std::error_code SerialLine::open(const std::string& device) {
    claim_ = ClaimPort(device);
    if (claim_ == nullptr) return std::make_error_code(std::errc::device_or_resource_busy);
    handle_ = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          0, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE || !Configure(handle_)) {
        // A failure is never "no error", or the port would pass for open.
        const DWORD code = GetLastError();
        const std::error_code error(code != 0 ? static_cast<int>(code) : ERROR_GEN_FAILURE,
                                    std::system_category());
        release();
        return error;
    }
    // The pauses between reads and of the upload are 5 ms; the default tick of 15.6 ms would
    // stretch every one of them threefold while the link is up.
    fineTimer_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    open_ = true;
    return {};
}

void SerialLine::release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (claim_ != nullptr) CloseHandle(claim_);
    claim_ = nullptr;
    if (fineTimer_) timeEndPeriod(1);
    fineTimer_ = false;
}

namespace {

// What the drivers answer once a USB adapter has been pulled out. An aborted call counts only
// while the line is open: our own close aborts the call under it on purpose, and the purges at
// the start and end of an exchange never run beside a read or write (they take the same lock).
bool DeviceGone(DWORD error) {
    switch (error) {
        case ERROR_DEVICE_REMOVED:
        case ERROR_BAD_COMMAND:
        case ERROR_ACCESS_DENIED:
        case ERROR_GEN_FAILURE:
        case ERROR_OPERATION_ABORTED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_INVALID_HANDLE:
        case ERROR_NOT_READY:  // Wine, once the far end of its serial device has hung up
            return true;
        default:
            return false;
    }
}

}  // namespace

bool SerialLine::write(const uint8_t* bytes, size_t count) {
    std::lock_guard lock(io_);
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    if (WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr) != 0) return true;
    noteFailure(DeviceGone(GetLastError()));
    return false;
}

size_t SerialLine::read(uint8_t* bytes, size_t count) {
    std::lock_guard lock(io_);
    if (handle_ == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    if (!ReadFile(handle_, bytes, static_cast<DWORD>(count), &got, nullptr)) {
        noteFailure(DeviceGone(GetLastError()));
        return 0;
    }
    if (got == 0) {
        // Some drivers answer a read on a pulled adapter as a time-out; asking for the port's
        // state then fails the way a read should have.
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status)) noteFailure(DeviceGone(GetLastError()));
    }
    return got;
}

void SerialLine::purgeReceive() {
    std::lock_guard lock(io_);
    if (handle_ != INVALID_HANDLE_VALUE) PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
}

void SerialLine::purgeTransmit() {
    std::lock_guard lock(io_);
    if (handle_ != INVALID_HANDLE_VALUE) PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
}

#else  // POSIX

std::error_code SerialLine::open(const std::string& device) {
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return {errno, std::generic_category()};
    // TIOCEXCL keeps other programs out but lets root through; the lock also stops a second open
    // by root or by this same program. Lock first: if someone else holds the port, its
    // exclusive flag is not ours to touch.
    bool ok = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    exclusive_ = ok && ::ioctl(fd_, TIOCEXCL) == 0;
    ok = exclusive_;
    ok = ok && ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) == 0;
    if (ok) {
        // A pseudo-terminal has no modem lines and refuses; the panel side does not care.
        int bits = TIOCM_DTR;
        ::ioctl(fd_, TIOCMBIS, &bits);
        bits = TIOCM_RTS;
        ::ioctl(fd_, TIOCMBIS, &bits);
        ok = configure();
    }
    if (!ok) {
        // A lock held elsewhere says EWOULDBLOCK: the port is busy, not broken.
        const int code = errno == EWOULDBLOCK ? EBUSY : errno;
        const std::error_code error(code != 0 ? code : EIO, std::generic_category());
        release();
        return error;
    }
    open_ = true;
    return {};
}

// 1200 8N1 and nothing else: no echo, no line editing, no flow control, no translation.
// The time-outs are kept by read() itself.
bool SerialLine::configure() {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    tio.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B1200);
    ::cfsetospeed(&tio, B1200);
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

void SerialLine::release() {
    if (fd_ >= 0) {
        // On a pseudo-terminal the exclusive flag outlives the close, and an ordinary user
        // would get EBUSY at the next open of the same port.
        if (exclusive_) ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

namespace {

// What a read or write fails with once a USB adapter has been pulled out (or the far end of a
// pseudo-terminal has gone).
bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

}  // namespace

bool SerialLine::waitFor(short events, Steady::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now());
        if (left.count() <= 0) return false;
        pollfd fds[2] = {{fd_, events, 0}, {wake_[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || fds[1].revents != 0) return false;
        if ((fds[0].revents & events) != 0) return true;
        // A hang-up or error without data: the device has gone, and waiting would only spin.
        noteFailure((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0);
        return false;
    }
}

bool SerialLine::write(const uint8_t* bytes, size_t count) {
    std::lock_guard lock(io_);
    if (fd_ < 0) return false;
    const auto deadline = TotalDeadline(count);
    size_t sent = 0;
    while (sent < count) {
        const ssize_t n = ::write(fd_, bytes + sent, count - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            noteFailure(DeviceGone(errno));
            return false;
        } else if (!waitFor(POLLOUT, deadline)) {
            // Like the Windows driver: a write time-out is a completed call with fewer bytes.
            return open_;
        }
    }
    return true;
}

size_t SerialLine::read(uint8_t* bytes, size_t count) {
    std::lock_guard lock(io_);
    if (fd_ < 0) return 0;
    const auto total = TotalDeadline(count);
    size_t got = 0;
    while (got < count) {
        auto deadline = total;
        if (got > 0) {
            deadline = std::min(total, Steady::now() + std::chrono::milliseconds(kReadIntervalMs));
        }
        if (!waitFor(POLLIN, deadline)) break;
        const ssize_t n = ::read(fd_, bytes + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // The port is non-blocking, so no data is EAGAIN; an end of file is a hang-up.
            noteFailure(n == 0 || DeviceGone(errno));
            break;
        }
    }
    return got;
}

void SerialLine::purgeReceive() {
    std::lock_guard lock(io_);
    if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

void SerialLine::purgeTransmit() {
    std::lock_guard lock(io_);
    if (fd_ >= 0) ::tcflush(fd_, TCOFLUSH);
}

#endif

// --- SerialPort ------------------------------------------------------------------------------

SerialPort::SerialPort(Clock& clock) : clock_(clock) {}

SerialPort::~SerialPort() {
    close();
}

#ifdef _WIN32
namespace {
// A bare "COM12" reaches only COM1..COM9; the device namespace form reaches every port.
std::string WindowsDevice(const std::string& name) {
    if (name.rfind("\\\\", 0) == 0 || name.rfind("//", 0) == 0) return name;
    std::string device = "\\\\.\\";
    for (const char c : name) {
        if (c != ' ') device += c;
    }
    return device;
}
}  // namespace
#endif

std::string SerialPort::DeviceName(int portNumber) {
    const std::string number = std::to_string(portNumber);
    const std::string variable = "KERMA740_COM" + number;
    if (const char* device = std::getenv(variable.c_str()); device != nullptr && *device != '\0') {
#ifdef _WIN32
        return WindowsDevice(device);
#else
        return device;
#endif
    }
#ifdef _WIN32
    return "//./COM" + number;
#else
    return "/dev/ttyS" + std::to_string(portNumber - 1);
#endif
}

Result<void> SerialPort::open(const PortItem& port) {
    close();
    auto line = std::make_shared<SerialLine>();
    const std::error_code error =
        line->open(port.number > 0 ? DeviceName(port.number) : port.device);
    if (error) return Fail(PortOpenFailure(port, error), SystemErrorText(error));
    {
        std::lock_guard lock(lineMutex_);
        line_ = std::move(line);
    }
    clock_.sleepMs(kSettleMs);
    return {};
}

void SerialPort::close() {
    std::shared_ptr<SerialLine> line;
    {
        std::lock_guard lock(lineMutex_);
        line.swap(line_);
    }
    if (line) line->shutdown();
}

bool SerialPort::isOpen() const {
    const auto line = current();
    return line && line->isOpen();
}

std::shared_ptr<SerialLine> SerialPort::current() const {
    std::lock_guard lock(lineMutex_);
    return line_;
}

std::shared_ptr<ByteChannel> SerialPort::line() const {
    if (auto line = current()) return line;
    return std::make_shared<SerialLine>();  // closed: every call fails
}

bool SerialPort::write(const uint8_t* bytes, size_t count) {
    const auto line = current();
    return line && line->write(bytes, count);
}

size_t SerialPort::read(uint8_t* bytes, size_t count) {
    const auto line = current();
    return line ? line->read(bytes, count) : 0;
}

void SerialPort::purgeReceive() {
    if (const auto line = current()) line->purgeReceive();
}

void SerialPort::purgeTransmit() {
    if (const auto line = current()) line->purgeTransmit();
}

bool SerialPort::gone() const {
    const auto line = current();
    return line && line->gone();
}

std::string PortBusyMessage(int portNumber) {
    return "Порт COM" + std::to_string(portNumber) + " занят другой программой или не доступен.";
}

}  // namespace kerma
