#pragma once
#include <memory>
#include <mutex>
#include <string>

#include "byte_channel.h"
#include "result.h"
#include "serial_ports.h"

namespace kerma {

class SerialLine;

// The COM port the main window opens at connect and every exchange thread of that connection
// borrows. The UI thread opens and closes it; one exchange thread at a time reads and writes.
class SerialPort final : public ByteChannel {
  public:
    // clock paces the settle pause after opening.
    explicit SerialPort(Clock& clock = SystemClock::instance());
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // "//./COM3" on Windows, /dev/ttyS2 on Linux, unless KERMA740_COM3 names another device
    // (on Windows a port name such as "COM15" is enough).
    [[nodiscard]] static std::string DeviceName(int portNumber);

    // The port the installer chose in the list, by its number (DeviceName) or its device path:
    // exclusive open at 1200 8N1 with DTR and RTS raised, then a 300 ms pause so the panel's
    // line settles. A port still open is closed first. The failure (device absent, held by
    // another program, refused) names the port and why it did not open (PortOpenFailure).
    [[nodiscard]] Result<void> open(const PortItem& port);
    // Safe while an exchange thread is inside read or write: that call returns at once and every
    // later call on the old connection fails.
    void close();
    [[nodiscard]] bool isOpen() const;

    // The connection opened last, for an exchange thread to keep: it stays usable until close()
    // and is never swapped for a later connection under the thread's feet. Closed when the port is.
    [[nodiscard]] std::shared_ptr<ByteChannel> line() const;

    // ByteChannel, on the current connection.
    bool write(const uint8_t* bytes, size_t count) override;
    size_t read(uint8_t* bytes, size_t count) override;
    void purgeReceive() override;
    void purgeTransmit() override;
    [[nodiscard]] bool gone() const override;

  private:
    [[nodiscard]] std::shared_ptr<SerialLine> current() const;

    Clock& clock_;
    mutable std::mutex lineMutex_;
    std::shared_ptr<SerialLine> line_;
};

// "Порт COM3 занят другой программой или не доступен."
[[nodiscard]] std::string PortBusyMessage(int portNumber);

}  // namespace kerma
