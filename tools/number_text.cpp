#include "number_text.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>

namespace kuv::tool {

namespace {

// A decimal number such as "-12.5e3", ".5" or "7.": every such text reads
// whole with strtod, and most values of a document are one, so strtod is
// asked only about the rest (infinities, NaN, and what is no number).
bool IsPlainDecimal(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

// What strtod reads of a text that is no plain decimal; nullopt unless it
// reads the whole text.
std::optional<double> OtherFloat(std::string_view text) {
  // strtod would take these, and a reader of the value would not.
  if (text.empty() || text.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
  if (text.find("0x") != std::string_view::npos || text.find("0X") != std::string_view::npos) {
    return std::nullopt;
  }
  // strtod wants a terminated text; numbers are short, and get one on the
  // stack.
  char small[64];
  std::string large;
  const char* terminated = small;
  if (text.size() < sizeof small) {
    text.copy(small, text.size());
    small[text.size()] = '\0';
  } else {
    large.assign(text);
    terminated = large.c_str();
  }
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(terminated, &end);
  if (end != terminated + text.size()) return std::nullopt;
  return value;
}

bool IsInteger(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return false;  // fits 64 bits
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// from_chars takes no plus sign.
std::string_view WithoutPlus(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool ReadsAsNumber(std::string_view text, ValueKind kind) {
  text = TrimBlanks(text);
  switch (kind) {
    case ValueKind::kFloat:
      return IsPlainDecimal(text) || OtherFloat(text).has_value();
    case ValueKind::kInteger:
      return IsInteger(text);
    default:
      return false;
  }
}

std::optional<double> NumberValue(std::string_view text, ValueKind kind) {
  text = TrimBlanks(text);
  if (kind == ValueKind::kInteger) {
    if (!IsInteger(text)) return std::nullopt;
    const std::string_view digits = WithoutPlus(text);
    long long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return static_cast<double>(value);
  }
  if (kind != ValueKind::kFloat) return std::nullopt;
  if (!IsPlainDecimal(text)) return OtherFloat(text);
  const std::string_view number = WithoutPlus(text);
  double value = 0;
  const std::from_chars_result read =
      std::from_chars(number.data(), number.data() + number.size(), value);
  // Out of range ("1e999") reads as strtod reads it: an infinity or zero.
  if (read.ec != std::errc()) return OtherFloat(text);
  return value;
}

}  // namespace kuv::tool
