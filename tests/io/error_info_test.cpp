#include "io/error_info.h"

#include <gtest/gtest.h>

#include "resources/messages.h"

namespace kuv {
namespace {

TEST(ErrorInfo, CodeZeroChangesNothing) {
  CErrorInfo error;
  error.SetError(0, "detail");
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(error.GetMessage(), "");
}

TEST(ErrorInfo, MessageHasTextAndDetail) {
  CErrorInfo error;
  error.SetError(5, "/tmp/out.kuv");
  EXPECT_EQ(error.code, 5);
  EXPECT_EQ(error.GetMessage(), "Error : Error opening file for save.: /tmp/out.kuv");
}

TEST(ErrorInfo, LastErrorWins) {
  CErrorInfo error;
  error.SetError(2, nullptr);
  error.SetError(4, nullptr);
  EXPECT_EQ(error.code, 4);
  EXPECT_EQ(error.GetMessage(), "Error : Token is invalid.");
}

TEST(ErrorInfo, CodeWithoutEntryGivesBareMessage) {
  CErrorInfo error;
  error.SetError(9, nullptr);
  EXPECT_EQ(error.code, 9);
  EXPECT_EQ(error.GetMessage(), "Error ");
  error.SetError(9, "d");
  EXPECT_EQ(error.GetMessage(), "Error : d");
}

TEST(ErrorInfo, EveryTableTextIsExact) {
  const char* expected[] = {
      "Failed to open input file.",
      "File is corrupted.",
      "This is not a KUV file ( missing KUV declaration statement ).",
      "Token is invalid.",
      "Error opening file for save.",
      "Business Object incorrectly defined in file",
      "The standard.kvt version is out of date.\nPlease get the newer version from Brenlow "
      "support.",
  };
  for (int code = 1; code <= 7; ++code) {
    ASSERT_NE(resources::MessageText(code), nullptr) << code;
    EXPECT_STREQ(resources::MessageText(code), expected[code - 1]) << code;
  }
  EXPECT_EQ(resources::MessageText(0), nullptr);
  EXPECT_EQ(resources::MessageText(8), nullptr);
}

TEST(ErrorInfo, VersionErrorHoldsTwoLineBreaks) {
  CErrorInfo error;
  error.SetError(7, "Version number expected to be 3.61 or higher.\nPlace newer version file into /t");
  EXPECT_EQ(error.GetMessage(),
            "Error : The standard.kvt version is out of date.\nPlease get the newer version from "
            "Brenlow support.: Version number expected to be 3.61 or higher.\nPlace newer "
            "version file into /t");
}

}  // namespace
}  // namespace kuv
