// A progress bar on standard error for long runs. It draws only when
// standard error is a terminal, and only once a run has lasted long enough
// to be worth watching; from then on a thread of its own redraws it a few
// times a second from the latest count, so that it moves steadily however
// unevenly the work reports, and shows the time spent in a step whose
// size is unknown (reading a document).
#ifndef KUV_TOOLS_PROGRESS_BAR_H_
#define KUV_TOOLS_PROGRESS_BAR_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kuv::tool {

class ProgressBar {
 public:
  // A total of 0 is a step of unknown size: the bar shows the time spent.
  // enabled false draws nothing, as when standard error is no terminal.
  ProgressBar(std::string label, long long total, bool enabled = true);
  ~ProgressBar();  // stops drawing and clears the bar's line
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Cheap enough to call for every item: it only stores the count (and
  // lets a bar taken off by Clear draw again).
  void Update(long long done) {
    done_.store(done, std::memory_order_relaxed);
    paused_.store(false, std::memory_order_relaxed);
  }
  void Finish(long long done) { Update(done); }
  // Starts the next step of a run: a new label, total and count of 0.
  void Step(std::string label, long long total);
  // Takes the bar off its line, so that a message can be written there;
  // the next Update draws it again.
  void Clear();

 private:
  void Run();
  void DrawLocked(std::chrono::steady_clock::time_point now);

  std::atomic<long long> done_{0};
  std::atomic<bool> paused_{false};
  std::mutex mutex_;  // guards what follows, and the terminal line
  std::condition_variable wake_;
  std::string label_;
  long long total_;
  bool drawn_ = false;
  bool stopping_ = false;
  std::chrono::steady_clock::time_point stepStart_;  // of the current step
  std::thread ticker_;                               // runs only on a terminal
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_PROGRESS_BAR_H_
