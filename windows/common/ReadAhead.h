// Blocks filled on a thread of their own, ahead of the one who takes them: reading or
// decompressing goes on while the caller works on what is ready. At most `count` blocks
// exist; portable C++, for the launcher and the packer alike.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace qpk {

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
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block, once it is filled; the block taken before goes back to be filled
    // again. After the last block, that one stays.
    Block& next() {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return !ready_.empty() || finished_; });
        if (ready_.empty()) return current_;
        if (holding_) spare_.push_back(std::move(current_));
        current_ = std::move(ready_.front());
        ready_.pop_front();
        holding_ = true;
        hold.unlock();
        changed_.notify_all();
        return current_;
    }

private:
    void run() {
        for (;;) {
            Block block;
            {
                std::unique_lock<std::mutex> hold(lock_);
                changed_.wait(hold, [this] { return stop_ || !spare_.empty(); });
                if (stop_) return;
                block = std::move(spare_.back());
                spare_.pop_back();
            }
            bool more = fill_(block);
            {
                std::lock_guard<std::mutex> hold(lock_);
                ready_.push_back(std::move(block));
                finished_ = !more;
            }
            changed_.notify_all();
            if (!more) return;
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
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
