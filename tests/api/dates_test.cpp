#include <gtest/gtest.h>

#include <cstring>

#include "kuv/kuv.h"
#include "support/fake_platform.h"

namespace kuv {
namespace {

class Dates : public ::testing::Test {
 protected:
  testing::FakePlatform platform;
  testing::LoadedLibrary library{platform};
};

TEST_F(Dates, FormatsAndReadsBack) {
  char* text = nullptr;
  ASSERT_EQ(KuvDateToString(2002, 10, 1, 14, 5, &text), 1);
  EXPECT_STREQ(text, "20021001T14:05:00000");
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  ASSERT_EQ(KuvStringToDate(text, &y, &mo, &d, &h, &mi), 1);
  EXPECT_EQ(y, 2002);
  EXPECT_EQ(mo, 10);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 14);
  EXPECT_EQ(mi, 5);
}

TEST_F(Dates, OutOfRangePartsStillGiveText) {
  char* text = nullptr;
  EXPECT_EQ(KuvDateToString(1899, 12, 31, 23, 59, &text), 0);
  EXPECT_STREQ(text, "18991231T23:59:00000");
  EXPECT_EQ(KuvDateToString(12345, 1, 1, 0, 0, &text), 0);
  EXPECT_EQ(std::strlen(text), 21u);
  EXPECT_EQ(KuvDateToString(2002, 1, 1, -1, 0, &text), 0);
  EXPECT_STREQ(text, "20020101T-1:00:00000");
}

TEST_F(Dates, RangesAreInclusiveAndDayIgnoresTheMonth) {
  char* text = nullptr;
  EXPECT_EQ(KuvDateToString(2002, 2, 31, 0, 0, &text), 1);
  EXPECT_EQ(KuvDateToString(1900, 1, 1, 0, 0, &text), 1);
  EXPECT_EQ(KuvDateToString(2500, 12, 31, 23, 59, &text), 1);
  EXPECT_EQ(KuvDateToString(2501, 12, 31, 23, 59, &text), 0);
  EXPECT_EQ(KuvDateToString(2002, 13, 1, 0, 0, &text), 0);
  EXPECT_EQ(KuvDateToString(2002, 1, 0, 0, 0, &text), 0);
  EXPECT_EQ(KuvDateToString(2002, 1, 1, 24, 0, &text), 0);
  EXPECT_EQ(KuvDateToString(2002, 1, 1, 0, 60, &text), 0);
}

TEST_F(Dates, WrongLengthWritesNothing) {
  int y = -1, mo = -1, d = -1, h = -1, mi = -1;
  EXPECT_EQ(KuvStringToDate("20021001T14:05:0000", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(KuvStringToDate("20021001T14:05:000000", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(KuvStringToDate("", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(mo, -1);
  EXPECT_EQ(mi, -1);
}

TEST_F(Dates, OutOfRangeNumbersAreStillWritten) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  EXPECT_EQ(KuvStringToDate("20021301T14:05:00000", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(mo, 13);
  EXPECT_EQ(KuvStringToDate("abcd1001T14:05:00000", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(mo, 10);
}

TEST_F(Dates, NumberFieldsReadLikeAtoi) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  EXPECT_EQ(KuvStringToDate("2002 101x14y05zzzzzz", &y, &mo, &d, &h, &mi), 1);
  EXPECT_EQ(mo, 1);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 14);
  EXPECT_EQ(mi, 5);
  EXPECT_EQ(KuvStringToDate("+2001-1010T10:10:00000", &y, &mo, &d, &h, &mi), 0);  // 22 chars
  EXPECT_EQ(KuvStringToDate("-9001-11T10:10:00000", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(y, -900);
  EXPECT_EQ(mo, 1);
  EXPECT_EQ(d, 11);
  EXPECT_EQ(KuvStringToDate("2002 1-1T10:10:00000", &y, &mo, &d, &h, &mi), 0);
  EXPECT_EQ(mo, 1);
  EXPECT_EQ(d, -1);
}

TEST_F(Dates, WorkWithoutAttachmentAndRefuseNulls) {
  char* text = nullptr;
  EXPECT_EQ(KuvDateToString(2002, 10, 1, 14, 5, nullptr), 0);
  EXPECT_EQ(KuvDateToString(2002, 10, 1, 14, 5, &text), 1);  // not attached
  int y = 0;
  EXPECT_EQ(KuvStringToDate(nullptr, &y, &y, &y, &y, &y), 0);
  EXPECT_EQ(KuvStringToDate("20021001T14:05:00000", &y, nullptr, &y, &y, &y), 0);
}

}  // namespace
}  // namespace kuv
