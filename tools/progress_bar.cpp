#include "progress_bar.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <utility>

#include "interrupt_cleanup.h"

namespace kuv::tool {

namespace {
bool StderrIsTerminal() {
#ifdef _WIN32
  return ::_isatty(::_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

constexpr auto kQuietStart = std::chrono::milliseconds(400);
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr int kWidth = 30;
}  // namespace

ProgressBar::ProgressBar(std::string label, long long total, bool enabled)
    : label_(std::move(label)), total_(total), stepStart_(std::chrono::steady_clock::now()) {
  if (enabled && StderrIsTerminal()) ticker_ = std::thread([this] { Run(); });
}

ProgressBar::~ProgressBar() {
  if (ticker_.joinable()) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    ticker_.join();
  }
  Clear();
}

void ProgressBar::Step(std::string label, long long total) {
  const std::lock_guard<std::mutex> lock(mutex_);
  label_ = std::move(label);
  total_ = total;
  stepStart_ = std::chrono::steady_clock::now();
  done_.store(0, std::memory_order_relaxed);
}

void ProgressBar::Clear() {
  const std::lock_guard<std::mutex> lock(mutex_);
  paused_.store(true, std::memory_order_relaxed);
  if (!drawn_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  drawn_ = false;
  NoteBarOnLine(false);
}

void ProgressBar::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (wake_.wait_for(lock, kQuietStart, [this] { return stopping_; })) return;
  while (!stopping_) {
    if (!paused_.load(std::memory_order_relaxed)) DrawLocked(std::chrono::steady_clock::now());
    wake_.wait_for(lock, kRedrawEvery, [this] { return stopping_; });
  }
}

void ProgressBar::DrawLocked(std::chrono::steady_clock::time_point now) {
  drawn_ = true;
  NoteBarOnLine(true);
  if (total_ <= 0) {
    const long long tenths = static_cast<long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now - stepStart_).count() / 100);
    std::fprintf(stderr, "\r\033[K%s %lld.%lld s", label_.c_str(), tenths / 10, tenths % 10);
  } else {
    long long done = done_.load(std::memory_order_relaxed);
    if (done > total_) done = total_;
    const int filled = static_cast<int>(done * kWidth / total_);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r\033[K%s [%s] %3lld%%", label_.c_str(), bar.c_str(),
                 done * 100 / total_);
  }
  std::fflush(stderr);
}

}  // namespace kuv::tool
