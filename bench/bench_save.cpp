// Save: KuvSave of a document beside the limit of the disk: the same number
// of bytes written with one large write and an fsync, to a new file in the
// same folder. Runs alternate; every run writes a new file (the previous
// one is removed untimed), so neither pays for replacing an old one.
// KuvSave itself writes a temporary file, syncs it and renames it over the
// target. Also checks that the saved document is identical to the one read.
//
//   kuv_bench_save DOCUMENT [--runs 5] [--out-dir DIR]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"
#include "kuv/kuv.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// One write of the whole buffer (repeated only if the kernel takes less),
// then fsync: what the disk allows for this many bytes.
bool WriteAtOnce(const std::string& path, const std::vector<char>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  bool ok = true;
  while (ok && left > 0) {
    const ssize_t written = ::write(fd, data, left);
    ok = written > 0;
    if (ok) {
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  ok = ok && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const kuv_bench::Arguments arguments(argc, argv);
  const std::string path = arguments.Positional(0);
  const int runs = static_cast<int>(std::max<std::int64_t>(1, arguments.Number("--runs", 5)));
  const std::string folder = arguments.Text("--out-dir", FolderOf(path));
  const std::int64_t fileBytes = kuv_bench::FileSize(path);
  if (path.empty() || fileBytes <= 0) {
    std::fprintf(stderr, "usage: %s DOCUMENT [--runs N] [--out-dir DIR]\n", argv[0]);
    return 2;
  }
  if (!kuv_bench::AttachLibrary()) return 1;
  char* message = nullptr;
  if (KuvOpen(path.c_str(), &message, 0) != 1) {
    std::fprintf(stderr, "KuvOpen failed: %s\n", message != nullptr ? message : "");
    return 1;
  }

  const std::string savedPath = folder + "/kuv-bench-saved.kuv";
  const std::string limitPath = folder + "/kuv-bench-limit.bin";
  std::vector<char> limitBytes;
  double bestSave = 1e300;
  double bestLimit = 1e300;
  std::string saveTimes;
  std::string limitTimes;
  std::int64_t savedBytes = 0;
  for (int run = 0; run < runs; ++run) {
    ::unlink(savedPath.c_str());
    int saved = 0;
    const double saveSeconds =
        kuv_bench::TimeSeconds([&] { saved = KuvSave(savedPath.c_str(), &message); });
    if (saved != 1) {
      std::fprintf(stderr, "KuvSave failed: %s\n", message != nullptr ? message : "");
      return 1;
    }
    savedBytes = kuv_bench::FileSize(savedPath);
    if (limitBytes.size() != static_cast<std::size_t>(savedBytes)) {
      limitBytes.assign(static_cast<std::size_t>(savedBytes), 'k');  // pages touched, untimed
    }

    ::unlink(limitPath.c_str());
    bool limitWritten = false;
    const double limitSeconds =
        kuv_bench::TimeSeconds([&] { limitWritten = WriteAtOnce(limitPath, limitBytes); });
    if (!limitWritten) {
      std::fprintf(stderr, "cannot write %s\n", limitPath.c_str());
      return 1;
    }
    bestSave = std::min(bestSave, saveSeconds);
    bestLimit = std::min(bestLimit, limitSeconds);
    saveTimes += " " + kuv_bench::SecondsText(saveSeconds);
    limitTimes += " " + kuv_bench::SecondsText(limitSeconds);
  }

  const bool identical = kuv_bench::SameContent(path, savedPath);
  ::unlink(limitPath.c_str());
  ::unlink(savedPath.c_str());
  KuvDetach();

  const double mb = static_cast<double>(savedBytes) / 1e6;
  kuv_bench::PrintHeading("Save of " + path + " (" + kuv_bench::Megabytes(savedBytes) +
                          " written to " + folder + "), best of " + std::to_string(runs) +
                          " runs each, alternating");
  std::printf("  %-28s %7.3f s  %7.1f MB/s   runs:%s\n", "KuvSave", bestSave, mb / bestSave,
              saveTimes.c_str());
  std::printf("  %-28s %7.3f s  %7.1f MB/s   runs:%s\n", "one write + fsync (limit)", bestLimit,
              mb / bestLimit, limitTimes.c_str());
  std::printf("  KuvSave time / limit time: %.2fx\n", bestSave / bestLimit);
  std::printf("  saved document identical to the one read: %s\n", identical ? "yes" : "NO");
  kuv_bench::PrintTarget(bestSave <= 2 * bestLimit, "KuvSave within 2x of one write + fsync");
  return identical ? 0 : 1;
}
