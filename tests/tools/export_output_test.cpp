// kuv export -o stores its file as a document's save does: through a link
// to the file it leads to, with the file's permission bits, never over a
// read-only file, a folder or a device, and with no temporary file left.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Names = std::vector<std::string>;

struct stat StatusOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

bool IsKuvJson(const std::string& text) {
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  return !document.is_discarded() && document.value("format", "") == "kuv-json";
}

// Drains a named pipe on a thread of its own. The test keeps a write end
// open of its own until Finish, so that the reader neither sees the end
// before the tool has opened the pipe nor waits forever if it never does.
class PipeReader {
 public:
  explicit PipeReader(const std::string& path)
      : readEnd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)),
        keeper_(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) {
    EXPECT_GE(readEnd_, 0);
    EXPECT_GE(keeper_, 0);
    if (readEnd_ < 0 || keeper_ < 0) return;
    ::fcntl(readEnd_, F_SETFL, ::fcntl(readEnd_, F_GETFL) & ~O_NONBLOCK);
    thread_ = std::thread([this] {
      char chunk[4096];
      for (;;) {
        const ssize_t got = ::read(readEnd_, chunk, sizeof chunk);
        if (got > 0) {
          bytes_.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
          return;
        }
      }
    });
  }
  ~PipeReader() { Finish(); }

  // What was read, once every writer has closed the pipe.
  std::string Finish() {
    if (keeper_ >= 0) ::close(keeper_);
    keeper_ = -1;
    if (thread_.joinable()) thread_.join();
    if (readEnd_ >= 0) ::close(readEnd_);
    readEnd_ = -1;
    return bytes_;
  }

 private:
  int readEnd_;
  int keeper_;
  std::thread thread_;
  std::string bytes_;
};

class ExportOutput : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
    fs::create_directory(Out(""));
  }

  // A path in a folder that holds the test's targets and nothing else.
  std::string Out(const std::string& name) const { return Path("out/" + name); }

  // The names in that folder, sorted: a temporary file left behind shows.
  Names OutNames() const {
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(Out(""))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  ToolRun ExportTo(const std::string& target) const {
    return Run({"export", Example("kestrel3_log.kuv"), "--format", "json", "-o", target});
  }
};

TEST_F(ExportOutput, ThroughALinkTheLinkedFileIsReplacedAndTheLinkStays) {
  WriteFile(Out("real.json"), "old");
  ASSERT_EQ(::symlink("real.json", Out("link.json").c_str()), 0);

  const ToolRun run = ExportTo(Out("link.json"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(S_ISLNK(StatusOf(Out("link.json")).st_mode));
  EXPECT_EQ(fs::read_symlink(Out("link.json")), "real.json");
  EXPECT_TRUE(IsKuvJson(ReadFile(Out("real.json"))));
  EXPECT_EQ(OutNames(), (Names{"link.json", "real.json"}));
}

TEST_F(ExportOutput, ReplacedFileKeepsItsPermissionBits) {
  WriteFile(Out("private.json"), "old");
  ASSERT_EQ(::chmod(Out("private.json").c_str(), 0600), 0);

  const ToolRun run = ExportTo(Out("private.json"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(StatusOf(Out("private.json")).st_mode & 07777, 0600u);
  EXPECT_TRUE(IsKuvJson(ReadFile(Out("private.json"))));
  EXPECT_EQ(OutNames(), Names{"private.json"});
}

// Refused for the superuser too, whom permission bits do not stop.
TEST_F(ExportOutput, ReadOnlyFileIsRefusedAndLeftAsItWas) {
  WriteFile(Out("kept.json"), "previous\r\n");
  ASSERT_EQ(::chmod(Out("kept.json").c_str(), 0444), 0);

  const ToolRun run = ExportTo(Out("kept.json"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: cannot write " + Out("kept.json") + ": it is read-only\n");
  EXPECT_EQ(ReadFile(Out("kept.json")), "previous\r\n");
  EXPECT_EQ(StatusOf(Out("kept.json")).st_mode & 07777, 0444u);
  EXPECT_EQ(OutNames(), Names{"kept.json"});
}

// A folder is never replaced: the output goes into it, named after the
// document, as a batch export's outputs do.
TEST_F(ExportOutput, FolderReceivesTheOutputInside) {
  ASSERT_EQ(::mkdir(Out("folder").c_str(), 0755), 0);
  const ToolRun run = ExportTo(Out("folder"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_directory(Out("folder")));
  EXPECT_EQ(OutNames(), Names{"folder"});
  EXPECT_TRUE(fs::is_regular_file(Out("folder") + "/kestrel3_log.json"));
}

TEST_F(ExportOutput, NamedPipeIsWrittenAsAStreamAndStaysAPipe) {
  ASSERT_EQ(::mkfifo(Out("pipe").c_str(), 0644), 0);
  PipeReader reader(Out("pipe"));

  const ToolRun run = ExportTo(Out("pipe"));
  const std::string received = reader.Finish();
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(IsKuvJson(received)) << received.substr(0, 200);
  EXPECT_TRUE(S_ISFIFO(StatusOf(Out("pipe")).st_mode));
  EXPECT_EQ(OutNames(), Names{"pipe"});
}

// Devices are written in place: the run must neither replace /dev/null
// nor leave a temporary file beside it.
TEST_F(ExportOutput, NullDeviceTakesTheOutputAndStaysADevice) {
  const struct stat before = StatusOf("/dev/null");
  ASSERT_TRUE(S_ISCHR(before.st_mode));

  const ToolRun run = ExportTo("/dev/null");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const struct stat after = StatusOf("/dev/null");
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
  for (const fs::directory_entry& entry : fs::directory_iterator("/dev")) {
    EXPECT_NE(entry.path().filename().string().rfind(".null", 0), 0u) << entry.path();
  }
}

TEST_F(ExportOutput, FullDeviceFailsWithTheReason) {
  struct stat info {};
  if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode)) {
    GTEST_SKIP() << "no /dev/full here";
  }
  const ToolRun run = ExportTo("/dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: cannot write /dev/full: No space left on device\n");
  EXPECT_TRUE(S_ISCHR(StatusOf("/dev/full").st_mode));
}

TEST_F(ExportOutput, MissingFolderIsNamedAsTheReason) {
  const ToolRun run = ExportTo(Out("missing/out.json"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: cannot write " + Out("missing/out.json") + ": its folder does not exist\n");
  EXPECT_EQ(OutNames(), Names{});
}

}  // namespace
}  // namespace kuv::tool
