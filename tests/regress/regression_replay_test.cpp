// Replays every kept fuzz find, the fuzzers' own seeds and the example
// documents through the very code the fuzz targets run. A broken check
// aborts the test's process, which fails just that test.
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

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string NameOf(const ::testing::TestParamInfo<ReplayFile>& info) { return info.param.name; }

class ReaderReplay : public ::testing::TestWithParam<ReplayFile> {};
class CallReplay : public ::testing::TestWithParam<ReplayFile> {};

TEST_P(ReaderReplay, ReadsWalksEditsAndWritesSafely) {
  std::string bytes = ReadBytes(GetParam().path);
  fuzz::ExerciseReader(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST_P(CallReplay, KeepsEveryPromise) {
  std::string bytes = ReadBytes(GetParam().path);
  fuzz::RunCallSequence(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderReplay, ::testing::ValuesIn(ReaderInputs()), NameOf);
INSTANTIATE_TEST_SUITE_P(Files, CallReplay, ::testing::ValuesIn(CallInputs()), NameOf);

}  // namespace
}  // namespace kuv
