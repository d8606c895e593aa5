// Runs tasks on up to `threads` threads without the GIL and hands each
// finished task, in order, to `consume` on the calling thread, holding the
// GIL: the work that needs the interpreter overlaps the work that does
// not. While it waits for the next task to finish, the calling thread runs
// tasks too. The first exception stops the tasks not yet begun and is
// rethrown once every thread has stopped.
#ifndef KUV_PYTHON_PIPELINE_H_
#define KUV_PYTHON_PIPELINE_H_

#include <pybind11/pybind11.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kuv::python {

template <typename Task, typename Consume>
void RunAndConsumeInOrder(int threads, std::size_t count, const Task& task,
                          const Consume& consume) {
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<char> done(count, 0);
  std::exception_ptr failure;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};

  const auto run = [&](std::size_t index) {
    try {
      task(index);
    } catch (...) {
      std::lock_guard<std::mutex> guard(mutex);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
    {
      std::lock_guard<std::mutex> guard(mutex);
      done[index] = 1;
    }
    finished.notify_all();
  };
  const auto work = [&] {
    while (!stop) {
      const std::size_t index = next.fetch_add(1);
      if (index >= count) return;
      run(index);
    }
  };
  const auto failed = [&] {
    std::lock_guard<std::mutex> guard(mutex);
    return failure != nullptr;
  };

  std::vector<std::thread> helpers;
  const std::size_t wanted =
      threads > 1 ? std::min<std::size_t>(count, static_cast<std::size_t>(threads - 1)) : 0;
  try {
    for (std::size_t i = 0; i < wanted; ++i) helpers.emplace_back(work);
  } catch (...) {
    // No thread could be started: the calling thread does the work.
  }
  const auto join = [&] {
    stop = true;
    pybind11::gil_scoped_release without_gil;
    for (std::thread& helper : helpers) helper.join();
  };

  try {
    for (std::size_t index = 0; index < count && !failed(); ++index) {
      {
        pybind11::gil_scoped_release without_gil;
        for (;;) {
          {
            std::lock_guard<std::mutex> guard(mutex);
            if (done[index] || failure) break;
          }
          if (!stop) {
            const std::size_t mine = next.fetch_add(1);
            if (mine < count) {
              run(mine);
              continue;
            }
          }
          std::unique_lock<std::mutex> lock(mutex);
          finished.wait(lock, [&] { return done[index] || failure != nullptr; });
          break;
        }
      }
      if (!failed()) consume(index);
    }
  } catch (...) {
    join();
    throw;
  }
  join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kuv::python

#endif  // KUV_PYTHON_PIPELINE_H_
