#include "com_thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "crc8.h"
#include "frames.h"
#include "made.h"
#include "wait.h"

namespace kerma {
namespace {

using test::Pattern;
using test::WaitFor;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "com_thread_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class NoWaitClock final : public Clock {
  public:
    void sleepMs(int) override {}
};

// A panel that answers at once: echoes every byte, serves its blocks after a read command and
// takes a block after a write command. The log keeps which thread did what on the line.
class FakePanel final : public ByteChannel {
  public:
    FakePanel(Block settings, Block codes) {
        blocks_[0x91] = std::move(settings);
        blocks_[0x93] = std::move(codes);
    }

    bool write(const uint8_t* bytes, size_t count) override {
        std::lock_guard lock(mutex_);
        note('W');
        for (size_t i = 0; i < count; ++i) take(bytes[i]);
        return true;
    }
    size_t read(uint8_t* bytes, size_t count) override {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (; n < count && !rx_.empty(); ++n) {
            bytes[n] = rx_.front();
            rx_.pop_front();
        }
        return n;
    }
    void purgeReceive() override {
        std::lock_guard lock(mutex_);
        note('P');
        rx_.clear();
    }
    void purgeTransmit() override {
        std::lock_guard lock(mutex_);
        note('P');
    }

    Block written(int op) {
        std::lock_guard lock(mutex_);
        return blocks_[op];
    }
    // One letter per line action, a new group whenever another thread acts.
    std::string log() {
        std::lock_guard lock(mutex_);
        return log_;
    }

  private:
    // Thread ids are reused once a thread is joined; a thread-local number is not.
    static int threadNumber() {
        static std::atomic<int> next{0};
        thread_local const int mine = ++next;
        return mine;
    }
    void note(char what) {
        const int id = threadNumber();
        if (id != lastThread_ && !log_.empty()) log_ += '|';
        lastThread_ = id;
        log_ += what;
    }
    void take(uint8_t byte) {
        rx_.push_back(byte);  // echo
        frame_.push_back(byte);
        if (writingOp_ != 0) {
            if (frame_.size() < 256 + 3) return;
            blocks_[writingOp_] = Block(frame_.begin() + 2, frame_.end() - 1);
            rx_.push_back(0x00);
            writingOp_ = 0;
            frame_.clear();
            return;
        }
        if (frame_[0] != 0x55) frame_.clear();
        if (frame_.size() < 4) return;
        const int op = frame_[2];
        frame_.clear();
        if (op < 0x91 || op > 0x94) return;  // no answer to a handshake
        rx_.push_back(0x00);                 // ready
        if (op == 0x92 || op == 0x94) {
            writingOp_ = op;
            return;
        }
        std::vector<uint8_t> data{0xAA, 0xAA};
        for (int32_t cell : blocks_[op]) data.push_back(static_cast<uint8_t>(cell));
        data.push_back(Crc8(data));
        rx_.insert(rx_.end(), data.begin(), data.end());
    }

    std::mutex mutex_;
    std::deque<uint8_t> rx_;
    std::vector<uint8_t> frame_;
    int writingOp_ = 0;
    std::map<int, Block> blocks_;
    std::string log_;
    int lastThread_ = 0;
};

// Records what reaches the UI thread, and in which thread it arrived.
class RecordingHost : public LinkHost {
  public:
    void outcome(const LinkOutcome& o) override {
        note("outcome " + std::to_string(o.code) + "/" + std::to_string(o.attempt));
        if (onOutcome) onOutcome(o.code, o.attempt);
    }
    void progress(LinkOperation op, int done, int total) override {
        if (op == LinkOperation::FirmwareUpload) note("progress " + std::to_string(done * 100 / total));
    }
    void identified(Block block) override {
        note("identify");
        settings = std::move(block);
        if (onIdentify) onIdentify();
    }
    void configurationRead(Block s, Block c) override {
        note("configurationRead");
        settings = std::move(s);
        codes = std::move(c);
        if (onEnd) onEnd();
    }
    void codesFrameSent() override { note("codesFrameSent"); }
    void codesFrameRefused() override { note("codesFrameRefused"); }
    void configurationWritten() override {
        note("configurationWritten");
        if (onEnd) onEnd();
    }
    void uploadReady() override { note("uploadReady"); }
    void uploadEnded(bool accepted) override { note(accepted ? "uploadEnded yes" : "uploadEnded no"); }

