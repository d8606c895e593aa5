#include "io/input_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/document_test_support.h"

namespace kuv::io {
namespace {

using Stop = InputScanner::Stop;
using testing::TrickleInput;

// Reads the whole input as tokens up to delimiter; the last one is what
// was left when the input ended.
std::vector<std::string> Tokens(const std::string& text, char delimiter, std::size_t blockSize,
                                std::size_t pieceSize) {
  TrickleInput input(text, pieceSize);
  InputScanner scanner(
      input, [] {}, blockSize);
  std::vector<std::string> tokens;
  for (;;) {
    std::string_view token;
    Stop stop = scanner.Next(delimiter, &token);
    tokens.emplace_back(token);
    if (stop != Stop::kDelimiter) {
      EXPECT_EQ(stop, Stop::kEnd);
      return tokens;
    }
  }
}

TEST(InputScanner, SplitsAtTheDelimiterWhateverTheBlockSize) {
  const std::string text = "ab<cde<<fghij<";
  const std::vector<std::string> expected = {"ab", "cde", "", "fghij", ""};
  for (std::size_t block : {1u, 2u, 3u, 5u, 64u}) {
    for (std::size_t piece : {1u, 2u, 7u, 100u}) {
      EXPECT_EQ(Tokens(text, '<', block, piece), expected) << block << " " << piece;
    }
  }
}

TEST(InputScanner, ReadsCarriageReturnLineFeedAsLineFeedAcrossBlocks) {
  // Every split of the pairs over block and piece ends is tried.
  const std::string text = "a\r\nb\r\r\nc\rd\r\n\r\n<e\r<\r";
  const std::vector<std::string> expected = {"a\nb\r\nc\rd\n\n", "e\r", "\r"};
  for (std::size_t block = 1; block <= 8; ++block) {
    for (std::size_t piece = 1; piece <= 8; ++piece) {
      EXPECT_EQ(Tokens(text, '<', block, piece), expected) << block << " " << piece;
    }
  }
}

TEST(InputScanner, DelimiterAsLastByteIsNotTheEnd) {
  TrickleInput input("ab>");
  InputScanner scanner(
      input, [] {}, 4);
  std::string_view text;
  EXPECT_EQ(scanner.Next('>', &text), Stop::kDelimiter);
  EXPECT_EQ(text, "ab");
  EXPECT_TRUE(scanner.good());
  // Looking ahead finds the end without counting as reading past it.
  EXPECT_FALSE(scanner.HasMore());
  EXPECT_TRUE(scanner.good());
  EXPECT_EQ(scanner.Next('>', &text), Stop::kEnd);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(scanner.good());
  EXPECT_FALSE(scanner.failed());
}

TEST(InputScanner, AFailedReadIsNotAnEnd) {
  TrickleInput input("abcdef", 2, 4);
  InputScanner scanner(
      input, [] {}, 16);
  std::string_view text;
  EXPECT_EQ(scanner.Next('>', &text), Stop::kFailed);
  EXPECT_EQ(text, "abcd");
  EXPECT_TRUE(scanner.failed());
  EXPECT_FALSE(scanner.HasMore());
  // Nothing more is asked of a failed input.
  const int reads = input.reads();
  EXPECT_EQ(scanner.Next('>', &text), Stop::kFailed);
  EXPECT_EQ(input.reads(), reads);
}

TEST(InputScanner, DropsTextWhenGivenNoBuffer) {
  TrickleInput input("skipped<kept<");
  InputScanner scanner(
      input, [] {}, 3);
  std::string_view text;
  EXPECT_EQ(scanner.Next('<', nullptr), Stop::kDelimiter);
  EXPECT_EQ(scanner.Next('<', &text), Stop::kDelimiter);
  EXPECT_EQ(text, "kept");
}

TEST(InputScanner, CallsTheKeepHookBeforeReusingWhatTokensView) {
  TrickleInput input("ab<cdefg<h");
  int keeps = 0;
  std::string kept;
  std::string_view held;
  InputScanner scanner(
      input,
      [&] {
        ++keeps;
        kept = std::string(held);
      },
      4);
  EXPECT_EQ(scanner.Next('<', &held), Stop::kDelimiter);  // fills the first block
  EXPECT_EQ(keeps, 1);
  EXPECT_EQ(held, "ab");
  std::string_view next;
  // "cdefg" runs over the block's end: "ab" is still intact when the hook
  // runs, and the token comes back whole.
  EXPECT_EQ(scanner.Next('<', &next), Stop::kDelimiter);
  EXPECT_EQ(keeps, 2);
  EXPECT_EQ(kept, "ab");
  EXPECT_EQ(next, "cdefg");
}

}  // namespace
}  // namespace kuv::io
