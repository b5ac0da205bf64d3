#include "wallet_lock.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "wallet_exception.h"

namespace Corvane_QxWallet {
namespace {

using namespace std::chrono_literals;

// Long enough for a thread that is free to go to have gone; never a speed check.
constexpr auto kSettle = 100ms;
constexpr auto kPatience = 20s;

TEST(WalletLock, MutexNameCarriesTheProcessIdInLowercaseHex) {
    EXPECT_EQ(walletMutexName(255), u"Corvane_QxWallet-ff-");
    EXPECT_EQ(walletMutexName(0), u"Corvane_QxWallet-0-");
    EXPECT_EQ(walletMutexName(0x1A2B3C4Du), u"Corvane_QxWallet-1a2b3c4d-");
}

TEST(WalletLock, WaitResultsOtherThanSignalledRaise) {
    EXPECT_NO_THROW(checkWaitResult(platform::kWaitObject0));
    const struct {
        std::uint32_t result;
        std::string message;
    } cases[] = {
        {platform::kWaitAbandoned, "WaitForSingleObject() returned WAIT_ABANDONED."},
        {platform::kWaitTimeout, "WaitForSingleObject() returned WAIT_TIMEOUT."},
        {7, "WaitForSingleObject() returned 7"},
        {0x80000000u, "WaitForSingleObject() returned -2147483648"},
    };
    for (const auto& c : cases) {
        try {
            checkWaitResult(c.result);
            ADD_FAILURE() << "no exception for " << c.result;
        } catch (const QxWalletException& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    try {
        checkWaitResult(platform::kWaitFailed);
        ADD_FAILURE() << "no exception for WAIT_FAILED";
    } catch (const QxWalletException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("WaitForSingleObject() failed because: ", 0), 0u) << e.what();
    }
}

TEST(WalletLock, RecursionByOneThreadBlocksAnotherUntilTheLastUnlock) {
    WalletLock lock;
    lock.lock();
    lock.lock();
    std::atomic<bool> taken{false};
    std::thread other([&] {
        lock.lock();
        taken = true;
        lock.unlock();
    });
    std::this_thread::sleep_for(kSettle);
    EXPECT_FALSE(taken);
    lock.unlock();
    std::this_thread::sleep_for(kSettle);
    EXPECT_FALSE(taken) << "the lock was free after one of two unlocks";
    lock.unlock();
    other.join();
    EXPECT_TRUE(taken);
}

TEST(WalletLock, IsHandedOverToANewThreadAfterFullRelease) {
    WalletLock lock;
    std::thread first([&] {
        lock.lock();
        lock.lock();
        lock.unlock();
        lock.unlock();
    });
    first.join();
    // The recorded owner is still the first thread; the lock is free all the same.
    auto second = std::async(std::launch::async, [&] {
        lock.lock();
        lock.unlock();
    });
    EXPECT_EQ(second.wait_for(kPatience), std::future_status::ready);
    lock.lock();  // and back to this thread
    lock.unlock();
}

TEST(WalletLock, UnlockByAThreadThatDoesNotOwnItChangesNothing) {
    WalletLock lock;
    lock.unlock();  // never locked
    lock.lock();
    std::thread([&] { lock.unlock(); }).join();
    std::atomic<bool> taken{false};
    std::thread other([&] {
        lock.lock();
        taken = true;
        lock.unlock();
    });
    std::this_thread::sleep_for(kSettle);
    EXPECT_FALSE(taken);
    lock.unlock();
    other.join();
    EXPECT_TRUE(taken);
}

TEST(WalletLock, KeepsThreadsOutOfEachOther) {
    WalletLock lock;
    long counter = 0;  // guarded by the lock only
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            while (!go) std::this_thread::yield();
            for (int i = 0; i < 300; ++i) {
                WalletLockGuard outer(lock);
                WalletLockGuard inner(lock);
                const long seen = counter;
                std::this_thread::yield();  // invite another thread in, should the lock let it
                counter = seen + 1;
            }
        });
    go = true;
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(counter, 1200);
}

// Set-up calls that hold every thread at the wait until all have arrived,
// so that all of them found the section uninitialised before its set-up.
std::atomic<int> arrivedAtWait{0};
int expectedAtWait = 0;

std::uint32_t waitForEveryone(platform::MutexHandle mutex) {
    ++arrivedAtWait;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (arrivedAtWait.load() < expectedAtWait && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    return platform::waitMutex(mutex);
}

TEST(WalletLock, RacingThreadsSetEachSectionUpOnce) {
    const SetupMutexCalls calls{platform::createMutex, waitForEveryone, platform::releaseMutex, platform::closeMutex};
    WalletLock lock(calls);
    expectedAtWait = 2;
    auto use = [&] {
        lock.lock();
        lock.unlock();
    };
    std::thread a(use), b(use);
    a.join();
    b.join();
    EXPECT_GE(arrivedAtWait.load(), 2);
    EXPECT_EQ(lock.stateSetups(), 1);
    EXPECT_EQ(lock.holderSetups(), 1);

    WalletLock free_for_all;  // many threads, no holding back
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            free_for_all.lock();
            free_for_all.unlock();
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(free_for_all.stateSetups(), 1);
    EXPECT_EQ(free_for_all.holderSetups(), 1);
}

// Set-up calls that fail as told and record what was given back.
struct FailingCalls {
    static inline bool failCreate = false;
    static inline std::uint32_t waitResult = platform::kWaitObject0;
    static inline int releases = 0;
    static inline int closes = 0;
    static inline int opened = 0;

    static platform::MutexHandle create(const std::u16string& name) {
        if (failCreate) {
            platform::setLastErrorCode(5);
            return nullptr;
        }
        ++opened;
        return platform::createMutex(name);
    }
    // Signalled and abandoned waits own the mutex; the others do not.
    static std::uint32_t wait(platform::MutexHandle mutex) {
        if (waitResult == platform::kWaitObject0 || waitResult == platform::kWaitAbandoned) {
            EXPECT_EQ(platform::waitMutex(mutex), platform::kWaitObject0);
        }
        return waitResult;
    }
    static void release(platform::MutexHandle mutex) {
        ++releases;
        platform::releaseMutex(mutex);
    }
    static void close(platform::MutexHandle mutex) {
        ++closes;
        platform::closeMutex(mutex);
    }
};

TEST(WalletLock, FailedSetUpRaisesAndIsTriedAgainLater) {
    const SetupMutexCalls calls{FailingCalls::create, FailingCalls::wait, FailingCalls::release, FailingCalls::close};
    WalletLock lock(calls);

    FailingCalls::failCreate = true;
    try {
        lock.lock();
        ADD_FAILURE() << "lock succeeded without a mutex";
    } catch (const QxWalletException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create mutex because: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(lock.stateSetups(), 0);

    // An abandoned wait: the mutex is owned, so it is released and closed.
    FailingCalls::failCreate = false;
    FailingCalls::waitResult = platform::kWaitAbandoned;
    try {
        lock.lock();
        ADD_FAILURE() << "lock succeeded after an abandoned wait";
    } catch (const QxWalletException& e) {
        EXPECT_STREQ(e.what(), "WaitForSingleObject() returned WAIT_ABANDONED.");
    }
    EXPECT_EQ(lock.stateSetups(), 0);
    EXPECT_EQ(FailingCalls::releases, 1);
    EXPECT_EQ(FailingCalls::closes, 1);

    // A timed-out wait does not own the mutex: closed, not released.
    FailingCalls::waitResult = platform::kWaitTimeout;
    EXPECT_THROW(lock.lock(), QxWalletException);
    EXPECT_EQ(FailingCalls::closes, 2);
    EXPECT_EQ(FailingCalls::releases, 1);

    FailingCalls::waitResult = platform::kWaitObject0;
    lock.lock();
    lock.unlock();
    EXPECT_EQ(lock.stateSetups(), 1);
    EXPECT_EQ(lock.holderSetups(), 1);
    EXPECT_EQ(FailingCalls::opened, FailingCalls::closes);
}

}  // namespace
}  // namespace Corvane_QxWallet
