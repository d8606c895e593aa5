// An interrupted run removes the hidden temporary its output was being
// written to, and ends with the status a shell expects of the signal; a
// killed run's temporary is removed by the next run.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

namespace fs = std::filesystem;

// The hidden temporary beside target, once it exists.
bool TemporaryAppears(const std::string& folder, const std::string& target, pid_t child) {
  const std::string prefix = "." + target + ".kuv-";
  for (int tries = 0; tries < 60000; ++tries) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    if (::kill(child, 0) != 0) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return false;
}

bool HoldsTemporary(const std::string& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".kuv-") != std::string::npos) return true;
  }
  return false;
}

class Interruption : public ToolTest {
 protected:
  // Exports a large document into the folder out/ as o.json and sends the
  // signal once the export's temporary is there; *appeared says whether
  // it was.
  ToolRun InterruptedExport(int signal, bool* appeared) {
    RegisterBundledTemplate();
    fs::create_directories(Path("out"));
    WriteFile(Path("big.kuv"), BigDocument(400000));
    const pid_t child =
        Start({"export", Path("big.kuv"), "--format", "json", "-o", Path("out/o.json")}, Streams());
    *appeared = child > 0 && TemporaryAppears(Path("out"), "o.json", child);
    if (child > 0) ::kill(child, signal);
    return Finish(child, Streams());
  }
};

class Interrupt : public Interruption, public ::testing::WithParamInterface<int> {};

TEST_P(Interrupt, ExportRemovesItsTemporaryAndExitsWith128PlusTheSignal) {
  const std::string folder = Path("out");
  bool appeared = false;
  const ToolRun run = InterruptedExport(GetParam(), &appeared);
  ASSERT_TRUE(appeared) << "the export ended before it could be interrupted: " << run.err;
  EXPECT_EQ(run.status, 128 + GetParam());
  EXPECT_FALSE(HoldsTemporary(folder));
  EXPECT_FALSE(FileExists(folder + "/o.json"));
}

TEST_P(Interrupt, ImportRemovesItsTemporary) {
  RegisterBundledTemplate();
  const std::string folder = Path("out");
  fs::create_directories(folder);
  WriteFile(Path("big.kuv"), BigDocument(100000));
  ASSERT_EQ(Run({"export", Path("big.kuv"), "--format", "json", "-o", Path("big.json")}).status, 0);
  const pid_t child = Start({"import", Path("big.json"), "-o", folder + "/o.kuv"}, Streams());
  ASSERT_GT(child, 0);
  const bool appeared = TemporaryAppears(folder, "o.kuv", child);
  ::kill(child, GetParam());
  const ToolRun run = Finish(child, Streams());
  ASSERT_TRUE(appeared) << "the import ended before it could be interrupted: " << run.err;
  EXPECT_EQ(run.status, 128 + GetParam());
  EXPECT_FALSE(HoldsTemporary(folder));
  EXPECT_FALSE(FileExists(folder + "/o.kuv"));
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupt, ::testing::Values(SIGINT, SIGTERM));

// A run killed outright (SIGKILL, or the machine stopping) cannot remove
// its temporary; the next run that writes the same output does, once the
// process that made it is gone, and leaves those of live processes alone.
TEST_F(Interruption, TemporaryOfAKilledRunIsRemovedByTheNextRun) {
  const std::string folder = Path("out");
  bool appeared = false;
  const ToolRun killed = InterruptedExport(SIGKILL, &appeared);
  ASSERT_TRUE(appeared) << "the export ended before it could be killed: " << killed.err;
  ASSERT_TRUE(HoldsTemporary(folder));

  // This test's own process is alive: a temporary named after it stays.
  const std::string live = folder + "/.o.json.kuv-" + std::to_string(::getpid()) + "-1f-0";
  WriteFile(live, "a live writer's");
  const std::string other = folder + "/.other.json.kuv-1-1f-0";
  WriteFile(other, "another output's");

  const ToolRun next =
      Run({"export", Example("kestrel3_log.kuv"), "--format", "json", "-o", folder + "/o.json"});
  ASSERT_EQ(next.status, 0) << next.err;
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::vector<std::string> kept = {fs::path(live).filename().string(),
                                   fs::path(other).filename().string(), "o.json"};
  std::sort(names.begin(), names.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names, kept);
}

}  // namespace
}  // namespace kuv::tool
