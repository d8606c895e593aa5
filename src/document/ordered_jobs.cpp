#include "kuv/ordered_jobs.hpp"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kuv {

namespace {

// What the threads share: the next input to take, how many were reported,
// and each input's outcome once its job is done.
class JobBoard {
 public:
  JobBoard(std::size_t count, std::size_t ahead)
      : ahead_(std::max<std::size_t>(ahead, 1)), done_(count, false), failures_(count) {}

  // The next input to work on, once it is no more than ahead_ inputs past
  // the reports; false when none is left.
  bool Take(std::size_t* index) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock,
                  [&] { return stopped_ || next_ >= done_.size() || next_ - reported_ < ahead_; });
    if (stopped_ || next_ >= done_.size()) return false;
    *index = next_++;
    return true;
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

  // One more input reported: a job further on may start.
  void Reported() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ++reported_;
    }
    changed_.notify_all();
  }

  void Stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
  }

 private:
  const std::size_t ahead_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;
  std::size_t reported_ = 0;
  bool stopped_ = false;
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
  RunOrderedJobs(count, jobs, count, work, report);
}

void RunOrderedJobs(std::size_t count, unsigned jobs, std::size_t ahead,
                    const std::function<void(std::size_t)>& work,
                    const std::function<void(std::size_t, std::exception_ptr)>& report) {
  // One job needs no thread of its own.
  if (jobs <= 1 || count <= 1 || ahead <= 1) {
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
  JobBoard board(count, ahead);
  Workers workers(board);
  const std::size_t threads = std::min<std::size_t>({jobs, count, ahead});
  for (std::size_t i = 0; i < threads; ++i) workers.Start(work);
  for (std::size_t i = 0; i < count; ++i) {
    report(i, board.WaitFor(i));
    board.Reported();
  }
}

}  // namespace kuv
