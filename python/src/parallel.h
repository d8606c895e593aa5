// Runs tasks 0..count-1 on up to `threads` threads (the calling one among
// them), each task once. The first exception a task throws is rethrown
// once all threads have stopped; tasks not yet started then do not start.
#ifndef KUV_PYTHON_PARALLEL_H_
#define KUV_PYTHON_PARALLEL_H_

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kuv::python {

template <typename Task>
void RunInParallel(int threads, std::size_t count, const Task& task) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr first_failure;
  std::mutex failure_mutex;
  const auto work = [&] {
    for (;;) {
      const std::size_t index = next.fetch_add(1);
      if (index >= count || failed.load()) return;
      try {
        task(index);
      } catch (...) {
        std::lock_guard<std::mutex> guard(failure_mutex);
        if (!first_failure) first_failure = std::current_exception();
        failed = true;
      }
    }
  };
  const std::size_t helpers =
      std::min<std::size_t>(count, static_cast<std::size_t>(std::max(threads, 1))) - (count > 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  try {
    for (std::size_t i = 0; i < helpers; ++i) pool.emplace_back(work);
  } catch (...) {
    // No thread could be started: the ones that run finish the work.
  }
  work();
  for (std::thread& thread : pool) thread.join();
  if (first_failure) std::rethrow_exception(first_failure);
}

}  // namespace kuv::python

#endif  // KUV_PYTHON_PARALLEL_H_
