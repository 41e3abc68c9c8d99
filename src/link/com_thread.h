#pragma once
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "exchange.h"
#include "serial_port.h"

class QSocketNotifier;

namespace kerma {

// Runs functions in the thread that owns it (the UI thread) on behalf of exchange threads. The
// hand-over uses standard mutexes only and the worker never calls into Qt, so ThreadSanitizer
// sees every edge: the worker wakes the owner's event loop through a pipe it watches.
class UiCallQueue final : public QObject {
    Q_OBJECT
  public:
    explicit UiCallQueue(QObject* parent = nullptr);
    ~UiCallQueue() override;

    // From a worker: runs fn in the owner thread and waits for it to return. Once the queue is
    // closed, returns without running fn.
    void call(std::function<void()> fn);
    // From a worker: runs fn in the owner thread later; the worker goes on.
    void post(std::function<void()> fn);
    // Owner thread: drops what is queued and releases every worker waiting in call(). A call that
    // is being served at that moment still runs to its end.
    void close();

  private:
    struct Item {
        std::function<void()> fn;
        bool* done = nullptr;  // the waiting worker's flag; null for a post
    };
    void wakeLocked();
    Q_INVOKABLE void serve();
    bool serveOne();

    std::mutex mutex_;
    std::condition_variable served_;
    std::deque<Item> queue_;
    bool closed_ = false;
    // Unused on Windows, where a queued call of Qt's own wakes the loop.
    int wake_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

// One exchange in a thread of its own: purges the line, runs the operation, purges again. Every
// LinkHost call of the operation runs in the UI thread while the worker waits, in the order the
// operation makes them.
class TComThread {
  public:
    TComThread(LinkOperation op, Block data, std::shared_ptr<ByteChannel> channel, Clock& clock,
               LinkState& state, LinkHost& host, UiCallQueue& ui);
    ~TComThread();  // waits for the worker; by then it has ended or been told to stop
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // UI thread. onFinished runs in the UI thread once the work and the closing purge are done.
    void start(std::function<void()> onFinished = {});
    // The cooperative stop: the operation notices it at its check points. Before start, the
    // operation does no line work at all.
    void terminate() { terminated_ = true; }
    [[nodiscard]] bool isTerminated() const { return terminated_; }
    [[nodiscard]] bool isStarted() const { return thread_.joinable(); }
    // Waiting for the UI thread inside a host call, so not touching the line.
    [[nodiscard]] bool isParked() const { return parked_; }
    // A newer exchange took the line while this one was parked: it purged at its start, and this
    // one must not wipe its bytes with the closing purge.
    void markSuperseded() { superseded_ = true; }
    [[nodiscard]] LinkOperation operation() const { return op_; }
    [[nodiscard]] const ByteChannel* channel() const { return channel_.get(); }
    void join();

  private:
    class HostProxy;
    void run();

    const LinkOperation op_;
    const Block data_;
    const std::shared_ptr<ByteChannel> channel_;
    Clock& clock_;
    LinkState& state_;
    UiCallQueue& ui_;
    std::unique_ptr<HostProxy> proxy_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> parked_{false};
    std::atomic<bool> superseded_{false};
    std::function<void()> onFinished_;
    std::thread thread_;
};

// What the main window uses to run the link: the port, the link state, and the exchange threads
// of the connection. As a LinkHost it stands between the threads and the window: it forwards
// every call to the window's host, starts the next exchange of a chain itself, and stops and
// closes the link when the handshake found no panel.
class LinkRunner final : public LinkHost {
  public:
    explicit LinkRunner(LinkHost& ui, Clock& clock = SystemClock::instance());
    ~LinkRunner() override;
    LinkRunner(const LinkRunner&) = delete;
    LinkRunner& operator=(const LinkRunner&) = delete;

    [[nodiscard]] SerialPort& port() { return port_; }
    [[nodiscard]] LinkState& state() { return state_; }
    // Opens anew (a port still open is closed first). False: show PortBusyMessage.
    [[nodiscard]] bool openPort(int portNumber) { return port_.open(portNumber); }
    void closePort() { port_.close(); }

    // Starts an exchange at once, or as soon as the exchanges still working on the same line
    // have ended. It becomes the current exchange.
    void start(LinkOperation op, Block data = {});
    // Tells every exchange not yet ended to stop; nothing more is started for them.
    void stopCurrent();
    [[nodiscard]] TComThread* current() const;
    // Some exchange has not ended yet.
    [[nodiscard]] bool busy() const { return !threads_.empty(); }

    // Tests run the exchanges over a channel of their own instead of the port.
    void setChannelSource(std::function<std::shared_ptr<ByteChannel>()> source) {
        channelSource_ = std::move(source);
    }

    // LinkHost, called in the UI thread on behalf of the exchange threads.
    void outcome(int32_t code, int attempt) override { ui_.outcome(code, attempt); }
    void progress(int percent) override { ui_.progress(percent); }
    void blockProgress(LinkOperation op, int done, int total) override {
        ui_.blockProgress(op, done, total);
    }
    void linkLost() override;
    void codesRead(Block block) override { ui_.codesRead(std::move(block)); }
    void settingsRead(Block block, bool identify) override {
        ui_.settingsRead(std::move(block), identify);
    }
    void readFinished() override { ui_.readFinished(); }
    void writeFinished() override { ui_.writeFinished(); }
    Block buildSettingsImage() override { return ui_.buildSettingsImage(); }
    void startExchange(LinkOperation op, Block data) override { start(op, std::move(data)); }
    void uploadFinished() override { ui_.uploadFinished(); }
    void reconnect() override { ui_.reconnect(); }

  private:
    struct Entry {
        std::unique_ptr<TComThread> thread;
        std::vector<const TComThread*> waitsFor;
    };
    void launch(Entry& entry);
    void finished(const TComThread* thread);

    LinkHost& ui_;
    Clock& clock_;
    SerialPort port_;
    LinkState state_;
    UiCallQueue calls_;
    std::deque<Entry> threads_;  // oldest first
    std::function<std::shared_ptr<ByteChannel>()> channelSource_;
};

}  // namespace kerma
