#include "platform/win32/win32_dialog.h"

#include <windows.h>
// commdlg.h after windows.h, which it needs.
#include <commdlg.h>

#include <vector>

namespace kuv::platform::win32 {

namespace {

// One entry: the description, then the exact file name (not a wildcard),
// so that only files called Standard.kvt are listed.
constexpr char kFilter[] = "Kuv Template File (Standard.kvt)\0Standard.kvt\0";
// Room for long paths; the dialog refuses a choice that does not fit.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

std::optional<std::string> AskForTemplateWithOpenDialog() {
  std::vector<char> path(kPathCapacity, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.lpstrFilter = kFilter;  // the literal's own zero ends the list
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathCapacity;
  dialog.lpstrDefExt = "kvt";
  dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
  if (!::GetOpenFileNameA(&dialog)) return std::nullopt;  // cancelled or failed
  path.back() = '\0';
  std::string chosen(path.data());
  if (chosen.empty()) return std::nullopt;
  return chosen;
}

}  // namespace kuv::platform::win32
