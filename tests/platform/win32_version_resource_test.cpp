// What Windows, Explorer and installers read of kuv's binaries: each
// carries the project's version in its version resource, and kuv.exe runs
// as invoked, never in the per-user copy of the registry that Windows
// would give a 32-bit program without a manifest.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace kuv {
namespace {

// The folder of the test program, where the build puts the DLLs and
// kuv.exe too.
std::string ProgramFolder() {
  std::vector<char> path(MAX_PATH * 4);
  const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::string folder(path.data(), length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string QueryText(const std::vector<char>& info, const char* name) {
  void* text = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!::VerQueryValueA(info.data(), path.c_str(), &text, &length) || length == 0) return "";
  return static_cast<const char*>(text);
}

#ifdef KUV_TOOL_BUILT
const std::vector<std::string> kBinaries = {"kuv.dll", "kuvdocument.dll", "kuv.exe"};
#else
const std::vector<std::string> kBinaries = {"kuv.dll", "kuvdocument.dll"};
#endif

TEST(Win32VersionResource, EachBinaryCarriesTheProjectVersion) {
  for (const std::string& name : kBinaries) {
    SCOPED_TRACE(name);
    const std::string path = ProgramFolder() + name;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource in " << path;
    std::vector<char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, KUV_PROJECT_VERSION);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, name == "kuv.exe" ? DWORD{VFT_APP} : DWORD{VFT_DLL});
    EXPECT_EQ(QueryText(info, "FileVersion"), KUV_PROJECT_VERSION);
    EXPECT_EQ(QueryText(info, "ProductVersion"), KUV_PROJECT_VERSION);
    EXPECT_EQ(QueryText(info, "ProductName"), "kuv");
    EXPECT_EQ(QueryText(info, "OriginalFilename"), name);
  }
}

TEST(Win32VersionResource, TheToolAsksToRunAsInvoked) {
#ifndef KUV_TOOL_BUILT
  GTEST_SKIP() << "kuv.exe is not built here (KUV_BUILD_TOOLS)";
#endif
  const std::string path = ProgramFolder() + "kuv.exe";
  HMODULE tool = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(tool, nullptr) << path;
  HRSRC found = ::FindResourceA(tool, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  std::string manifest;
  if (found != nullptr) {
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(tool, found)));
    if (bytes != nullptr) manifest.assign(bytes, ::SizeofResource(tool, found));
  }
  ::FreeLibrary(tool);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
      << manifest;
}

}  // namespace
}  // namespace kuv
#endif  // _WIN32
