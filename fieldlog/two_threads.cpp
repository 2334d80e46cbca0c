#include "two_threads.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace rawfile {

bool ForEachOnTwoThreads(std::size_t first, std::size_t end, std::size_t enough,
                         const std::function<void(std::size_t)>& each) {
    std::atomic<std::size_t> next{first};
    const auto work = [&](std::exception_ptr* failed) {
        try {
            for (std::size_t i; (i = next.fetch_add(1)) < end;) {
                each(i);
            }
        } catch (...) {
            *failed = std::current_exception();
            next = end;  // the other thread stops at its next step
        }
    };
    std::exception_ptr helperFailed;
    std::thread helper;
    if (end > first && end - first >= enough && std::thread::hardware_concurrency() > 1) {
        try {
            helper = std::thread(work, &helperFailed);
        } catch (const std::system_error&) {
            // No second thread to be had: this one takes every step.
        }
    }
    std::exception_ptr ownFailed;
    work(&ownFailed);
    const bool shared = helper.joinable();
    if (shared) {
        helper.join();
    }
    for (const std::exception_ptr& failed : {ownFailed, helperFailed}) {
        if (failed) {
            std::rethrow_exception(failed);
        }
    }
    return shared;
}

}  // namespace rawfile
