#include <gtest/gtest.h>

#include <string>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

// Reading takes CR LF for one line end; a CR LF held in a value must still
// come back from a save and an open as it was.
TEST(LineEnds, CarriageReturnLineFeedInTextSurvivesSaveAndOpen) {
  testing::FakePlatform platform;
  testing::LoadedLibrary library(platform);
  LibraryState& state = *CurrentState();
  state.TEST_SetAttached(true);
  const std::string texts[] = {"a\r\nb", "\r\n", "x\r\r\ny", "ends\r", "\r\n\r\n", "lone\rcr"};
  CBusinessObject* object = state.TEST_dataStore().Append("Id\r\n");
  object->author = "line\r\nbreak";
  CRowNode* row = object->AddTable("T")->AddRow();
  for (int i = 0; i < 6; ++i) row->AddValue("v" + std::to_string(i), texts[i]);

  testing::ScratchFolder folder;
  const std::string path = folder.File("doc.kuv");
  char* message = nullptr;
  ASSERT_EQ(KuvSave(path.c_str(), &message), 1) << message;
#ifndef _WIN32
  const std::string bytes = testing::ReadFileBytes(path).value_or("");
  EXPECT_NE(bytes.find("<v0>a\r\r\nb</v0>\n"), std::string::npos);
  EXPECT_NE(bytes.find("<v3>ends\r</v3>\n"), std::string::npos);
#endif

  ASSERT_EQ(KuvOpen(path.c_str(), &message, 0), 1) << message;
  ASSERT_EQ(state.dataStore().GetCount(), 1);
  const CBusinessObject& read = *state.dataStore().GetAt(0);
  EXPECT_EQ(read.id, "Id\r\n");
  EXPECT_EQ(read.author, "line\r\nbreak");
  const CRowNode& readRow = *read.GetTable(0)->GetRow(0);
  ASSERT_EQ(readRow.GetValueCount(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(readRow.GetValue(i)->value(), texts[i]) << i;
}

}  // namespace
}  // namespace kuv
