#include "com_thread.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <system_error>
#include <utility>
#include <vector>

#include "keep_awake.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>
#endif

namespace kerma {
namespace {

// Bytes at 1200 baud must not wait behind the UI. Where the system refuses (no right to a
// real-time class), the thread simply runs at its normal priority.
void RaisePriority() {
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
#else
    // The lowest real-time level already outranks every ordinary thread; the worker sleeps or
    // waits nearly all the time, so it never starves the machine.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
#endif
}

}  // namespace

// --- UiCallQueue -----------------------------------------------------------------------------

UiCallQueue::UiCallQueue(QObject* parent) : QObject(parent) {
#ifndef _WIN32
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category());
    }
    notifier_ = new QSocketNotifier(wake_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UiCallQueue::serve);
#endif
}

UiCallQueue::~UiCallQueue() {
    close();
#ifndef _WIN32
    delete notifier_;  // stop watching before the pipe goes
    std::lock_guard lock(mutex_);
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
#endif
}

void UiCallQueue::call(std::function<void()> fn) {
    bool done = false;
    std::unique_lock lock(mutex_);
    if (closed_) return;
    queue_.push_back({std::move(fn), &done});
    wakeLocked();
    served_.wait(lock, [&] { return done; });
}

void UiCallQueue::post(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    queue_.push_back({std::move(fn), nullptr});
    wakeLocked();
}

// Under the lock, so the owner cannot close the pipe in between.
void UiCallQueue::wakeLocked() {
#ifdef _WIN32
    QMetaObject::invokeMethod(this, "serve", Qt::QueuedConnection);
#else
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
#endif
}

void UiCallQueue::serve() {
#ifndef _WIN32
    char drain[64];
    while (::read(wake_[0], drain, sizeof drain) > 0) {
    }
#endif
    // A handler may run an event loop of its own (a modal dialog); it serves what comes next.
    while (serveOne()) {
    }
}

bool UiCallQueue::serveOne() {
    Item item;
    {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return false;
        item = std::move(queue_.front());
        queue_.pop_front();
    }
    // The worker must be released even when the handler throws on its way to the top-level
    // handler; its captures refer to the worker's stack, so they go before it is released.
    struct Release {
        UiCallQueue& queue;
        Item& item;
        ~Release() {
            item.fn = nullptr;
            if (item.done == nullptr) return;
            std::lock_guard lock(queue.mutex_);
            *item.done = true;
            queue.served_.notify_all();
        }
    } release{*this, item};
    item.fn();
    return true;
}

void UiCallQueue::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (Item& item : queue_) {
        item.fn = nullptr;
        if (item.done != nullptr) *item.done = true;
    }
    queue_.clear();
    served_.notify_all();
}

// --- TComThread ------------------------------------------------------------------------------

// The worker's LinkHost: every call runs in the UI thread and the worker waits for it.
class TComThread::HostProxy final : public LinkHost {
  public:
    HostProxy(TComThread& thread, LinkHost& target) : thread_(thread), target_(target) {}

    // The end of a read or write ("... завершено/завершена") reaches the UI thread in one go
    // with the calls that complete it (the buttons enabled, the block decoded): between two
    // parked calls the UI thread serves the user, and a status saying the read is done over a
    // stale editor, or a finished write whose buttons are still disabled, must never be seen.
    void outcome(int32_t code, int attempt) override {
        auto deliver = [this, code, attempt] {
            if (!staleAfterStop(code)) target_.outcome(code, attempt);
        };
        if (code == LinkResult::Read || code == LinkResult::Written) {
            held_.push_back(deliver);
            return;
        }
        park(deliver);
    }
    void progress(int percent) override {
        park([&] { target_.progress(percent); });
    }
    void blockProgress(LinkOperation op, int done, int total) override {
        park([&] { target_.blockProgress(op, done, total); });
    }
    void linkLost() override {
        park([&] { target_.linkLost(); });
    }
    void codesRead(Block block) override {
        park([&] { target_.codesRead(std::move(block)); });
    }
    void settingsRead(Block block, bool identify) override {
        park([&] { target_.settingsRead(std::move(block), identify); });
    }
    void readFinished() override {
        auto deliver = [this] { target_.readFinished(); };
        if (!held_.empty()) {
            held_.push_back(deliver);  // the decode that follows completes the read
            return;
        }
        park(deliver);
    }
    void writeFinished() override {
        park([&] { target_.writeFinished(); });
    }
    Block buildSettingsImage() override {
        Block image;
        park([&] { image = target_.buildSettingsImage(); });
        return image;
    }
    // The exchange's last act. It is not parked: it still purges the line afterwards, so the
    // next exchange on the line waits for it. A stopped chain goes no further.
    void startExchange(LinkOperation op, Block data) override {
        std::vector<std::function<void()>> before = std::exchange(held_, {});
        thread_.ui_.call([&] {
            for (const auto& call : before) call();
            if (!thread_.terminated_) target_.startExchange(op, std::move(data));
        });
    }
    void uploadFinished() override {
        park([&] { target_.uploadFinished(); });
    }
    void reconnect() override {
        park([&] { target_.reconnect(); });
    }

