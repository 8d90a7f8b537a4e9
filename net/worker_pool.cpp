#include "net/worker_pool.h"

#include <algorithm>

namespace net {

int WorkerPool::ResolveThreadCount(int request, unsigned hardwareThreads)
{
    if (request < 0) {
        return 0;
    }
    if (request > 0) {
        return request;
    }
    // The caller works too, so one hardware thread is left for it.
    const int spare = static_cast<int>(std::min(hardwareThreads, 1024u)) - 1;
    return std::clamp(spare, 0, 7);
}

WorkerPool::WorkerPool(int threadCount)
{
    const int count = ResolveThreadCount(threadCount, std::thread::hardware_concurrency());
    threads_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        threads_.emplace_back([this] { WorkerLoop(); });
    }
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    workReady_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void WorkerPool::Run(int count, const std::function<void(int)>& job)
{
    if (count < 1) {
        return;
    }
    if (threads_.empty() || count < kMinimumParallelCount) {
        for (int i = 0; i < count; ++i) {
            job(i);
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        count_ = count;
        remaining_.store(count);
        next_.store(0);
        ++generation_;
    }
    workReady_.notify_all();

    Work(job, count);

    std::unique_lock<std::mutex> lock(mutex_);
    // A worker that copied this job counts as busy until it stops touching it, so the job and the
    // caller's data stay alive until every such worker is done, not merely until the last index.
    workDone_.wait(lock, [this] { return remaining_.load() < 1 && busy_.load() == 0; });
    job_ = nullptr;
    count_ = 0;
    next_.store(0);
}

void WorkerPool::Work(const std::function<void(int)>& job, int count)
{
    for (;;) {
        const int i = next_.fetch_add(1);
        if (i >= count) {
            return;
        }
        job(i);
        remaining_.fetch_sub(1);
    }
}

void WorkerPool::WorkerLoop()
{
    uint32_t seen = 0;
    for (;;) {
        const std::function<void(int)>* job = nullptr;
        int count = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workReady_.wait(lock, [this, seen] { return stop_ || generation_ != seen; });
            if (stop_) {
                return;
            }
            seen = generation_;
            busy_.fetch_add(1);
            job = job_;
            count = count_;
        }
        // A worker that wakes after its job has finished finds no job and only reports back.
        if (job != nullptr) {
            Work(*job, count);
        }
        busy_.fetch_sub(1);
        std::lock_guard<std::mutex> lock(mutex_);
        workDone_.notify_one();
    }
}

}  // namespace net
