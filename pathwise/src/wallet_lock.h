// The process-wide recursive lock of the library.
//
// Two critical sections: the state section guards the count and the owner
// for a few operations at a time; the holder section is held while one
// thread owns the lock. Each section is set up on first use under a named
// mutex private to the process, so that racing threads set it up once.
#ifndef PATHWISE_WALLET_LOCK_H
#define PATHWISE_WALLET_LOCK_H

#include <atomic>
#include <cstdint>
#include <string>

#include "platform.h"
#include "recursion_count.h"

namespace Corvane_QxWallet {

// The named-mutex calls used for the one-time set-up (replaceable in tests).
struct SetupMutexCalls {
    platform::MutexHandle (*create)(const std::u16string& name);
    std::uint32_t (*wait)(platform::MutexHandle mutex);
    void (*release)(platform::MutexHandle mutex);
    void (*close)(platform::MutexHandle mutex);
};
const SetupMutexCalls& systemSetupMutexCalls();

// "Corvane_QxWallet-" + process id in lowercase hex + "-".
std::u16string walletMutexName(std::uint32_t processId);

// Throws the QxWalletException for a wait result other than WAIT_OBJECT_0.
void checkWaitResult(std::uint32_t result);

class WalletLock {
public:
    explicit WalletLock(const SetupMutexCalls& calls = systemSetupMutexCalls()) : calls_(calls) {}
    WalletLock(const WalletLock&) = delete;
    WalletLock& operator=(const WalletLock&) = delete;

    // May throw QxWalletException while a section is being set up.
    void lock();
    // Gives up one level; does nothing unless the calling thread owns the lock.
    void unlock();

    // For tests: how often each section was set up (0 or 1).
    int stateSetups() const { return state_.setups.load(); }
    int holderSetups() const { return holder_.setups.load(); }

private:
    struct Section {
        platform::CriticalSection section;
        std::atomic<std::int32_t> initialised{0};
        std::atomic<int> setups{0};
    };

    platform::CriticalSection& reach(Section& section);

    const SetupMutexCalls& calls_;
    Section state_;
    Section holder_;
    RecursionCount count_;
    std::uint32_t owner_ = 0;
};

// The lock of this process's library state.
WalletLock& processWalletLock();

// Holds a WalletLock for a scope.
class WalletLockGuard {
public:
    explicit WalletLockGuard(WalletLock& lock) : lock_(lock) { lock_.lock(); }
    ~WalletLockGuard() { lock_.unlock(); }
    WalletLockGuard(const WalletLockGuard&) = delete;
    WalletLockGuard& operator=(const WalletLockGuard&) = delete;

private:
    WalletLock& lock_;
};

}  // namespace Corvane_QxWallet

#endif
