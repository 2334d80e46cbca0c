// Sharing runs of independent steps between two threads on a machine with two cores.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace rawfile {

// A second thread that takes part in runs of steps, started at the first run that is worth
// sharing and kept until this object ends: a step of a check is only a few dozen files, and
// under Wine starting a thread costs about as much as loading one.
class TwoThreads {
public:
    TwoThreads() = default;
    ~TwoThreads();
    TwoThreads(const TwoThreads&) = delete;
    TwoThreads& operator=(const TwoThreads&) = delete;

    // Calls each(i) once for every i in [first, end): on this thread and, where the machine
    // has a second core and there are at least `enough` steps, on the second thread too, the
    // two taking the next index in turn. Steps must touch only what is theirs, or what is
    // shared under a lock. Once both threads stopped, the first exception a step threw is
    // thrown again here (the other steps may then not all have run). True when the second
    // thread took part.
    bool ForEach(std::size_t first, std::size_t end, std::size_t enough,
                 const std::function<void(std::size_t)>& each);

    // ForEach, with this thread also following the steps in their order while they are taken:
    // follow(i, sharing) is called for every i in [first, end), in order, once step i is done.
    // `sharing`: the second thread may still be taking steps. follow(i, true) may return false
    // to wait for that: follow(i, false) is then called once the second thread has stopped, and
    // the steps after i follow from then on. `follow` runs on this thread only, so it may touch
    // what the steps do not touch. Returns what ForEach does.
    bool ForEachFollowed(std::size_t first, std::size_t end, std::size_t enough,
                         const std::function<void(std::size_t)>& each,
                         const std::function<bool(std::size_t, bool)>& follow);

    // Whether the second thread takes part in the run under way, or took part in the last one.
    bool Shared() const { return shared_; }

private:
    void Serve();
    // Takes steps until none are left, marking each one done and calling `between` (if any)
    // after each; an exception of either stops both threads.
    std::exception_ptr TakeSteps(const std::function<void(std::size_t)>& each, std::size_t end,
                                 const std::function<void()>& between = {});
    void TakeStep(const std::function<void(std::size_t)>& each, std::size_t i);

    std::mutex mutex_;
    std::condition_variable wake_;      // a run for the second thread, or its end
    std::condition_variable finished_;  // the second thread's part of a run is done
    const std::function<void(std::size_t)>* each_ = nullptr;
    std::size_t end_ = 0;
    bool running_ = false;  // the second thread has a run
    bool stop_ = false;
    bool unavailable_ = false;  // no second thread could be started
    bool shared_ = false;
    std::exception_ptr failed_;
    std::atomic<std::size_t> next_{0};
    std::size_t first_ = 0;
    std::unique_ptr<std::atomic<bool>[]> done_;  // by step from first_, while following
    std::thread thread_;
};

}  // namespace rawfile
