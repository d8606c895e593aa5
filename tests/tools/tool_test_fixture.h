// Runs the built kuv tool in a process of its own, with its configuration
// (the registered template) in a fresh folder for each test.
#ifndef KUV_TESTS_TOOLS_TOOL_TEST_FIXTURE_H_
#define KUV_TESTS_TOOLS_TOOL_TEST_FIXTURE_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace kuv::tool {

struct ToolRun {
  int status = -1;  // the exit status; -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Where the tool's standard input comes from and its standard output
  // and error go (empty: a file whose bytes the run returns).
  struct Streams {
    std::string input = "/dev/null";
    std::string output;
    std::string error;  // as output, for standard error
  };

  // Runs kuv with these arguments.
  ToolRun Run(const std::vector<std::string>& arguments) const;
  ToolRun Run(const std::vector<std::string>& arguments, const Streams& streams) const;
  // Starts kuv and returns its process ID (-1 when it could not start);
  // Finish waits for it to end.
  pid_t Start(const std::vector<std::string>& arguments, const Streams& streams) const;
  ToolRun Finish(pid_t child, const Streams& streams) const;

  // A path inside the test's own folder.
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  // Registers the bundled template, so that no notice is printed.
  void RegisterBundledTemplate() const;
  // The registered value's bytes, as the tool stored them.
  std::string RegisteredValue() const;

  static std::string Example(const std::string& name) {
    return std::string(KUV_EXAMPLES_DIR) + "/" + name;
  }
  static std::string TestData(const std::string& name) {
    return std::string(KUV_TOOL_TEST_DATA) + "/" + name;
  }

  std::string folder_;
  std::string config_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A document big enough that reading and exporting it take a while: one
// object with one table of that many rows of two values.
std::string BigDocument(int rows);

// The document's lines with every Date attribute's value replaced by a
// mark, for comparing documents written at different times.
std::string WithoutDates(const std::string& document);

}  // namespace kuv::tool

#endif  // KUV_TESTS_TOOLS_TOOL_TEST_FIXTURE_H_
