#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

namespace brimlark {

// A first-in, first-out queue with one worker thread of its own.
//
// Tasks run one at a time in the order they were queued. Destroying the queue lets every task
// already queued run and then ends the worker; a task may itself drop the last owner of the
// queue (the queue is then destroyed on its own worker, which finishes the remaining tasks and
// exits on its own instead of joining itself). A task that throws is logged and the queue goes on.
class SerialQueue
{
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    const std::string &label() const { return m_label; }

    // Queues the task and returns at once.
    void async(std::function<void()> task);
    // Queues the task ahead of every ordinary task not yet started (behind earlier urgent ones)
    // and returns at once. For short work that must not wait behind a backlog.
    void asyncUrgent(std::function<void()> task);

    // Waits until every task queued so far, and every task those queue in turn, has run and the
    // queue is idle, or until the deadline. True when idle.
    bool waitUntilIdle(std::chrono::steady_clock::time_point deadline);
    // Drops the tasks not yet started and returns how many were dropped; the running one ends as
    // it would.
    std::size_t discardPending();

    // Runs the closure on the queue after everything queued before it and waits for its result.
    // Called from a task of this same queue, the closure runs at once in place (waiting for
    // itself would never end).
    template <typename Closure> auto sync(Closure &&closure) -> std::invoke_result_t<Closure &>
    {
        using Result = std::invoke_result_t<Closure &>;
        if (isCurrent()) {
            return closure();
        }
        std::packaged_task<Result()> task(std::ref(closure));
        auto future = task.get_future();
        auto shared = std::make_shared<std::packaged_task<Result()>>(std::move(task));
        enqueue([shared] { (*shared)(); });
        return future.get();
    }

    // True on this queue's worker thread.
    bool isCurrent() const;

private:
    struct State;

    void enqueue(std::function<void()> task, bool urgent = false);
    static void workerLoop(std::shared_ptr<State> state, std::string label);

    std::string m_label;
    std::shared_ptr<State> m_state;
    std::thread m_worker;
};

} // namespace brimlark
