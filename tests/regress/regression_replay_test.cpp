// Replays every kept fuzz find, the fuzzers' own seeds and the example
// documents through the very code the fuzz targets run, each one both
// with files in memory and on disk. A broken check aborts the test's
// process, which fails just that test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "call_sequence.h"
#include "reader_harness.h"
#ifdef KUV_REPLAY_JSON_IMPORT
#include "json_import_harness.h"
#endif
#include "support/fake_platform.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

struct ReplayFile {
  std::string name;  // a test name: where the file comes from and its name
  std::string path;
};

// Test listings show the file's path.
void PrintTo(const ReplayFile& file, std::ostream* out) { *out << file.path; }

// The files of a folder in name order; a missing folder has none.
void AddFilesIn(const std::string& folder, const char* origin, std::vector<ReplayFile>& files) {
  std::error_code error;
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
      paths.push_back(entry.path());
    }
  }
  std::sort(paths.begin(), paths.end());
  for (const auto& path : paths) {
    std::string name = std::string(origin) + "_" + path.filename().string();
    for (char& c : name) {
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    files.push_back({name, path.string()});
  }
}

std::vector<ReplayFile> ReaderInputs() {
  std::vector<ReplayFile> files;
  AddFilesIn(KUV_TEST_DATA_DIR "/regress/reader", "found", files);
  AddFilesIn(KUV_SOURCE_DIR "/fuzz/corpus/reader", "seed", files);
  AddFilesIn(KUV_SOURCE_DIR "/examples", "example", files);
  return files;
}

std::vector<ReplayFile> CallInputs() {
  std::vector<ReplayFile> files;
  AddFilesIn(KUV_TEST_DATA_DIR "/regress/calls", "found", files);
  AddFilesIn(KUV_SOURCE_DIR "/fuzz/corpus/calls", "seed", files);
  return files;
}

#ifdef KUV_REPLAY_JSON_IMPORT
std::vector<ReplayFile> JsonInputs() {
  std::vector<ReplayFile> files;
  AddFilesIn(KUV_TEST_DATA_DIR "/regress/json_import", "found", files);
  AddFilesIn(KUV_SOURCE_DIR "/fuzz/corpus/json_import", "seed", files);
  return files;
}
#endif

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string NameOf(const ::testing::TestParamInfo<ReplayFile>& info) { return info.param.name; }

class ReaderReplay : public ::testing::TestWithParam<ReplayFile> {};
class CallReplay : public ::testing::TestWithParam<ReplayFile> {};

TEST_P(ReaderReplay, ReadsWalksEditsAndWritesSafely) {
  std::string bytes = ReadBytes(GetParam().path);
  fuzz::ExerciseReader(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                       fuzz::DiskUse::kAlways);
}

TEST_P(CallReplay, KeepsEveryPromise) {
  std::string bytes = ReadBytes(GetParam().path);
  fuzz::RunCallSequence(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                        fuzz::DiskUse::kAlways);
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderReplay, ::testing::ValuesIn(ReaderInputs()), NameOf);
INSTANTIATE_TEST_SUITE_P(Files, CallReplay, ::testing::ValuesIn(CallInputs()), NameOf);

#ifdef KUV_REPLAY_JSON_IMPORT
class JsonImportReplay : public ::testing::TestWithParam<ReplayFile> {};

