// The win32 thread model of mingw-w64 has no std::mutex or std::condition_variable, and GoogleTest
// wants both for a small helper of its own. The test programs (never setup.exe) get these two over
// the Windows primitives; everything else of the model stays as it is.
#pragma once

#include <bits/c++config.h>

#if !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

#include <mutex>

namespace std
{
class mutex
{
public:
    mutex() { InitializeCriticalSection(&Section); }
    ~mutex() { DeleteCriticalSection(&Section); }
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { EnterCriticalSection(&Section); }
    void unlock() { LeaveCriticalSection(&Section); }
    bool try_lock() { return TryEnterCriticalSection(&Section) != 0; }
    CRITICAL_SECTION* native_handle() { return &Section; }

private:
    CRITICAL_SECTION Section;
};

class condition_variable
{
public:
    condition_variable() { InitializeConditionVariable(&Variable); }
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { WakeConditionVariable(&Variable); }
    void notify_all() { WakeAllConditionVariable(&Variable); }
    template <class Predicate> void wait(unique_lock<mutex>& lock, Predicate ready)
    {
        while (!ready())
            SleepConditionVariableCS(&Variable, lock.mutex()->native_handle(), INFINITE);
    }

private:
    CONDITION_VARIABLE Variable;
};
} // namespace std
#endif
