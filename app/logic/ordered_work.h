// Work split into numbered chunks, done on worker threads and handed over in chunk order, so that
// the caller can consume chunk k while the workers make the chunks after it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zorvan {

template <typename Result> class OrderedWork {
public:
    // Makes chunks 0 .. count-1 with `make(index)` on `workers` threads, at most `ahead` chunks
    // in front of the one the caller takes next. One worker makes the chunks strictly in order,
    // so `make` may carry state from one chunk to the next.
    OrderedWork(std::size_t count, unsigned workers, std::size_t ahead, std::function<Result(std::size_t)> make)
        : make_(std::move(make)), slots_(count), ahead_(ahead < 1 ? 1 : ahead)
    {
        if (workers < 1)
            workers = 1;
        for (unsigned i = 0; i < workers && i < count; ++i)
            threads_.emplace_back([this] { work(); });
    }

    ~OrderedWork()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (auto& thread : threads_)
            thread.join();
    }

    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // The next chunk's result, waiting for it; nothing after the last. An exception thrown while
    // making the chunk is thrown here.
    std::optional<Result> next()
    {
        if (taken_ == slots_.size())
            return std::nullopt;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slots_[taken_].done; });
        Slot slot = std::move(slots_[taken_]);
        slots_[taken_] = Slot{};
        ++taken_;
        lock.unlock();
        changed_.notify_all();  // a worker may be waiting for room
        if (slot.error)
            std::rethrow_exception(slot.error);
        return std::move(slot.result);
    }

private:
    struct Slot {
        bool done = false;
        std::optional<Result> result;
        std::exception_ptr error;
    };

    void work()
    {
        for (;;) {
            std::size_t index;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || started_ == slots_.size() || started_ < taken_ + ahead_; });
                if (stopping_ || started_ == slots_.size())
                    return;
                index = started_++;
            }
            Slot slot;
            slot.done = true;
            try {
                slot.result.emplace(make_(index));
            } catch (...) {
                slot.error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex_);
                slots_[index] = std::move(slot);
            }
            changed_.notify_all();
        }
    }

    std::function<Result(std::size_t)> make_;
    std::vector<Slot> slots_;
    std::size_t ahead_;
    std::size_t started_ = 0;  // chunks handed to a worker
    std::size_t taken_ = 0;    // chunks handed to the caller
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

}  // namespace zorvan
