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
#include "result.h"
#include "serial_port.h"

class QSocketNotifier;

namespace kerma {

// Runs functions in the thread that owns it (the UI thread) on behalf of exchange threads. The
// hand-over uses standard mutexes only and the worker never calls into Qt, so ThreadSanitizer
// sees every edge: the worker wakes the owner's event loop through a pipe it watches.
class UiCallQueue final : public QObject {
    Q_OBJECT
  public:
    // Fails where the system gives no pipe for the wake-ups (no file descriptors left); the
    // program cannot talk to a panel then and does not start.
    [[nodiscard]] static Result<std::unique_ptr<UiCallQueue>> Create(QObject* parent = nullptr);
    ~UiCallQueue() override;
    UiCallQueue(const UiCallQueue&) = delete;
    UiCallQueue& operator=(const UiCallQueue&) = delete;

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
    // wake: the pipe's read and write ends (unused on Windows).
    UiCallQueue(const int (&wake)[2], QObject* parent);
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

// One exchange in a thread of its own: purges the line, runs the exchange, purges again. Every
// call the exchange makes to the program runs in the UI thread while the worker waits, in the
// order the exchange makes them.
class TComThread {
  public:
    // host: the program's side, looked up in the UI thread at each call; null drops the call (the
    // window it was for has closed).
    TComThread(LinkStep step, std::shared_ptr<ByteChannel> channel, Clock& clock, LinkState& state,
               LinkHost* const& host, UiCallQueue& ui);
    ~TComThread();  // waits for the worker; by then it has ended or been told to stop
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // UI thread. onFinished runs in the UI thread once the work and the closing purge are done.
    void start(std::function<void()> onFinished = {});
    // The cooperative stop: the exchange notices it at its check points. Before start, the
    // exchange does no line work at all.
    void terminate() { terminated_ = true; }
    [[nodiscard]] bool isTerminated() const { return terminated_; }
    [[nodiscard]] bool isStarted() const { return thread_.joinable(); }
    // Waiting for the UI thread inside a host call, so not touching the line.
    [[nodiscard]] bool isParked() const { return parked_; }
    // A newer exchange took the line while this one was parked: it purged at its start, and this
    // one must not wipe its bytes with the closing purge.
    void markSuperseded() { superseded_ = true; }
    [[nodiscard]] LinkOperation operation() const { return step_.op; }
    [[nodiscard]] const ByteChannel* channel() const { return channel_.get(); }
    // How the exchange ended; read in onFinished.
    [[nodiscard]] ExchangeEnd takeEnd() { return std::move(end_); }
    void join();

  private:
    void run();

    const LinkStep step_;
    const std::shared_ptr<ByteChannel> channel_;
    Clock& clock_;
    LinkState& state_;
    LinkHost* const& host_;
    UiCallQueue& ui_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> parked_{false};
    std::atomic<bool> superseded_{false};
    ExchangeEnd end_;
    std::function<void()> onFinished_;
    std::thread thread_;
};

// The desktop program's LinkDriver: the port, the link state, and the exchange threads of the
// connection. It chains the exchanges of a chain itself, and stops and closes the link when the
// line is lost.
class LinkRunner final : public LinkDriver {
  public:
    // Fails as UiCallQueue::Create does.
    [[nodiscard]] static Result<std::unique_ptr<LinkRunner>> Create(
        Clock& clock = SystemClock::instance());
    LinkRunner(std::unique_ptr<UiCallQueue> calls, Clock& clock);
    ~LinkRunner() override;
    LinkRunner(const LinkRunner&) = delete;
    LinkRunner& operator=(const LinkRunner&) = delete;

    // The window the exchanges report to; null while none is open (a stopped exchange finishing
    // after its window closed has nobody to tell).
    void setHost(LinkHost* host) { host_ = host; }

    [[nodiscard]] SerialPort& port() { return port_; }
    LinkState& state() override { return state_; }
    void closePort() override { port_.close(); }

    // Starts an exchange at once, or as soon as the exchanges still working on the same line
    // have ended.
    void start(LinkStep step) override;
    void start(LinkOperation op) { start(Step(op)); }
    // Tells every exchange not yet ended to stop; nothing more is started for them.
    void stopCurrent() override;
    // Some exchange has not ended yet.
    [[nodiscard]] bool busy() const { return !threads_.empty(); }

    // Tests run the exchanges over a channel of their own instead of the port.
    void setChannelSource(std::function<std::shared_ptr<ByteChannel>()> source) {
        channelSource_ = std::move(source);
    }

  private:
    struct Entry {
        std::unique_ptr<TComThread> thread;
        std::vector<const TComThread*> waitsFor;
    };
    void launch(Entry& entry);
    void finished(const TComThread* thread);

    LinkHost* host_ = nullptr;
    Clock& clock_;
    SerialPort port_;
    LinkState state_;
    std::unique_ptr<UiCallQueue> calls_;
    std::deque<Entry> threads_;  // oldest first
    std::function<std::shared_ptr<ByteChannel>()> channelSource_;
};

}  // namespace kerma
