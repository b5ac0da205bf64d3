#include "wallet_lock.h"

#include "format_text.h"
#include "messages.h"
#include "system_error_text.h"
#include "wallet_exception.h"

namespace Corvane_QxWallet {

const SetupMutexCalls& systemSetupMutexCalls() {
    static const SetupMutexCalls calls{platform::createMutex, platform::waitMutex, platform::releaseMutex,
                                       platform::closeMutex};
    return calls;
}

std::u16string walletMutexName(std::uint32_t processId) {
    std::u16string name = u"Corvane_QxWallet-";
    const char digits[] = "0123456789abcdef";
    std::u16string hex;
    do {
        hex.insert(hex.begin(), static_cast<char16_t>(digits[processId % 16]));
        processId /= 16;
    } while (processId != 0);
    return name + hex + u"-";
}

void checkWaitResult(std::uint32_t result) {
    switch (result) {
        case platform::kWaitObject0:
            return;
        case platform::kWaitAbandoned:
            raiseWalletException(messages::kWaitAbandoned);
        case platform::kWaitTimeout:
            raiseWalletException(messages::kWaitTimeout);
        case platform::kWaitFailed:
            raiseWalletException(formatText(messages::kWaitFailed, {lastErrorText()}));
        default:
            raiseWalletException(formatText(messages::kWaitOther, {static_cast<std::int32_t>(result)}));
    }
}

namespace {

// Closes the set-up mutex on every path, and releases it when the wait gave
// this thread ownership (an abandoned mutex is owned too).
class HeldSetupMutex {
public:
    HeldSetupMutex(const SetupMutexCalls& calls, platform::MutexHandle mutex) : calls_(calls), mutex_(mutex) {}
    ~HeldSetupMutex() {
        if (owned_) calls_.release(mutex_);
        calls_.close(mutex_);
    }
    HeldSetupMutex(const HeldSetupMutex&) = delete;
    HeldSetupMutex& operator=(const HeldSetupMutex&) = delete;

    void wait() {
        const std::uint32_t result = calls_.wait(mutex_);
        owned_ = result == platform::kWaitObject0 || result == platform::kWaitAbandoned;
        checkWaitResult(result);
    }

private:
    const SetupMutexCalls& calls_;
    platform::MutexHandle mutex_;
    bool owned_ = false;
};

// Leaves a section at the end of a scope.
class Inside {
public:
    explicit Inside(platform::CriticalSection& section) : section_(section) { section_.enter(); }
    ~Inside() { section_.leave(); }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

private:
    platform::CriticalSection& section_;
};

}  // namespace

platform::CriticalSection& WalletLock::reach(Section& section) {
    if (section.initialised.load() != 0) return section.section;

    const std::u16string name = walletMutexName(platform::currentProcessId());
    platform::MutexHandle mutex = calls_.create(name);
    if (mutex == nullptr) raiseWalletException(formatText(messages::kCannotCreateMutex, {lastErrorText()}));

    HeldSetupMutex held(calls_, mutex);
    held.wait();
    if (section.initialised.load() == 0) {
        section.section.initialize();
        ++section.setups;
        section.initialised.exchange(1);
    }
    return section.section;
}

void WalletLock::lock() {
    platform::CriticalSection& state = reach(state_);
    platform::CriticalSection& holder = reach(holder_);
    const std::uint32_t self = platform::currentThreadId();
    {
        Inside inside(state);
        count_.increment();
        if (count_.isGreaterThanOne() && owner_ == self) return;  // taken again by its owner
        count_.decrement();
    }
    holder.enter();
    try {
        Inside inside(state);
        count_.increment();
        owner_ = self;
    } catch (...) {  // the count could not grow: the lock was not taken
        holder.leave();
        throw;
    }
}

void WalletLock::unlock() {
    platform::CriticalSection& state = reach(state_);
    platform::CriticalSection& holder = reach(holder_);
    {
        Inside inside(state);
        if (count_.isZero() || owner_ != platform::currentThreadId()) return;  // not held by this thread
        count_.decrement();
        if (!count_.isZero()) return;
    }
    holder.leave();
}

WalletLock& processWalletLock() {
    static WalletLock lock;
    return lock;
}

}  // namespace Corvane_QxWallet
