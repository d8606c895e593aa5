// The tool's output files on POSIX: files replaced with their bytes as
// given, devices and named pipes written in place, everything else
// refused with a reason a user can act on.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/output_file.h"
#include "platform/posix/posix_io.h"
#include "support/scratch_folder.h"

namespace kuv::platform {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using Names = std::vector<std::string>;

// Why the output cannot begin; empty when it can.
std::string WhyNot(const std::string& path) {
  FileFailure why;
  std::unique_ptr<ExplainedOutputFile> out = BeginOutputFile(path, &why);
  EXPECT_EQ(out == nullptr, why.problem != FileProblem::kNone) << path;
  return why.reason;
}

TEST(OutputFile, ReplacesAFileWithTheBytesAsGiven) {
  ScratchFolder folder;
  const std::string path = folder.File("out.csv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  ASSERT_EQ(::symlink("out.csv", folder.File("link.csv").c_str()), 0);
  FileFailure why;
  std::unique_ptr<ExplainedOutputFile> out = BeginOutputFile(folder.File("link.csv"), &why);
  ASSERT_NE(out, nullptr) << why.reason;
  ASSERT_TRUE(out->Write("a,b\r\n", 5));
  ASSERT_TRUE(out->Write("\n1,2\r\n", 6));
  EXPECT_EQ(ReadFileBytes(path), "old");  // nothing shows before Commit
  ASSERT_TRUE(out->Commit());
  EXPECT_EQ(out->WhyFailed().problem, FileProblem::kNone);
  EXPECT_EQ(ReadFileBytes(path), "a,b\r\n\n1,2\r\n");
  EXPECT_EQ(folder.Names(), (Names{"link.csv", "out.csv"}));
}

TEST(OutputFile, AbandonedOutputLeavesTheFileAsItWas) {
  ScratchFolder folder;
  const std::string path = folder.File("out.json");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  {
    std::unique_ptr<ExplainedOutputFile> out = BeginOutputFile(path, nullptr);
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->Write("partial", 7));
  }
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(folder.Names(), Names{"out.json"});
}

TEST(OutputFile, RefusesWhatCannotBeReplacedWithAReason) {
  ScratchFolder folder;
  const std::string readOnly = folder.File("read-only.json");
  ASSERT_TRUE(WriteFileBytes(readOnly, "kept"));
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  EXPECT_EQ(WhyNot(readOnly), "it is read-only");
  EXPECT_EQ(ReadFileBytes(readOnly), "kept");

  ASSERT_EQ(::mkdir(folder.File("sub").c_str(), 0755), 0);
  EXPECT_EQ(WhyNot(folder.File("sub")), "it is a folder");
  EXPECT_EQ(WhyNot(folder.File("missing/out.json")), "its folder does not exist");
  EXPECT_EQ(WhyNot(folder.File("read-only.json/out.json")), "a part of its path is not a folder");
  EXPECT_EQ(WhyNot(""), "no file name was given");

  const std::string locked = folder.File("locked.json");
  ASSERT_TRUE(WriteFileBytes(locked, "held"));
  {
    std::unique_ptr<InputFile> reader = posix::OpenInputFile(locked, Sharing::kShared);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(WhyNot(locked), "another program is using it");
  }
  EXPECT_EQ(folder.Names(), (Names{"locked.json", "read-only.json", "sub"}));
}

TEST(OutputFile, NamedPipeIsWrittenInPlace) {
  ScratchFolder folder;
  const std::string pipe = folder.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  // With a reader present, opening the pipe for writing does not wait.
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  FileFailure why;
  std::unique_ptr<ExplainedOutputFile> out = BeginOutputFile(pipe, &why);
  ASSERT_NE(out, nullptr) << why.reason;
  ASSERT_TRUE(out->Write("a\r\nb", 4));
  ASSERT_TRUE(out->Commit());
  char received[16] = {};
  EXPECT_EQ(::read(reader, received, sizeof received), 4);
  EXPECT_EQ(std::string(received, 4), "a\r\nb");
  ::close(reader);
  struct stat info {};
  ASSERT_EQ(::lstat(pipe.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(folder.Names(), Names{"pipe"});
}

TEST(OutputFile, DevicesAreStreamsThatReportWriteErrors) {
  std::unique_ptr<ExplainedOutputFile> null = BeginOutputFile("/dev/null", nullptr);
  ASSERT_NE(null, nullptr);
  EXPECT_TRUE(null->Write("x", 1));
  EXPECT_TRUE(null->Commit());
  EXPECT_FALSE(null->Commit());  // once only

  struct stat info {};
  if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode)) GTEST_SKIP() << "no /dev/full";
  std::unique_ptr<ExplainedOutputFile> full = BeginOutputFile("/dev/full", nullptr);
  ASSERT_NE(full, nullptr);
  EXPECT_FALSE(full->Write("x", 1));
  EXPECT_FALSE(full->Commit());
  EXPECT_EQ(full->WhyFailed().reason, "No space left on device");
  EXPECT_EQ(full->WhyFailed().problem, FileProblem::kOther);
}

}  // namespace
}  // namespace kuv::platform

#endif  // _WIN32
