#include "fit/work_split.h"

#include <exception>
#include <vector>

#if !defined(__EMSCRIPTEN__)
#include <system_error>
#include <thread>
#define PLORIMET_THREADS 1
#endif

namespace plorimet {

#if defined(PLORIMET_THREADS)
namespace {

// The last piece runs on the calling thread; a piece's exception is passed on to the caller
// once every thread has ended, and a thread the system refuses becomes a piece run here.
void RunOnThreads(int count, const std::function<void(int piece)>& piece) {
    std::vector<std::exception_ptr> failures(count);
    auto guarded = [&](int k) {
        try {
            piece(k);
        } catch (...) {
            failures[k] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (int k = 0; k + 1 < count; ++k) {
        try {
            threads.emplace_back(guarded, k);
        } catch (const std::system_error&) {
            guarded(k);
        }
    }
    if (count > 0) guarded(count - 1);
    for (std::thread& thread : threads) thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

}  // namespace
#endif

WorkSplit WorkSplitOfMachine() {
#if defined(PLORIMET_THREADS)
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    if (cores > 1) return WorkSplit{cores, RunOnThreads};
#endif
    return WorkSplit{};
}

WorkSplit WorkSplitFor(long long points) { return points > kPointsWorthThreads ? WorkSplitOfMachine() : WorkSplit{}; }

}  // namespace plorimet
