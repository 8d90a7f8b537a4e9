#pragma once
// Runs one job over an index range on a fixed set of threads and returns when every index is done.
// The calling thread works too, so a pool of N threads runs a job on N + 1 threads. One caller at
// a time.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace net {

class WorkerPool {
public:
    // A request of 0 takes the hardware's thread count minus one, clamped to 0..7; a negative
    // request gives no threads.
    explicit WorkerPool(int threadCount);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs job(i) for every i in 0..count-1. Fewer than the minimum parallel count, or no
    // threads: inline, in order, on the caller.
    void Run(int count, const std::function<void(int)>& job);
    int ThreadCount() const { return static_cast<int>(threads_.size()); }

    // The number of threads a request starts, given the hardware's thread count (0 when unknown).
    static int ResolveThreadCount(int request, unsigned hardwareThreads);

    static constexpr int kMinimumParallelCount = 8;

private:
    void WorkerLoop();
    void Work(const std::function<void(int)>& job, int count);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable workDone_;
    const std::function<void(int)>* job_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    std::atomic<int> remaining_{0};
    std::atomic<int> busy_{0};
    uint32_t generation_ = 0;
    bool stop_ = false;
};

}  // namespace net