    bool saw(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    std::vector<std::string> calls;
    bool allInUiThread = true;
    Block codes, settings;
    std::function<void(int32_t, int)> onOutcome;
    std::function<void()> onIdentify;
    std::function<void()> onEnd;  // a read or a write ended whole

  private:
    void note(std::string call) {
        allInUiThread = allInUiThread && std::this_thread::get_id() == uiThread_;
        calls.push_back(std::move(call));
    }
    std::thread::id uiThread_ = std::this_thread::get_id();
};

class ComThreadTest : public ::testing::Test {
  protected:
    void SetUp() override { App(); }

    std::unique_ptr<TComThread> makeThread(LinkStep step) {
        return std::make_unique<TComThread>(std::move(step), panel_, clock_, state_, hostPtr_,
                                            *calls_);
    }
    bool runToEnd(TComThread& thread) {
        bool ended = false;
        thread.start([&] { ended = true; });
        return QTest::qWaitFor([&] { return ended; }, 10000);
    }

    QCoreApplication& app_ = App();  // before the queue: it watches its pipe in the app's loop
    std::shared_ptr<FakePanel> panel_ = std::make_shared<FakePanel>(Pattern(256, 1), Pattern(256, 2));
    NoWaitClock clock_;
    LinkState state_;
    RecordingHost host_;
    LinkHost* hostPtr_ = &host_;
    std::unique_ptr<UiCallQueue> calls_ = Made(UiCallQueue::Create());
};

TEST_F(ComThreadTest, OutcomesReachTheUiThreadInOrder) {
    auto thread = makeThread(LinkStep{LinkOperation::ReadSettings, {}, {}, Pattern(256, 4)});
    ASSERT_TRUE(runToEnd(*thread));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"configurationRead"}));
    EXPECT_EQ(host_.codes, Pattern(256, 4));  // the codes block the chain carried
    EXPECT_TRUE(host_.allInUiThread);
    EXPECT_EQ(host_.settings, Pattern(256, 1));
    // Purged both ways before and after the exchange, all from the worker.
    const std::string log = panel_->log();
    EXPECT_EQ(log.find('|'), std::string::npos) << log;
    EXPECT_EQ(log.substr(0, 2), "PP");
    EXPECT_EQ(log.substr(log.size() - 2), "PP");
}

// The codes block's exchange hands the settings block it carries on to the exchange after it.
TEST_F(ComThreadTest, WriteCodesHandsOnTheSettingsBlockItCarries) {
    auto thread = makeThread(WriteChain(Pattern(256, 5), Pattern(256, 9)));
    ASSERT_TRUE(runToEnd(*thread));
    EXPECT_EQ(panel_->written(0x94), Pattern(256, 5));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"codesFrameSent"}));
    const ExchangeEnd end = thread->takeEnd();
    ASSERT_TRUE(end.next);
    EXPECT_EQ(end.next->op, LinkOperation::WriteSettings);
    EXPECT_EQ(end.next->data, Pattern(256, 9));
}

struct StoppedCase {
    LinkOperation op;
    std::vector<std::string> calls;
};

