#include "two_threads.h"

#include <system_error>

namespace rawfile {

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

std::exception_ptr TwoThreads::TakeSteps(const std::function<void(std::size_t)>& each,
                                         std::size_t end) {
    try {
        for (std::size_t i; (i = next_.fetch_add(1)) < end;) {
            each(i);
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
    if (end <= first) {
        return false;
    }
    next_ = first;
    bool shared = end - first >= enough && std::thread::hardware_concurrency() > 1;
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
        }
    }
    if (shared) {
        wake_.notify_one();
    }
    const std::exception_ptr own = TakeSteps(each, end);
    std::exception_ptr helper;
    if (shared) {
        std::unique_lock<std::mutex> hold(mutex_);
        finished_.wait(hold, [this] { return !running_; });
        each_ = nullptr;
        helper = failed_;
    }
    for (const std::exception_ptr& failed : {own, helper}) {
        if (failed) {
            std::rethrow_exception(failed);
        }
    }
    return shared;
}

}  // namespace rawfile
