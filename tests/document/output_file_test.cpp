// The output files of the document API, used as a host uses them: stored
// as a document's save is, and refused with the system's reason.
#include "kuv/output_file.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_folder.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kuv {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;
using Names = std::vector<std::string>;

TEST(OutputFile, AppearsOnlyOnceCommitted) {
  ScratchFolder folder;
  const std::string path = folder.File("out.csv");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  {
    OutputFile out(path);
    out.Write("a,b\r\n", 5);
#ifndef _WIN32  // on Windows the file is held, with share mode 0, meanwhile
    EXPECT_EQ(ReadFileBytes(path), "old");
#endif
    EXPECT_FALSE(out.temporary_path().empty());
  }  // abandoned
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(folder.Names(), Names{"out.csv"});

  OutputFile out(path);
  out.Write("a,b\r\n", 5);
  out.Write("\n1,2", 4);
  out.Commit();
  out.Commit();  // once is enough
  EXPECT_EQ(ReadFileBytes(path), "a,b\r\n\n1,2");
  EXPECT_EQ(out.temporary_path(), "");
  EXPECT_THROW(out.Write("x", 1), std::logic_error);
  OutputFile moved = std::move(out);
  EXPECT_EQ(moved.path(), path);
  EXPECT_THROW(out.Commit(), std::logic_error);  // moved away
  EXPECT_EQ(folder.Names(), Names{"out.csv"});
}

TEST(OutputFile, RefusalCarriesTheSystemsReason) {
  ScratchFolder folder;
  const auto refusal = [](const std::string& path) {
    try {
      OutputFile out(path);
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), ErrorCode::kOpenForSave);
      EXPECT_EQ(std::string(error.what()),
                "Error : Error opening file for save.: " + path + " (" + error.reason() + ")");
      return error;
    }
    ADD_FAILURE() << path;
    return Error(ErrorCode::kOpenForSave, "");
  };
  Error error = refusal(folder.path());
  EXPECT_EQ(error.file_problem(), FileProblem::kIsFolder);
  EXPECT_EQ(error.reason(), "it is a folder");
  error = refusal(folder.File("missing/out.json"));
  EXPECT_EQ(error.file_problem(), FileProblem::kNotFound);
  EXPECT_EQ(error.reason(), "its folder does not exist");
  EXPECT_EQ(folder.Names(), Names{});
}

#ifndef _WIN32
TEST(OutputFile, FailedWriteSaysWhyAndKeepsSayingIt) {
  OutputFile full("/dev/full");
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      full.Write("x", 1);
      ADD_FAILURE();
    } catch (const Error& error) {
      EXPECT_EQ(error.reason(), "No space left on device");
    }
  }
  EXPECT_THROW(full.Commit(), Error);
}

// A writer killed outright leaves its temporary; the next writer of the
// same file removes it once its process is gone.
TEST(OutputFile, BeginningRemovesTheTemporaryOfAWriterThatWasKilled) {
  ScratchFolder folder;
  const std::string path = folder.File("out.json");
  const pid_t writer = ::fork();
  if (writer == 0) {
    OutputFile out(path);
    out.Write("partial", 7);
    ::_exit(0);  // as if killed: no destructor runs
  }
  int status = 0;
  ASSERT_EQ(::waitpid(writer, &status, 0), writer);
  ASSERT_EQ(folder.Names().size(), 1u);
  EXPECT_EQ(folder.Names()[0].rfind(".out.json.kuv-" + std::to_string(writer) + "-", 0), 0u);

  OutputFile out(path);
  out.Write("whole", 5);
  out.Commit();
  EXPECT_EQ(folder.Names(), Names{"out.json"});
  EXPECT_EQ(ReadFileBytes(path), "whole");
}
#endif

}  // namespace
}  // namespace kuv
