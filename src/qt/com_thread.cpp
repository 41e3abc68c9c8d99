#include "com_thread.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <system_error>
#include <utility>
#include <vector>

#include "keep_awake.h"
#include "system_error_text.h"

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

Result<std::unique_ptr<UiCallQueue>> UiCallQueue::Create(QObject* parent) {
    int wake[2] = {-1, -1};
#ifndef _WIN32
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        const std::string why = SystemErrorText(std::error_code(errno, std::generic_category()));
        return Fail("Программа не может начать работу: система не дала ресурсов для обмена с "
                    "прибором.\nПричина: " + why + ".",
                    why);
    }
#endif
    return std::unique_ptr<UiCallQueue>(new UiCallQueue(wake, parent));
}

UiCallQueue::UiCallQueue(const int (&wake)[2], QObject* parent)
    : QObject(parent), wake_{wake[0], wake[1]} {
#ifndef _WIN32
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

TComThread::TComThread(LinkStep step, std::shared_ptr<ByteChannel> channel, Clock& clock,
                       LinkState& state, LinkHost* const& host, UiCallQueue& ui)
    : step_(std::move(step)),
      channel_(std::move(channel)),
      clock_(clock),
      state_(state),
      host_(host),
      ui_(ui) {}

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
    // Each call of the exchange runs in the UI thread while the worker waits, parked.
    const auto inUiThread = [this](const HostCall& call) {
        parked_ = true;
        ui_.call([&] {
            if (host_ != nullptr) call(*host_);
        });
        parked_ = false;
    };
    ExchangeContext ctx{*channel_, clock_, state_, inUiThread, terminated_};
    {
        KeepAwake awake(step_.op);
        end_ = RunExchange(step_, ctx);
    }
    if (!superseded_) {
        channel_->purgeReceive();
        channel_->purgeTransmit();
    }
    if (onFinished_) ui_.post(onFinished_);
}

// --- LinkRunner ------------------------------------------------------------------------------

Result<std::unique_ptr<LinkRunner>> LinkRunner::Create(Clock& clock) {
    auto calls = UiCallQueue::Create();
    if (!calls) return calls.failure();
    return std::make_unique<LinkRunner>(std::move(*calls), clock);
}

LinkRunner::LinkRunner(std::unique_ptr<UiCallQueue> calls, Clock& clock)
    : clock_(clock), port_(clock), calls_(std::move(calls)) {}

LinkRunner::~LinkRunner() {
    // Release workers waiting for the UI first: joining one that waits for this thread would
    // never end.
    calls_->close();
    stopCurrent();
    port_.close();
    threads_.clear();
}

void LinkRunner::start(LinkStep step) {
    auto channel = channelSource_ ? channelSource_() : port_.line();
    Entry entry{std::make_unique<TComThread>(std::move(step), channel, clock_, state_, host_,
                                             *calls_),
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

// The next exchange of a chain starts once the one before has purged the line; a stopped chain
// goes no further, and a lost line ends the connection.
void LinkRunner::finished(const TComThread* thread) {
    const auto it = std::find_if(threads_.begin(), threads_.end(),
                                 [&](const Entry& e) { return e.thread.get() == thread; });
    if (it == threads_.end()) return;
    ExchangeEnd end = it->thread->takeEnd();
    const bool stopped = it->thread->isTerminated();
    threads_.erase(it);  // joins the worker, which has nothing left to do
    for (Entry& entry : threads_) {
        if (entry.thread->isStarted()) continue;
        std::erase(entry.waitsFor, thread);
        if (entry.waitsFor.empty()) launch(entry);
    }
    if (end.lineLost) {
        stopCurrent();
        closePort();
    } else if (end.next && !stopped) {
        start(std::move(*end.next));
    }
}

void LinkRunner::stopCurrent() {
    for (Entry& entry : threads_) entry.thread->terminate();
}

}  // namespace kerma