TEST_F(ComThreadTest, TerminateBeforeStartDoesNoLineWork) {
    const StoppedCase cases[] = {
        {LinkOperation::ReadCodes, {}},
        {LinkOperation::WriteSettings, {}},
        {LinkOperation::Handshake, {"outcome 13/0"}},
    };
    for (const auto& c : cases) {
        host_.calls.clear();
        auto thread = makeThread(LinkStep{c.op, Pattern(256, 3), {}, {}});
        thread->terminate();
        ASSERT_TRUE(runToEnd(*thread));
        EXPECT_EQ(host_.calls, c.calls) << static_cast<int>(c.op);
        EXPECT_EQ(panel_->log().find('W'), std::string::npos) << panel_->log();
    }
}

// Takes every byte and never answers, not even with the echo.
class DeadLine final : public ByteChannel {
  public:
    bool write(const uint8_t*, size_t) override { return true; }
    size_t read(uint8_t*, size_t) override { return 0; }
    void purgeReceive() override {}
    void purgeTransmit() override {}
};

// The worker's time-out is on its way to the UI thread when the user breaks the link: by the time
// the UI gets to it, "Нет связи с прибором" is on the status bar, and it stays there.
TEST_F(ComThreadTest, TimeOutArrivingAfterTheStopIsNotShown) {
    auto thread = std::make_unique<TComThread>(Step(LinkOperation::ReadCodes),
                                               std::make_shared<DeadLine>(), clock_, state_,
                                               hostPtr_, *calls_);
    bool ended = false;
    thread->start([&] { ended = true; });
    // The UI thread is busy (no events served) while the worker parks with its time-out.
    while (!thread->isParked()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    thread->terminate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_TRUE(host_.calls.empty()) << host_.calls.front();
}

// The runner in front of the window: chains, stops, and the firmware case where the UI starts
// exchanges while an older one waits inside a call to it.
class LinkRunnerTest : public ComThreadTest {
  protected:
    LinkRunnerTest() {
        runner_->setChannelSource([this] { return std::static_pointer_cast<ByteChannel>(panel_); });
        runner_->setHost(&host_);
    }
    // Starts the operation or step and serves events until its chain is over.
    template <class Step>
    bool run(Step step) {
        runner_->start(std::move(step));
        return QTest::qWaitFor([&] { return !runner_->busy(); }, 10000);
    }
    std::unique_ptr<LinkRunner> runner_ = Made(LinkRunner::Create(clock_));
};

TEST_F(LinkRunnerTest, ReadChainRunsItsSecondThreadAfterTheFirstHasLeftTheLine) {
    ASSERT_TRUE(run(LinkOperation::ReadCodes));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"configurationRead"}));
    EXPECT_TRUE(host_.allInUiThread);
    EXPECT_EQ(host_.codes, Pattern(256, 2));
    EXPECT_EQ(host_.settings, Pattern(256, 1));
    // Two workers, one after the other: the first one's closing purge never lands in the middle
    // of the second one's frames.
    const std::string log = panel_->log();
    ASSERT_EQ(std::count(log.begin(), log.end(), '|'), 1) << log;
    EXPECT_EQ(log.substr(log.find('|') - 2, 5), "PP|PP") << log;
}

TEST_F(LinkRunnerTest, WriteChainSendsBothBlocksItWasHanded) {
    ASSERT_TRUE(run(WriteChain(Pattern(256, 4), Pattern(256, 8))));
    EXPECT_EQ(panel_->written(0x94), Pattern(256, 4));
    EXPECT_EQ(panel_->written(0x92), Pattern(256, 8));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"codesFrameSent", "configurationWritten"}));
}

// What the user does next is played by an event posted when the end of a read or write is
// shown. That end and what completes it (the buttons enabled, the block decoded) come in one go:
// no one ever sees "Чтение конфигурации завершено" over a stale editor, or a finished write whose
// buttons cannot be clicked yet.
TEST_F(LinkRunnerTest, EndOfAReadOrWriteArrivesWithWhatCompletesIt) {
    host_.onEnd = [&] { QTimer::singleShot(0, [&] { host_.calls.push_back("user"); }); };
    const auto ended = [&] { return !runner_->busy() && host_.calls.size() >= 2; };
    runner_->start(LinkOperation::ReadSettings);
    ASSERT_TRUE(QTest::qWaitFor(ended, 10000));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"configurationRead", "user"}));

    host_.calls.clear();
    runner_->start(LinkStep{LinkOperation::WriteSettings, Pattern(256, 8), {}, {}});
    ASSERT_TRUE(QTest::qWaitFor(ended, 10000));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"configurationWritten", "user"}));
}

