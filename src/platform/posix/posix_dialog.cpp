#include "platform/posix/posix_dialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace kuv::platform::posix {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// The full path of an executable found on PATH, or empty.
std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::string();
  std::string folders(path);
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (folder.empty()) folder = ".";
    std::string candidate = folder + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

}  // namespace

std::optional<std::string> AskForTemplateWithZenity() {
  if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) return std::nullopt;
  const std::string zenity = FindOnPath("zenity");
  if (zenity.empty()) return std::nullopt;

  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);

  std::vector<std::string> arguments = {
      zenity,
      "--file-selection",
      "--title=Kuv Template File (Standard.kvt)",
      "--file-filter=Kuv Template File (Standard.kvt) | Standard.kvt",
  };
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  int spawned = posix_spawn(&child, zenity.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    return std::nullopt;
  }

  std::string output;
  char buffer[1024];
  for (;;) {
    ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;  // cancelled
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  struct stat info;
  if (output.empty() || ::stat(output.c_str(), &info) != 0) return std::nullopt;
  return output;
}

}  // namespace kuv::platform::posix
