#include "fuzz_environment.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "frame/library_state.h"
#include "fuzz_check.h"

namespace kuv::fuzz {

namespace {

constexpr const char* kTemplateValueName = "FileName";

// Written with the version given, so that one text serves as the accepted
// and as the outdated template.
std::string TemplateText(const char* version) {
  std::string text = "<?xml version='1.0'?>\n<KUV Version='";
  text += version;
  text +=
      "'>\n"
      "<BusinessObject ID='X' Author='kuv' Version='1.0' WellID='' "
      "Date='20021001T14:05:00000'>\n"
      "<DataDescription>\n"
      "<TableDef Table='A'/>\n"
      "<TableDef Table='B' Parent='A'/>\n"
      "<TableDef Table='C' Parent='A'/>\n"
      "<TableDef Table='D' Parent='B'/>\n"
      "<TableDef Table='Z'/>\n"
      "<FieldDef Table='A' Field='a1' Unit='m' Type='DOUBLE'/>\n"
      "<FieldDef Table='A' Field='a2' Unit='' Type='STRING'/>\n"
      "<FieldDef Table='B' Field='b1' Unit='kg' Type='DOUBLE'/>\n"
      "<FieldDef Table='C' Field='c1' Unit='' Type='STRING'/>\n"
      "<FieldDef Table='D' Field='d1' Unit='s' Type='INTEGER'/>\n"
      "<FieldDef Table='Z' Field='z1' Unit='' Type='STRING'/>\n"
      "</DataDescription>\n"
      "</BusinessObject>\n"
      "<BusinessObject ID='Y' Author='kuv' Version='1.0' WellID='' "
      "Date='20021001T14:05:00000'>\n"
      "<DataDescription>\n"
      "<TableDef Table='A'/>\n"
      "<TableDef Table='B' Parent='A'/>\n"
      "<FieldDef Table='A' Field='a1' Unit='ft' Type='DOUBLE'/>\n"
      "<FieldDef Table='B' Field='b1' Unit='' Type='STRING'/>\n"
      "</DataDescription>\n"
      "<A>\n<a1>1</a1>\n</A>\n"
      "</BusinessObject>\n"
      "</KUV>\n";
  return text;
}

std::string UniqueFolderName() {
  std::random_device random;
  std::uniform_int_distribution<unsigned long long> digits;
  char name[40];
  std::snprintf(name, sizeof name, "kuv-fuzz-%016llx", digits(random));
  return name;
}

}  // namespace

FuzzEnvironment& FuzzEnvironment::Get() {
  static FuzzEnvironment environment;
  return environment;
}

FuzzEnvironment::FuzzEnvironment() {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / UniqueFolderName();
  std::filesystem::create_directories(folder);
  folder_ = folder.string();
  currentTemplate_ = PathOf("Standard.kvt");
  oldTemplate_ = PathOf("Outdated.kvt");
  std::string current = TemplateText("3.61");
  std::string old = TemplateText("3.6");
  platform_.memoryFiles.AddFolder(folder_);
  for (bool onDisk : {true, false}) {
    UseDisk(onDisk);
    WriteFile(currentTemplate_, current.data(), current.size());
    WriteFile(oldTemplate_, old.data(), old.size());
  }
}

FuzzEnvironment::~FuzzEnvironment() {
  UnloadLibrary();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string FuzzEnvironment::PathOf(const char* name) const { return folder_ + "/" + name; }

bool FuzzEnvironment::Reload(const std::optional<std::string>& templatePath) {
  UnloadLibrary();
  testing::FakePlatform& p = platform_;
  p.keyExists = true;
  p.keyCreatable = true;
  p.registryValues.clear();
  if (templatePath) p.registryValues[kTemplateValueName] = *templatePath + std::string(1, '\0');
  p.dialogAnswers.clear();
  p.failWriteAfterBytes.reset();
  p.failCommit = false;
  p.failBeginReplace = false;
  p.unopenableInputs.clear();
  return LoadLibrary(p);
}

void FuzzEnvironment::WriteFile(const std::string& path, const void* data, std::size_t size) {
  if (!usesDisk()) {
    platform_.memoryFiles.Write(path, std::string(static_cast<const char*>(data), size));
    return;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  Expect(static_cast<bool>(out), "the scratch folder takes a file");
}

std::optional<std::string> FuzzEnvironment::ReadFile(const std::string& path) {
  if (!usesDisk()) return platform_.memoryFiles.Read(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FuzzEnvironment::RemoveFile(const std::string& path) {
  if (!usesDisk()) {
    platform_.memoryFiles.Remove(path);
    return;
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

bool SampledForDisk(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  return hash % kDiskSampleRate == 0;
}

}  // namespace kuv::fuzz
