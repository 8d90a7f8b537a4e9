#include "net/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Uneven work per index, so that indices finish out of order and some of the last finish late.
uint64_t PoolTestUnevenWork(int i) {
    uint64_t x = static_cast<uint64_t>(i) + 1;
    for (int k = 0; k < (i % 7) * 200; ++k) x = x * 6364136223846793005ull + 1442695040888963407ull;
    return x;
}

TEST(WorkerPoolThreadCount, FollowsTheRequestOrTheHardware) {
    struct Case {
        int request;
        unsigned hardware;
        int threads;
    };
    const Case cases[] = {
        {0, 1, 0},   // one hardware thread: the caller alone
        {0, 0, 0},   // the hardware cannot say
        {0, 2, 1},  {0, 4, 3}, {0, 8, 7},
        {0, 9, 7},   // never more than 7 by default
        {0, 256, 7},
        {3, 1, 3},   // an explicit request is taken as it is
        {12, 4, 12},
        {-1, 8, 0},  {-100, 8, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::WorkerPool::ResolveThreadCount(c.request, c.hardware), c.threads)
            << "request " << c.request << " on " << c.hardware;
    }
    EXPECT_EQ(net::WorkerPool(-1).ThreadCount(), 0);
    EXPECT_EQ(net::WorkerPool(2).ThreadCount(), 2);
}

TEST(WorkerPool, CountZeroOrLessRunsNothing) {
    net::WorkerPool pool(2);
    int calls = 0;
    pool.Run(0, [&calls](int) { ++calls; });
    pool.Run(-5, [&calls](int) { ++calls; });
    EXPECT_EQ(calls, 0);
}

// Below the minimum parallel count, or without threads, every index runs on the caller in order.
TEST(WorkerPool, SmallJobsAndThreadlessPoolsRunInlineInOrder) {
    struct Case {
        int threads;
        int count;
    };
    const Case cases[] = {{3, 3}, {3, net::WorkerPool::kMinimumParallelCount - 1}, {-1, 1}, {-1, 100}};
    for (const Case& c : cases) {
        net::WorkerPool pool(c.threads);
        std::vector<int> order;
        std::vector<std::thread::id> ranOn;
        pool.Run(c.count, [&](int i) {
            order.push_back(i);
            ranOn.push_back(std::this_thread::get_id());
        });
        ASSERT_EQ(static_cast<int>(order.size()), c.count);
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(order[i], i);
            EXPECT_EQ(ranOn[i], std::this_thread::get_id());
        }
    }
}

TEST(WorkerPool, IdlePoolsAreDestroyedPromptly) {
    // A pool that never ran, and one whose workers wait after a job: both must join at once (a
    // worker that missed the stop flag would hang this test).
    for (int round = 0; round < 20; ++round) {
        auto unused = std::make_unique<net::WorkerPool>(4);
        unused.reset();
        net::WorkerPool used(4);
        std::atomic<int> sum{0};
        used.Run(64, [&sum](int i) { sum += i; });
        EXPECT_EQ(sum.load(), 64 * 63 / 2);
    }
}

// Many jobs over many indices: each index runs exactly once, and Run returns only when all have
// finished. Per-index results are plain ints read after Run, so ThreadSanitizer also checks that
// Run's return orders the workers' writes before the caller's reads.
TEST(WorkerPoolThreaded, EveryIndexRunsExactlyOnceBeforeRunReturns) {
    net::WorkerPool pool(4);
    ASSERT_EQ(pool.ThreadCount(), 4);
    std::vector<int> runs;
    std::vector<uint64_t> results;
    for (int job = 0; job < 300; ++job) {
        const int count = 8 + (job * 37) % 1500;
        runs.assign(static_cast<size_t>(count), 0);
        results.assign(static_cast<size_t>(count), 0);
        pool.Run(count, [&](int i) {
            ++runs[static_cast<size_t>(i)];
            results[static_cast<size_t>(i)] = PoolTestUnevenWork(i);
        });
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(runs[static_cast<size_t>(i)], 1) << "job " << job << " index " << i;
            ASSERT_EQ(results[static_cast<size_t>(i)], PoolTestUnevenWork(i)) << "job " << job << " index " << i;
        }
    }
}

}  // namespace
