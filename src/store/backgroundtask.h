#pragma once
// One piece of work on a second thread: joined before it goes, and what it threw
// rethrown by wait(). Not std::async: its future is completed through
// std::call_once, whose thread-local state the MinGW runtime has been seen to
// read through a null pointer now and then (a crash in one run of many under
// Windows); a plain thread and an exception_ptr need none of it.

#include <exception>
#include <functional>
#include <thread>
#include <utility>

namespace mivora {

class BackgroundTask {
  public:
    BackgroundTask() = default;
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    // What it threw then is dropped: the caller is already leaving by an error.
    ~BackgroundTask() { join(); }

    // Starts the work, once the work started before has ended (what that threw
    // is then rethrown by the next wait).
    void start(std::function<void()> work) {
        join();
        thread_ = std::thread([this, work = std::move(work)] {
            try {
                work();
            } catch (...) {
                error_ = std::current_exception();
            }
        });
    }

    // Waits for the work started, if any; rethrows what it threw.
    void wait() {
        join();
        if (error_)
            std::rethrow_exception(std::exchange(error_, nullptr));
    }

    bool started() const { return thread_.joinable(); }

  private:
    void join() {
        if (thread_.joinable())
            thread_.join();
    }

    std::thread thread_;
    std::exception_ptr error_;
};

} // namespace mivora
