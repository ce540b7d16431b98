// Turns at the engine: one session runs statements at a time, and the sessions waiting
// are served in the order they asked.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tdsim {

// A ticket lock. std::mutex lets the thread that just unlocked take the lock again
// before a waiter wakes, so a session that gives up its turn in the middle of an endless
// batch would keep it; here it goes to the back of the queue. Meets BasicLockable.
class EngineTurns {
public:
    void lock()
    {
        std::unique_lock guard(mutex_);
        const uint64_t ticket = nextTicket_++;
        turnChanged_.wait(guard, [&] { return serving_ == ticket; });
    }

    void unlock()
    {
        {
            std::lock_guard guard(mutex_);
            ++serving_;
        }
        turnChanged_.notify_all();
    }

    // True when another session waits for a turn. Read without the queue's mutex: a
    // stale answer only delays a hand-over to the next check.
    bool othersWaiting() const { return nextTicket_.load() - serving_.load() > 1; }

    // Lets every waiting session run once, then continues. Only for the holder.
    void handOver()
    {
        unlock();
        lock();
    }

private:
    std::mutex mutex_;
    std::condition_variable turnChanged_;
    std::atomic<uint64_t> nextTicket_{0};
    std::atomic<uint64_t> serving_{0};
};

}  // namespace tdsim
