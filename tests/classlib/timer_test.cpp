// The timer on a real message loop: when its count starts, when it restarts,
// and what happens to an exception thrown by its handler.
#include <gtest/gtest.h>

#include "desktop.h"
#include "extctrls.h"
#include "forms.h"

#include <memory>
#include <stdexcept>
#include <vector>

using testdesk::WaitUntil;

namespace {

// Milliseconds since the moment the clock was made.
struct Clock {
    ULONGLONG start = GetTickCount64();
    long long Elapsed() const { return static_cast<long long>(GetTickCount64() - start); }
};

// Handles messages until ms have passed since the clock started.
void PumpUntil(const Clock& clock, long long ms) {
    WaitUntil([&] { return clock.Elapsed() >= ms; }, static_cast<int>(ms) + 1000);
}

// Records the time of every tick (since the clock's start).
struct TickLog {
    Clock clock;
    std::vector<long long> ticks;
    TNotifyEvent Handler() {
        return [this](TObject*) { ticks.push_back(clock.Elapsed()); };
    }
    bool WaitTicks(size_t n, int timeoutMs = 6000) {
        return WaitUntil([&] { return ticks.size() >= n; }, timeoutMs);
    }
};

// A tick may come late on a busy machine, never early; the earliest
// accepted tick allows for the clock's granularity.
constexpr long long kEarly = 60;

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Application) Application = new TApplication();
    }
};

}  // namespace

TEST_F(TimerTest, NewTimerRunsWithItsDefaults) {
    TTimer timer(nullptr);
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_TRUE(timer.Enabled());
    TickLog log;
    timer.OnTimer = log.Handler();
    timer.SetInterval(200);
    ASSERT_TRUE(log.WaitTicks(3));
    EXPECT_GE(log.ticks[0], 200 - kEarly);
    // It keeps ticking: every later tick follows the one before it.
    EXPECT_GT(log.ticks[2], log.ticks[1]);
    EXPECT_GT(log.ticks[1], log.ticks[0]);
}

TEST_F(TimerTest, SettingTheSameIntervalOrStateKeepsTheRunningCount) {
    // A 1000 ms count, touched at 700 ms with the values it already has,
    // still ticks at about 1000 ms; a restart would tick at 1700 ms.
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    TickLog log;
    timer.OnTimer = log.Handler();
    timer.SetInterval(1000);
    log.clock = Clock();
    timer.SetEnabled(true);
    PumpUntil(log.clock, 700);
    ASSERT_TRUE(log.ticks.empty());
    timer.SetInterval(1000);
    timer.SetEnabled(true);
    ASSERT_TRUE(log.WaitTicks(1));
    EXPECT_GE(log.ticks[0], 1000 - kEarly);
    EXPECT_LT(log.ticks[0], 1600);
}

TEST_F(TimerTest, AChangeRestartsTheCount) {
    struct Case {
        const char* name;
        void (*change)(TTimer&);
        long long expected;  // the first tick, counted from the start
    };
    const Case cases[] = {
        // Interval 1000 changed to 800 at 500 ms: first tick at 1300 ms.
        {"new interval", [](TTimer& t) { t.SetInterval(800); }, 1300},
        // Stopped and started again at 500 ms: first tick at 1500 ms.
        {"stop and start", [](TTimer& t) { t.SetEnabled(false); t.SetEnabled(true); }, 1500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTimer timer(nullptr);
        timer.SetEnabled(false);
        TickLog log;
        timer.OnTimer = log.Handler();
        log.clock = Clock();
        timer.SetEnabled(true);
        PumpUntil(log.clock, 500);
        ASSERT_TRUE(log.ticks.empty());
        c.change(timer);
        ASSERT_TRUE(log.WaitTicks(1));
        EXPECT_GE(log.ticks[0], c.expected - kEarly);
    }
}

TEST_F(TimerTest, AStoppedTimerDoesNotTick) {
    TTimer timer(nullptr);
    TickLog log;
    timer.OnTimer = log.Handler();
    timer.SetInterval(50);
    timer.SetEnabled(false);
    // Meanwhile a second timer shows that ticks are being delivered.
    TTimer witness(nullptr);
    TickLog witnessLog;
    witness.OnTimer = witnessLog.Handler();
    witness.SetInterval(50);
    ASSERT_TRUE(witnessLog.WaitTicks(6));
    EXPECT_TRUE(log.ticks.empty());
    // An interval of 0 stops it as well.
    timer.SetInterval(0);
    timer.SetEnabled(true);
    size_t seen = witnessLog.ticks.size();
    ASSERT_TRUE(witnessLog.WaitTicks(seen + 6));
    EXPECT_TRUE(log.ticks.empty());
}

TEST_F(TimerTest, AnExceptionFromTheHandlerGoesToTheApplication) {
    std::vector<std::string> shown;
    auto saved = Application->OnException;
    Application->OnException = [&](TObject*, const std::exception& e) { shown.push_back(e.what()); };
    TTimer timer(nullptr);
    int calls = 0;
    timer.OnTimer = [&](TObject*) {
        ++calls;
        throw std::runtime_error("tick failed");
    };
    timer.SetInterval(50);
    // The exception stays inside the library: the loop runs on and the
    // timer ticks again.
    ASSERT_TRUE(WaitUntil([&] { return calls >= 2; }, 5000));
    timer.SetEnabled(false);
    Application->OnException = saved;
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0], "tick failed");
}

TEST_F(TimerTest, TheHandlerMayDeleteItsTimer) {
    auto* timer = new TTimer(nullptr);
    TTimer* deleted = nullptr;
    timer->OnTimer = [&](TObject* sender) {
        deleted = static_cast<TTimer*>(sender);
        delete deleted;
    };
    timer->SetInterval(50);
    ASSERT_TRUE(WaitUntil([&] { return deleted != nullptr; }, 5000));
    EXPECT_EQ(deleted, timer);
    // Later messages find no timer and do no harm.
    TTimer witness(nullptr);
    TickLog log;
    witness.OnTimer = log.Handler();
    witness.SetInterval(50);
    ASSERT_TRUE(log.WaitTicks(3));
}

TEST_F(TimerTest, AnOwnedTimerGoesWithItsOwner) {
    auto* owner = new TComponent(nullptr);
    auto* timer = new TTimer(owner);
    timer->SetInterval(50);
    int calls = 0;
    timer->OnTimer = [&](TObject*) { ++calls; };
    delete owner;
    TTimer witness(nullptr);
    TickLog log;
    witness.OnTimer = log.Handler();
    witness.SetInterval(50);
    ASSERT_TRUE(log.WaitTicks(3));
    EXPECT_EQ(calls, 0);
}
