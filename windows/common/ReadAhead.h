// Blocks filled on a thread of their own, ahead of the one who takes them: reading or
// decompressing goes on while the caller works on what is ready. At most `count` blocks
// exist; portable C++, for the launcher and the packer alike.
#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#endif

namespace qpk {

// A lock with one condition to wait for. On Windows the slim kinds: those of the C++
// library wait on kernel objects, and under Wine every such wait and wake is a round trip
// to the server, which cost the read-ahead a third of its speed.
class Monitor {
public:
#ifdef _WIN32
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    // Called with the lock held.
    void wait() { SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0); }
    void notifyAll() { WakeAllConditionVariable(&changed_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
#else
    void lock() { lock_.lock(); }
    void unlock() { lock_.unlock(); }
    void wait() {
        std::unique_lock<std::mutex> held(lock_, std::adopt_lock);
        changed_.wait(held);
        held.release();
    }
    void notifyAll() { changed_.notify_all(); }

private:
    std::mutex lock_;
    std::condition_variable changed_;
#endif
};

template <class Block>
class ReadAhead {
public:
    // `fill` is called on the thread for one block after another, until it returns false:
    // the block it filled then is the last.
    ReadAhead(size_t count, std::function<bool(Block&)> fill)
        : spare_(count), fill_(std::move(fill)), thread_([this] { run(); }) {}

    // Stops the thread once it has filled the block it is at.
    ~ReadAhead() {
        {
            std::lock_guard<Monitor> hold(monitor_);
            stop_ = true;
        }
        monitor_.notifyAll();
        thread_.join();
    }

    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block, once it is filled; the block taken before goes back to be filled
    // again. After the last block, that one stays.
    Block& next() {
        {
            std::lock_guard<Monitor> hold(monitor_);
            while (ready_.empty() && !finished_) monitor_.wait();
            if (ready_.empty()) return current_;
            if (holding_) spare_.push_back(std::move(current_));
            current_ = std::move(ready_.front());
            ready_.pop_front();
            holding_ = true;
        }
        monitor_.notifyAll();
        return current_;
    }

private:
    void run() {
        for (;;) {
            Block block;
            {
                std::lock_guard<Monitor> hold(monitor_);
                while (!stop_ && spare_.empty()) monitor_.wait();
                if (stop_) return;
                block = std::move(spare_.back());
                spare_.pop_back();
            }
            bool more = fill_(block);
            {
                std::lock_guard<Monitor> hold(monitor_);
                ready_.push_back(std::move(block));
                finished_ = !more;
            }
            monitor_.notifyAll();
            if (!more) return;
        }
    }

    Monitor monitor_;
    std::vector<Block> spare_;  // to be filled
    std::deque<Block> ready_;   // filled, in order
    Block current_;             // taken
    bool holding_ = false;
    bool stop_ = false;
    bool finished_ = false;
    std::function<bool(Block&)> fill_;
    std::thread thread_;
};

}  // namespace qpk
