#include "tool_test_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

extern char** environ;

namespace kuv::tool {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::string WithoutDates(const std::string& document) {
  static const std::regex kDate(" Date='[^']*'");
  return std::regex_replace(document, kDate, " Date='*'");
}

std::string BigDocument(int rows) {
  std::string bytes =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
      "<BusinessObject ID='WellLog' Author='a' Version='1' WellID='W-1' "
      "Date='20240320T08:15:00000'>\n<DataDescription>\n<TableDef Table='Sample'/>\n"
      "<FieldDef Table='Sample' Field='DEPT' Unit='m' Type='float'/>\n"
      "<FieldDef Table='Sample' Field='GR' Unit='gAPI' Type='float'/>\n"
      "</DataDescription>\n<Sample>\n";
  for (int i = 0; i < rows; ++i) {
    bytes +=
        "<DEPT>" + std::to_string(i) + ".5</DEPT>\n<GR>" + std::to_string(i % 150) + ".25</GR>\n";
  }
  bytes += "</Sample>\n</BusinessObject>\n</KUV>\n";
  return bytes;
}

void ToolTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "kuv-tool-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  config_ = folder_ + "/config";
}

void ToolTest::TearDown() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

ToolRun ToolTest::Run(const std::vector<std::string>& arguments) const {
  return Run(arguments, Streams());
}

ToolRun ToolTest::Run(const std::vector<std::string>& arguments, const Streams& streams) const {
  return Finish(Start(arguments, streams), streams);
}

pid_t ToolTest::Start(const std::vector<std::string>& arguments, const Streams& streams) const {
  std::vector<std::string> words = {KUV_TOOL_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The test's own configuration folder replaces the user's.
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "XDG_CONFIG_HOME=", 16) != 0) environment.emplace_back(*entry);
  }
  environment.push_back("XDG_CONFIG_HOME=" + config_);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  const std::string outPath = streams.output.empty() ? Path(".stdout") : streams.output;
  const std::string errPath = streams.error.empty() ? Path(".stderr") : streams.error;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, streams.input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? child : -1;
}

ToolRun ToolTest::Finish(pid_t child, const Streams& streams) const {
  ToolRun run;
  if (child < 0) {
    run.err = "cannot start the tool";
    return run;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (streams.output.empty()) run.out = ReadFile(Path(".stdout"));
  if (streams.error.empty()) run.err = ReadFile(Path(".stderr"));
  return run;
}

void ToolTest::RegisterBundledTemplate() const {
  fs::create_directories(config_ + "/KUV/Template");
  const std::string path = Example("Standard.kvt");
  WriteFile(config_ + "/KUV/Template/FileName", path + std::string(1, '\0'));
}

std::string ToolTest::RegisteredValue() const {
  return ReadFile(config_ + "/KUV/Template/FileName");
}

}  // namespace kuv::tool