TEST_P(JsonImportReplay, RefusesOrRoundTrips) {
  std::string bytes = ReadBytes(GetParam().path);
  const bool taken =
      fuzz::ExerciseJsonImport(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  // The seeds are JSON that import takes, so that they reach the round trip.
  if (GetParam().name.rfind("seed_", 0) == 0) {
    EXPECT_TRUE(taken);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, JsonImportReplay, ::testing::ValuesIn(JsonInputs()), NameOf);
#endif

// The fuzzers run almost every input with files in memory, so those files
// must answer as the disk does wherever the checks can tell: the same
// script of file operations gives the same transcript either way.
class FileScript {
 public:
  FileScript(bool inMemory, const std::string& folder) : folder_(folder) {
    platform_.useMemoryFiles = inMemory;
    platform_.memoryFiles.AddFolder(folder);
  }

  std::string Path(const char* name) const { return folder_ + "/" + name; }

  // The file's bytes read through the platform in small pieces, or a
  // word for why they could not be.
  std::string Read(const char* name, platform::Sharing sharing = platform::Sharing::kShared) {
    auto input = platform_.OpenInput(Path(name), sharing);
    if (!input) return "unopenable";
    return ReadAll(*input);
  }
  static std::string ReadAll(platform::InputFile& input) {
    std::string bytes;
    char piece[3];
    for (long long got; (got = input.Read(piece, sizeof piece)) > 0;) bytes.append(piece, got);
    return bytes;
  }

  // Replaces the file with bytes; the steps' results as a word each.
  std::string Replace(const char* name, const std::string& bytes) {
    auto output = platform_.BeginReplace(Path(name));
    if (!output) return "refused";
    if (!output->Write(bytes.data(), bytes.size())) return "write failed";
    return output->Commit() ? "committed" : "commit failed";
  }

  testing::FakePlatform& platform() { return platform_; }

 private:
  testing::FakePlatform platform_;
  std::string folder_;
};

std::vector<std::string> RunFileScript(bool inMemory) {
  testing::ScratchFolder scratch;
  FileScript files(inMemory, scratch.path());
  auto& platform = files.platform();
  std::vector<std::string> t;  // the transcript
  auto yes = [](bool holds) { return std::string(holds ? "yes" : "no"); };

  t.push_back(yes(platform.PathExists(scratch.path())));
  t.push_back(yes(platform.PathExists(files.Path("a.kuv"))));
  t.push_back(files.Read("a.kuv"));
  t.push_back(files.Replace("a.kuv", "first"));
  t.push_back(yes(platform.PathExists(files.Path("a.kuv"))));
  t.push_back(files.Read("a.kuv"));
  t.push_back(files.Replace("missing-folder/a.kuv", "x"));
  t.push_back(files.Replace("", "x"));

  // Nothing shows before Commit; an abandoned replacement leaves no trace.
  {
    auto output = platform.BeginReplace(files.Path("a.kuv"));
    t.push_back(yes(output && output->Write("second", 6)));
    t.push_back(files.Read("a.kuv", platform::Sharing::kShared));
    auto fresh = platform.BeginReplace(files.Path("b.kuv"));
    t.push_back(yes(fresh && fresh->Write("never", 5)));
  }
  t.push_back(files.Read("a.kuv"));
  t.push_back(yes(platform.PathExists(files.Path("b.kuv"))));

  // Sharing: readers exclude an exclusive opener and a replacement, and
  // an exclusive reader excludes everyone.
  {
    auto shared = platform.OpenInput(files.Path("a.kuv"), platform::Sharing::kShared);
    t.push_back(files.Read("a.kuv", platform::Sharing::kShared));
    t.push_back(files.Read("a.kuv", platform::Sharing::kExclusive));
    t.push_back(files.Replace("a.kuv", "third"));
    t.push_back(FileScript::ReadAll(*shared));
  }
  {
    auto exclusive = platform.OpenInput(files.Path("a.kuv"), platform::Sharing::kExclusive);
    t.push_back(files.Read("a.kuv", platform::Sharing::kShared));
    t.push_back(files.Replace("a.kuv", "third"));
  }

  // Once the readers are gone, a replacement takes the old file's place.
  {
    auto output = platform.BeginReplace(files.Path("a.kuv"));
    t.push_back(yes(output && output->Write("fourth", 6) && output->Commit()));
  }
  t.push_back(files.Read("a.kuv"));

  // Injected faults leave the file as it was.
  platform.failCommit = true;
  t.push_back(files.Replace("a.kuv", "fifth"));
  platform.failCommit = false;
  platform.failWriteAfterBytes = 2;
  t.push_back(files.Replace("a.kuv", "sixth"));
  platform.failWriteAfterBytes.reset();
  platform.failBeginReplace = true;
  t.push_back(files.Replace("a.kuv", "seventh"));
  platform.failBeginReplace = false;
  platform.unopenableInputs = {files.Path("a.kuv")};
  t.push_back(files.Read("a.kuv"));
  platform.unopenableInputs.clear();
  t.push_back(files.Read("a.kuv"));

  // A folder is neither read nor replaced.
  t.push_back(files.Read(""));
  t.push_back(files.Replace("", "x"));
  return t;
}

TEST(FuzzMemoryFiles, AnswerAsTheDiskDoes) {
  std::vector<std::string> onDisk = RunFileScript(false);
  std::vector<std::string> inMemory = RunFileScript(true);
  EXPECT_EQ(inMemory, onDisk);
  // The script does reach what it means to: a sample of the disk's answers.
  ASSERT_EQ(onDisk.size(), 28u);
  EXPECT_EQ(onDisk[5], "first");
  EXPECT_EQ(onDisk[15], "refused");
  EXPECT_EQ(onDisk[16], "first");
  EXPECT_EQ(onDisk[20], "fourth");
}

}  // namespace
}  // namespace kuv
