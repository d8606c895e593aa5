#include "file_output.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "tool_error.h"

namespace kuv::tool {

namespace fs = std::filesystem;

namespace {
// Tells this process's temporary file from another's writing the same target.
long ProcessId() {
#ifdef _WIN32
  return static_cast<long>(::_getpid());
#else
  return static_cast<long>(::getpid());
#endif
}
}  // namespace

FileOutput::FileOutput(const std::string& path)
    : toStdout_(path.empty() || path == "-"), target_(path), stdout_(std::cout) {
  if (toStdout_) return;
  const fs::path target(path);
  temporary_ = (target.parent_path() /
                ("." + target.filename().string() + ".kuv-" + std::to_string(ProcessId())))
                   .string();
  file_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!file_) throw DataError("cannot write " + path);
}

FileOutput::~FileOutput() {
  if (toStdout_ || committed_) return;
  file_.close();
  std::error_code ignored;
  fs::remove(temporary_, ignored);
}

void FileOutput::Commit() {
  if (toStdout_) {
    stdout_.flush();
    if (!stdout_) throw DataError("cannot write to standard output");
    return;
  }
  file_.close();
  std::error_code error;
  if (file_.fail()) throw DataError("cannot write " + target_);
  fs::rename(temporary_, target_, error);
  if (error) throw DataError("cannot write " + target_ + ": " + error.message());
  committed_ = true;
}

}  // namespace kuv::tool
