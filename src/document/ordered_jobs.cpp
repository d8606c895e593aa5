#include "kuv/ordered_jobs.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kuv {

namespace {

// What the threads share: the next input to take, and each input's
// outcome once its job is done.
class JobBoard {
 public:
  explicit JobBoard(std::size_t count) : done_(count, false), failures_(count) {}

  // The next input to work on; false when none is left.
  bool Take(std::size_t* index) {
    if (stopped_) return false;
    *index = next_++;
    return *index < done_.size();
  }

  void Finish(std::size_t index, std::exception_ptr failure) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      failures_[index] = std::move(failure);
      done_[index] = true;
    }
    changed_.notify_all();
  }

  std::exception_ptr WaitFor(std::size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_[index]; });
    return std::move(failures_[index]);
  }

  void Stop() { stopped_ = true; }

 private:
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> done_;
  std::vector<std::exception_ptr> failures_;
};

void Work(JobBoard& board, const std::function<void(std::size_t)>& work) {
  std::size_t index = 0;
  while (board.Take(&index)) {
    std::exception_ptr failure;
    try {
      work(index);
    } catch (...) {
      failure = std::current_exception();
    }
    board.Finish(index, std::move(failure));
  }
}

// Stops the board and waits for every thread, on every way out.
class Workers {
 public:
  explicit Workers(JobBoard& board) : board_(board) {}
  ~Workers() {
    board_.Stop();
    for (std::thread& thread : threads_) thread.join();
  }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  void Start(const std::function<void(std::size_t)>& work) {
    threads_.emplace_back([this, &work] { Work(board_, work); });
  }

 private:
  JobBoard& board_;
  std::vector<std::thread> threads_;
};

}  // namespace

unsigned DefaultJobCount() { return std::max(1u, std::thread::hardware_concurrency()); }

void RunOrderedJobs(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                    const std::function<void(std::size_t, std::exception_ptr)>& report) {
  // One job needs no thread of its own.
  if (jobs <= 1 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      std::exception_ptr failure;
      try {
        work(i);
      } catch (...) {
        failure = std::current_exception();
      }
      report(i, std::move(failure));
    }
    return;
  }
  JobBoard board(count);
  Workers workers(board);
  const std::size_t threads = std::min<std::size_t>(jobs, count);
  for (std::size_t i = 0; i < threads; ++i) workers.Start(work);
  for (std::size_t i = 0; i < count; ++i) report(i, board.WaitFor(i));
}

}  // namespace kuv