TEST_F(LinkRunnerTest, StopEndsTheHandshakeAtItsNextCheckPoint) {
    host_.onOutcome = [&](int32_t code, int attempt) {
        if (code == LinkResult::Attempt && attempt == 2) runner_->stopCurrent();
    };
    ASSERT_TRUE(run(LinkOperation::Handshake));
    EXPECT_EQ(host_.calls,
              (std::vector<std::string>{"outcome 7/1", "outcome 7/2", "outcome 13/2"}));
}

TEST_F(LinkRunnerTest, NoPanelLosesTheLinkAndEndsTheChain) {
    runner_->setChannelSource([] { return SerialPort().line(); });  // nothing on the line
    ASSERT_TRUE(run(LinkOperation::Handshake));
    ASSERT_GE(host_.calls.size(), 2u);
    EXPECT_EQ(host_.calls.back(), "outcome 1/10");
    EXPECT_FALSE(runner_->port().isOpen());
}

// Identification asks for a firmware replacement inside the identification read's call and
// starts exchanges from there: they must run while the older worker waits.
TEST_F(LinkRunnerTest, ExchangeStartedInsideACallRunsWhileTheCallerWaits) {
    runner_->state().identifyPending = true;
    bool nestedDone = false;
    host_.onIdentify = [&] {
        runner_->state().identifyPending = false;
        runner_->start(LinkOperation::ReadSettings);
        nestedDone = QTest::qWaitFor([&] { return host_.saw("configurationRead"); }, 5000);
    };
    ASSERT_TRUE(run(LinkOperation::ReadSettings));
    EXPECT_TRUE(nestedDone);
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"identify", "configurationRead"}));
}

// The window may go away while a worker waits for a call into it; that must neither hang nor
// run the call on a dead window.
TEST_F(LinkRunnerTest, DestroyingTheRunnerReleasesAWaitingWorker) {
    auto runner = Made(LinkRunner::Create(clock_));
    runner->setChannelSource([this] { return std::static_pointer_cast<ByteChannel>(panel_); });
    runner->setHost(&host_);
    runner->start(LinkOperation::Handshake);
    // Its first attempt's outcome is a call into this thread, which nobody serves.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    runner.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    QCoreApplication::processEvents();
    EXPECT_TRUE(host_.calls.empty());
}

#ifndef _WIN32
// A machine out of file descriptors has no pipe for the wake-ups: the program's start is told,
// in the user's words, instead of an exception ending it.
TEST(LinkRunnerStart, NoPipeLeftIsAFailureOfTheStart) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime checks the type of a virtual call through a pipe of its own, and
    // with no descriptor left it takes the call for a fault; the release build runs this case.
    GTEST_SKIP() << "needs descriptors the sanitizer runtime would lack";
#endif
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit low = old;
    low.rlim_cur = std::min<rlim_t>(64, old.rlim_max);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> taken;
    for (int fd = ::dup(0); fd >= 0; fd = ::dup(0)) taken.push_back(fd);
    const auto runner = LinkRunner::Create();
    for (int fd : taken) ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &old), 0);
    ASSERT_FALSE(runner);
    const std::string start =
        "Программа не может начать работу: система не дала ресурсов для обмена с прибором.\n"
        "Причина: ";
    EXPECT_EQ(runner.error().rfind(start, 0), 0u) << runner.error();
    EXPECT_FALSE(runner.failure().reason.empty());
}
#endif

}  // namespace
}  // namespace kerma