  private:
    // A failure the exchange ran into just before the user's stop reaches the UI thread after
    // it: "Разорвать связь" has already said "Нет связи с прибором", and that is what stays.
    [[nodiscard]] bool staleAfterStop(int32_t code) const {
        return thread_.terminated_ &&
               (code == LinkResult::TimeOut || code == LinkResult::BlockFailed);
    }
    void park(const std::function<void()>& fn) {
        std::vector<std::function<void()>> before = std::exchange(held_, {});
        thread_.parked_ = true;
        thread_.ui_.call([&] {
            for (const auto& call : before) call();
            fn();
        });
        thread_.parked_ = false;
    }

  public:
    // Whatever an exchange held back and did not complete still reaches the UI thread.
    void flush() {
        if (!held_.empty()) park([] {});
    }

  private:
    TComThread& thread_;
    LinkHost& target_;
    std::vector<std::function<void()>> held_;
};

TComThread::TComThread(LinkOperation op, Block data, std::shared_ptr<ByteChannel> channel,
                       Clock& clock, LinkState& state, LinkHost& host, UiCallQueue& ui)
    : op_(op),
      data_(std::move(data)),
      channel_(std::move(channel)),
      clock_(clock),
      state_(state),
      ui_(ui),
      proxy_(std::make_unique<HostProxy>(*this, host)) {}

TComThread::~TComThread() {
    join();
}

void TComThread::start(std::function<void()> onFinished) {
    if (thread_.joinable()) return;
    onFinished_ = std::move(onFinished);
    thread_ = std::thread([this] { run(); });
}

void TComThread::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TComThread::run() {
    RaisePriority();
    channel_->purgeReceive();
    channel_->purgeTransmit();
    ExchangeContext ctx{*channel_, clock_, state_, *proxy_, terminated_};
    {
        KeepAwake awake(op_);
        RunExchange(op_, data_, ctx);
    }
    proxy_->flush();
    if (!superseded_) {
        channel_->purgeReceive();
        channel_->purgeTransmit();
    }
    if (onFinished_) ui_.post(onFinished_);
}

// --- LinkRunner ------------------------------------------------------------------------------

LinkRunner::LinkRunner(LinkHost& ui, Clock& clock) : ui_(ui), clock_(clock), port_(clock) {}

LinkRunner::~LinkRunner() {
    // Release workers waiting for the UI first: joining one that waits for this thread would
    // never end.
    calls_.close();
    stopCurrent();
    port_.close();
    threads_.clear();
}

void LinkRunner::start(LinkOperation op, Block data) {
    auto channel = channelSource_ ? channelSource_() : port_.line();
    Entry entry{
        std::make_unique<TComThread>(op, std::move(data), channel, clock_, state_, *this, calls_),
        {}};
    // An exchange parked in a call to this thread (identification asking for the firmware
    // replacement, say) stays out of the way; any other still owns the line until it ends.
    for (Entry& older : threads_) {
        TComThread& thread = *older.thread;
        if (thread.channel() != channel.get()) continue;
        if (thread.isStarted() && thread.isParked()) {
            thread.markSuperseded();
        } else {
            entry.waitsFor.push_back(&thread);
        }
    }
    threads_.push_back(std::move(entry));
    if (threads_.back().waitsFor.empty()) launch(threads_.back());
}

void LinkRunner::launch(Entry& entry) {
    const TComThread* thread = entry.thread.get();
    entry.thread->start([this, thread] { finished(thread); });
}

void LinkRunner::finished(const TComThread* thread) {
    const auto it = std::find_if(threads_.begin(), threads_.end(),
                                 [&](const Entry& e) { return e.thread.get() == thread; });
    if (it == threads_.end()) return;
    threads_.erase(it);  // joins the worker, which has nothing left to do
    for (Entry& entry : threads_) {
        if (entry.thread->isStarted()) continue;
        std::erase(entry.waitsFor, thread);
        if (entry.waitsFor.empty()) launch(entry);
    }
}

void LinkRunner::stopCurrent() {
    for (Entry& entry : threads_) entry.thread->terminate();
}

TComThread* LinkRunner::current() const {
    return threads_.empty() ? nullptr : threads_.back().thread.get();
}

void LinkRunner::linkLost() {
    stopCurrent();
    closePort();
    ui_.linkLost();
}

}  // namespace kerma
