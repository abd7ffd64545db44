#pragma once
// GoogleTest on Windows needs std::mutex and std::condition_variable, which GCC 12's
// win32 thread model (the installer's toolchain: it links no winpthread) leaves out.
// This header, forced into GoogleTest and every test, gives those two over the system's
// slim reader/writer lock and condition variable. Test builds only.
#include <mutex> // lock_guard, unique_lock; and whether the library has threads

#ifndef _GLIBCXX_HAS_GTHREADS
#include <windows.h>

namespace std {

class mutex {
public:
    constexpr mutex() noexcept = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native_handle() { return &lock_; }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class condition_variable {
public:
    condition_variable() noexcept = default;
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() noexcept { WakeConditionVariable(&variable_); }
    void notify_all() noexcept { WakeAllConditionVariable(&variable_); }
    void wait(unique_lock<mutex>& lock) {
        SleepConditionVariableSRW(&variable_, lock.mutex()->native_handle(), INFINITE, 0);
    }
    template <typename Predicate> void wait(unique_lock<mutex>& lock, Predicate ready) {
        while (!ready())
            wait(lock);
    }

private:
    CONDITION_VARIABLE variable_ = CONDITION_VARIABLE_INIT;
};

} // namespace std
#endif
