// A progress bar on standard error for long runs. It draws only when
// standard error is a terminal, and only once a run has lasted long enough
// to be worth watching.
#ifndef KUV_TOOLS_PROGRESS_BAR_H_
#define KUV_TOOLS_PROGRESS_BAR_H_

#include <chrono>
#include <string>

namespace kuv::tool {

class ProgressBar {
 public:
  ProgressBar(std::string label, long long total);
  ~ProgressBar();  // clears the bar's line
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Cheap enough to call for every item: it redraws at most ten times a
  // second.
  void Update(long long done) {
    if (enabled_) Draw(done);
  }
  void Finish(long long done) {
    if (enabled_) Draw(done);
  }
  // Takes the bar off its line, so that a message can be written there;
  // the next Update draws it again.
  void Clear();

 private:
  void Draw(long long done);

  std::string label_;
  long long total_;
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_PROGRESS_BAR_H_
