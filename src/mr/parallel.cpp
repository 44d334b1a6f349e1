#include "mr/parallel.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace facetry {

namespace {

using Body = std::function<void(std::size_t, std::size_t)>;

// Chunks per thread: enough for uneven chunks to even out, few enough that
// taking one costs nothing next to the work in it.
constexpr std::size_t kChunksPerThread = 4;
// The work a chunk should hold at least.
constexpr std::size_t kChunkWork = 16384;

// The workers and the one loop they are running. Loops are not nested: a
// body never calls parallelFor.
class Pool {
public:
    // The process's pool. It is never destroyed: its workers sleep through
    // exit() wherever it is called.
    static Pool& instance() {
        static Pool* pool = new Pool;
        return *pool;
    }

    void run(std::size_t count, int threads, std::size_t grain, const Body& body) {
        std::lock_guard<std::mutex> oneLoop(running);
        // A child made by fork() has none of its parent's workers.
        if (getpid() != owner) {
            body(0, count);
            return;
        }
        grow(threads - 1);
        {
            std::lock_guard<std::mutex> lock(mutex);
            job = &body;
            jobCount = count;
            chunk = std::max(grain, (count + threads * kChunksPerThread - 1) / (threads * kChunksPerThread));
            next.store(0);
            helpers = threads - 1;
            busy = helpers;
            failure = nullptr;
            ++generation;
        }
        wake.notify_all();
        work();
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [this] { return busy == 0; });
        job = nullptr;
        if (failure) std::rethrow_exception(failure);
    }

private:
    Pool() : owner(getpid()) {}

    void grow(int wanted) {
        while (static_cast<int>(workers.size()) < wanted) {
            const int index = static_cast<int>(workers.size());
            workers.emplace_back([this, index] { serve(index); });
            workers.back().detach();
        }
    }

    // Takes chunks until none is left; a failure ends the loop early.
    void work() {
        for (;;) {
            const std::size_t begin = next.fetch_add(chunk);
            if (begin >= jobCount) return;
            try {
                (*job)(begin, std::min(begin + chunk, jobCount));
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex);
                if (!failure) failure = std::current_exception();
                next.store(jobCount);
            }
        }
    }

    void serve(int index) {
        unsigned long seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [&] { return generation != seen; });
                seen = generation;
                if (index >= helpers) continue;  // not wanted in this loop
            }
            work();
            std::lock_guard<std::mutex> lock(mutex);
            if (--busy == 0) done.notify_one();
        }
    }

    const pid_t owner;                  // the process the workers belong to
    std::mutex running;                 // held for the whole of a loop
    std::mutex mutex;                   // guards the fields below and the two conditions
    std::condition_variable wake;       // a new loop has started
    std::condition_variable done;       // the last helper has finished
    std::vector<std::thread> workers;   // detached; they never end
    const Body* job = nullptr;          // the loop's body
    std::size_t jobCount = 0;           // the loop's index count
    std::size_t chunk = 1;              // indices per chunk
    std::atomic<std::size_t> next{0};   // the first index no thread has taken
    int helpers = 0;                    // workers taking part in the loop
    int busy = 0;                       // helpers not finished yet
    unsigned long generation = 0;       // loops started so far
    std::exception_ptr failure;         // the first exception a chunk threw
};

}  // namespace

std::size_t grainFor(std::size_t work) { return std::max<std::size_t>(1, kChunkWork / std::max<std::size_t>(1, work)); }

int machineThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

void parallelFor(std::size_t count, int threads, std::size_t grain, const Body& body) {
    grain = std::max<std::size_t>(grain, 1);
    threads = static_cast<int>(std::min<std::size_t>(std::max(threads, 1), count / grain));
    if (threads <= 1) {
        if (count > 0) body(0, count);
        return;
    }
    Pool::instance().run(count, threads, grain, body);
}

}  // namespace facetry
