// Pieces handed one by one, in order, to a thread of its own that takes each as it comes, so that
// the giver goes on with the next piece meanwhile.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace zorvan {

template <typename Piece> class PieceQueue {
public:
    explicit PieceQueue(std::function<void(Piece&)> take) : take_(std::move(take)), thread_([this] { work(); }) {}

    // Pieces not taken yet are dropped; the one being taken is finished first.
    ~PieceQueue()
    {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
            closed_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    PieceQueue(const PieceQueue&) = delete;
    PieceQueue& operator=(const PieceQueue&) = delete;

    void push(Piece piece)
    {
        {
            std::lock_guard lock(mutex_);
            pieces_.push_back(std::move(piece));
        }
        changed_.notify_all();
    }

    // No more pieces: waits until every piece is taken, calling `pause` every few milliseconds
    // meanwhile (it may throw). Passes on what `take` threw.
    void finish(const std::function<void()>& pause)
    {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                if (changed_.wait_for(lock, std::chrono::milliseconds(5), [this] { return done_; }))
                    break;
            }
            if (pause)
                pause();
        }
        if (error_)
            std::rethrow_exception(error_);
    }

private:
    void work()
    {
        for (;;) {
            Piece piece;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stopped_ || error_ || !pieces_.empty() || closed_; });
                if (stopped_ || error_ || pieces_.empty()) {
                    done_ = true;
                    changed_.notify_all();
                    return;
                }
                piece = std::move(pieces_.front());
                pieces_.pop_front();
            }
            try {
                take_(piece);
            } catch (...) {
                std::lock_guard lock(mutex_);
                error_ = std::current_exception();
            }
        }
    }

    std::function<void(Piece&)> take_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> pieces_;
    bool closed_ = false, stopped_ = false, done_ = false;
    std::exception_ptr error_;
    std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace zorvan
