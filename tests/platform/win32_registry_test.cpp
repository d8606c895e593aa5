// The template key in the real registry: the path read at load, a missing
// value, the value written as REG_SZ, and the dialog that cannot be
// answered without a desktop.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <string>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "platform/platform.h"
#include "platform/win32_test_support.h"

// windows.h names LoadLibrary as a macro; here it is the library's load step.
#undef LoadLibrary

namespace kuv {
namespace {

using testing::RunningUnderWine;
using testing::TemplateKeyLease;

class Win32Registry : public ::testing::Test {
 protected:
  ~Win32Registry() override { UnloadLibrary(); }
  platform::Platform& system = platform::DefaultPlatform();
  TemplateKeyLease lease;
};

TEST_F(Win32Registry, StoresTheValueAsRegSzCountingItsZeroByte) {
  auto key = system.CreateTemplateKey();
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->SetStringValue("FileName", "C:\\kuv\\Standard.kvt"));
  DWORD type = 0;
  EXPECT_EQ(TemplateKeyLease::ReadFileName(&type), std::string("C:\\kuv\\Standard.kvt\0", 20));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(key->QueryValue("FileName"), std::string("C:\\kuv\\Standard.kvt\0", 20));
  EXPECT_EQ(key->QueryValue("NoSuchValue"), std::nullopt);
}

TEST_F(Win32Registry, LoadReadsTheTemplatePathUpToItsFirstZero) {
  TemplateKeyLease::WriteFileName(std::string("D:\\templates\\Standard.kvt\0junk", 31));
  ASSERT_TRUE(LoadLibrary(system));
  EXPECT_EQ(CurrentState()->templatePath(), "D:\\templates\\Standard.kvt");
}

TEST_F(Win32Registry, LoadWithoutTheValueLeavesThePathEmpty) {
  TemplateKeyLease::DeleteFileName();
  ASSERT_TRUE(LoadLibrary(system));
  EXPECT_EQ(CurrentState()->templatePath(), "");
  EXPECT_NE(system.OpenTemplateKey(), nullptr);  // the key itself is there
}

TEST_F(Win32Registry, AttachFindsTheTemplateThroughTheRegistry) {
  const std::string path = std::string(KUV_SOURCE_DIR) + "/examples/Standard.kvt";
  ASSERT_TRUE(system.PathExists(path));
  TemplateKeyLease::WriteFileName(path + std::string(1, '\0'));
  ASSERT_TRUE(LoadLibrary(system));
  char* message = nullptr;
  EXPECT_EQ(KuvAttach(&message), 1) << (message ? message : "");
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "");
  EXPECT_EQ(TemplateKeyLease::ReadFileName(), path + std::string(1, '\0'));  // not rewritten
}

TEST_F(Win32Registry, AttachWithoutAnswerFromTheDialogIsRefused) {
  if (!RunningUnderWine()) GTEST_SKIP() << "a real desktop would show the dialog";
  const std::string missing = std::string("Z:\\no\\such\\Standard.kvt") + '\0';
  TemplateKeyLease::WriteFileName(missing);
  ASSERT_TRUE(LoadLibrary(system));
  char* message = nullptr;
  EXPECT_EQ(KuvAttach(&message), 0);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "Template not opened");
  EXPECT_FALSE(CurrentState()->attached());
  EXPECT_EQ(TemplateKeyLease::ReadFileName(), missing);  // nothing chosen, nothing written
}

}  // namespace
}  // namespace kuv
#endif  // _WIN32
