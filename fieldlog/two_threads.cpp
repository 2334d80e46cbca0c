#include "two_threads.h"

#include <system_error>

namespace rawfile {

namespace {

// Whether the machine has a second core, asked once: the answer comes from the system's files.
bool HasTwoCores() {
    static const bool two = std::thread::hardware_concurrency() > 1;
    return two;
}

}  // namespace

TwoThreads::~TwoThreads() {
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TwoThreads::TakeStep(const std::function<void(std::size_t)>& each, std::size_t i) {
    each(i);
    if (done_) {
        done_[i - first_].store(true, std::memory_order_release);
    }
}

std::exception_ptr TwoThreads::TakeSteps(const std::function<void(std::size_t)>& each,
                                         std::size_t end, const std::function<void()>& between) {
    try {
        for (std::size_t i; (i = next_.fetch_add(1)) < end;) {
            TakeStep(each, i);
            if (between) {
                between();
            }
        }
    } catch (...) {
        next_ = end;  // the other thread stops at its next step
        return std::current_exception();
    }
    return nullptr;
}

void TwoThreads::Serve() {
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
        wake_.wait(hold, [this] { return running_ || stop_; });
        if (stop_) {
            return;
        }
        const std::function<void(std::size_t)>& each = *each_;
        const std::size_t end = end_;
        hold.unlock();
        std::exception_ptr failed = TakeSteps(each, end);
        hold.lock();
        failed_ = failed;
        running_ = false;
        finished_.notify_one();
    }
}

bool TwoThreads::ForEach(std::size_t first, std::size_t end, std::size_t enough,
                         const std::function<void(std::size_t)>& each) {
    return ForEachFollowed(first, end, enough, each, {});
}

bool TwoThreads::ForEachFollowed(std::size_t first, std::size_t end, std::size_t enough,
                                 const std::function<void(std::size_t)>& each,
                                 const std::function<bool(std::size_t, bool)>& follow) {
    if (end <= first) {
        return false;
    }
    next_ = first;
    first_ = first;
    bool shared = end - first >= enough && HasTwoCores();
    if (shared) {
        const std::lock_guard<std::mutex> hold(mutex_);
        if (!thread_.joinable() && !unavailable_) {
            try {
                thread_ = std::thread(&TwoThreads::Serve, this);
            } catch (const std::system_error&) {
                unavailable_ = true;  // this thread takes every step
            }
        }
        shared = thread_.joinable();
        if (shared) {
            each_ = &each;
            end_ = end;
            failed_ = nullptr;
            running_ = true;
            if (follow) {
                done_.reset(new std::atomic<bool>[end - first]());
            }
        }
    }
    shared_ = shared;
    if (shared) {
        wake_.notify_one();
    }
    // While the second thread takes steps, this one follows the steps done and takes the next.
    std::size_t followed = first;
    bool following = true;
    const auto followDone = [&] {
        while (following && followed < end &&
               done_[followed - first].load(std::memory_order_acquire)) {
            following = follow(followed, true);
            followed += following ? 1 : 0;
        }
    };
    const std::exception_ptr own =
        TakeSteps(each, end, done_ ? std::function<void()>(followDone) : nullptr);
    std::exception_ptr helper;
    if (shared) {
        std::unique_lock<std::mutex> hold(mutex_);
        finished_.wait(hold, [this] { return !running_; });
        each_ = nullptr;
        helper = failed_;
    }
    done_.reset();
    for (const std::exception_ptr& failed : {own, helper}) {
        if (failed) {
            std::rethrow_exception(failed);
        }
    }
    if (follow) {
        for (; followed < end; ++followed) {
            follow(followed, false);
        }
    }
    return shared;
}

}  // namespace rawfile
