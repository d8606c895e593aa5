#include "progress_bar.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstdio>

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
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kWidth = 30;
}  // namespace

ProgressBar::ProgressBar(std::string label, long long total)
    : label_(std::move(label)),
      total_(total),
      enabled_(total > 0 && StderrIsTerminal()),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Clear() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  drawn_ = false;
}

void ProgressBar::Draw(long long done) {
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < kQuietStart || (drawn_ && now - lastDraw_ < kRedrawEvery)) return;
  lastDraw_ = now;
  drawn_ = true;
  if (done > total_) done = total_;
  const int filled = static_cast<int>(done * kWidth / total_);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kWidth, '.');
  std::fprintf(stderr, "\r%s [%s] %3lld%%", label_.c_str(), bar.c_str(), done * 100 / total_);
  std::fflush(stderr);
}

}  // namespace kuv::tool
