#include "harness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "kuv/kuv.h"

namespace kuv_bench {
namespace {

std::int64_t StatusField(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(name);
  while (std::getline(status, line)) {
    if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':') {
      return std::atoll(line.c_str() + length + 1) * 1024;  // reported in kB
    }
  }
  return -1;
}

bool ReadFully(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = ::read(fd, bytes, size);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

std::int64_t ResidentBytes() { return StatusField("VmRSS"); }
std::int64_t PeakResidentBytes() { return StatusField("VmHWM"); }

bool ResetPeakResident() {
  std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
  if (file == nullptr) return false;
  const bool written = std::fputs("5", file) >= 0;
  return std::fclose(file) == 0 && written;
}

ChildReport RunInChild(const std::function<ChildReport()>& body) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return ChildReport();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return ChildReport();
  }
  if (child == 0) {
    ::close(pipeEnds[0]);
    ChildReport report = body();
    const bool sent =
        ::write(pipeEnds[1], &report, sizeof report) == static_cast<ssize_t>(sizeof report);
    // Leave without running the parent's exit handlers a second time.
    std::fflush(nullptr);
    ::_exit(sent ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  ChildReport report;
  const bool received = ReadFully(pipeEnds[0], &report, sizeof report);
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return ChildReport();
  return report;
}

std::int64_t FileSize(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool WarmPageCache(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  std::vector<char> block(1 << 20);
  ssize_t got;
  while ((got = ::read(fd, block.data(), block.size())) > 0) {
  }
  ::close(fd);
  return got == 0;
}

bool SameContent(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary);
  std::ifstream second(b, std::ios::binary);
  if (!first || !second) return false;
  std::vector<char> one(1 << 20);
  std::vector<char> two(1 << 20);
  while (true) {
    first.read(one.data(), static_cast<std::streamsize>(one.size()));
    second.read(two.data(), static_cast<std::streamsize>(two.size()));
    const std::streamsize got = first.gcount();
    if (got != second.gcount()) return false;
    if (std::memcmp(one.data(), two.data(), static_cast<std::size_t>(got)) != 0) return false;
    if (got == 0) return true;
  }
}

std::int64_t DocumentStat(const std::string& documentPath, const std::string& name) {
  std::ifstream stats(documentPath + ".stats");
  std::string key;
  std::int64_t value;
  while (stats >> key >> value) {
    if (key == name) return value;
  }
  return -1;
}

bool AttachLibrary() {
  char* message = nullptr;
  if (KuvAttach(&message) == 1) return true;
  std::fprintf(stderr,
               "KuvAttach failed: %s\n"
               "The library finds its template through $XDG_CONFIG_HOME/KUV/Template/FileName, a "
               "file holding the template's path and a zero byte; scripts/bench.sh sets this up.\n",
               message != nullptr ? message : "(no message)");
  return false;
}

std::string Arguments::Positional(int index) const {
  int seen = 0;
  for (int i = 1; i < argc_; ++i) {
    if (std::strncmp(argv_[i], "--", 2) == 0) {
      ++i;  // skip the option's value
      continue;
    }
    if (seen++ == index) return argv_[i];
  }
  return std::string();
}

std::int64_t Arguments::Number(const char* option, std::int64_t fallback) const {
  const std::string text = Text(option, std::string());
  return text.empty() ? fallback : std::atoll(text.c_str());
}

std::string Arguments::Text(const char* option, const std::string& fallback) const {
  for (int i = 1; i + 1 < argc_; ++i) {
    if (std::strcmp(argv_[i], option) == 0) return argv_[i + 1];
  }
  return fallback;
}

void PrintHeading(const std::string& title) { std::printf("\n== %s\n", title.c_str()); }

void PrintTarget(bool met, const std::string& text) {
  std::printf("  target %-52s %s\n", text.c_str(), met ? "MET" : "MISSED");
}

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

}  // namespace kuv_bench
