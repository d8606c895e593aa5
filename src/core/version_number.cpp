#include "core/version_number.h"

#include <charconv>
#include <limits>

namespace kuv::core {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c, bool hex) {
  if (c >= '0' && c <= '9') return true;
  return hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// from_chars reports a number outside the range of double without a value.
// Whether it is huge or tiny follows from the place of its first non-zero
// digit and its exponent; both are far from zero whenever the range is left,
// so a rough, saturating sum decides.
bool IsHuge(const char* first, const char* last, bool hex) {
  const char exponentMark = hex ? 'p' : 'e';
  // Place of the first non-zero digit: 0 for the ones, -1 for the first
  // fraction digit, in digits of the number's base.
  long long leadingPlace = 0;
  long long significantIntegerDigits = 0;
  long long fractionDigits = 0;
  bool inFraction = false;
  bool foundInFraction = false;
  const char* p = first;
  for (; p != last; ++p) {
    if (*p == '.') {
      inFraction = true;
    } else if (!IsDigit(*p, hex)) {
      break;
    } else if (!inFraction) {
      if (significantIntegerDigits > 0 || *p != '0') ++significantIntegerDigits;
    } else {
      ++fractionDigits;
      if (significantIntegerDigits == 0 && !foundInFraction && *p != '0') {
        foundInFraction = true;
        leadingPlace = -fractionDigits;
      }
    }
  }
  if (significantIntegerDigits > 0) leadingPlace = significantIntegerDigits - 1;

  long long exponent = 0;
  if (p != last && (*p == exponentMark || *p == exponentMark - ('a' - 'A'))) {
    ++p;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    constexpr long long kSaturation = 1'000'000'000;
    for (; p != last && *p >= '0' && *p <= '9'; ++p) {
      if (exponent < kSaturation) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  const long long magnitude = hex ? leadingPlace * 4 + exponent : leadingPlace + exponent;
  return magnitude > 0;
}

// Reads an unsigned number at [first, last) in the given format; nothing
// when none stands there.
bool ReadUnsigned(const char* first, const char* last, std::chars_format format, double& value) {
  // A second sign is not part of a number.
  if (first == last || *first == '-' || *first == '+') return false;
  const std::from_chars_result result = std::from_chars(first, last, value, format);
  if (result.ec == std::errc()) return true;
  if (result.ec != std::errc::result_out_of_range) return false;
  value = IsHuge(first, result.ptr, format == std::chars_format::hex)
              ? std::numeric_limits<double>::infinity()
              : 0.0;
  return true;
}

// "0x" and a hexadecimal digit, or a point and one. from_chars would also
// take "inf" and "nan" after the prefix; a hexadecimal number has neither.
bool StartsHexNumber(const char* p, const char* last) {
  if (last - p < 3 || p[0] != '0' || (p[1] != 'x' && p[1] != 'X')) return false;
  if (IsDigit(p[2], true)) return true;
  return p[2] == '.' && last - p >= 4 && IsDigit(p[3], true);
}

// The end of the hexadecimal number at first (after its "0x"): digits with
// an optional point, then "p", an optional sign and decimal digits when
// they are all there. from_chars alone would also take "p+-1".
const char* HexNumberEnd(const char* first, const char* last) {
  const char* p = first;
  while (p != last && IsDigit(*p, true)) ++p;
  if (p != last && *p == '.') {
    ++p;
    while (p != last && IsDigit(*p, true)) ++p;
  }
  if (p == last || (*p != 'p' && *p != 'P')) return p;
  const char* exponent = p + 1;
  if (exponent != last && (*exponent == '+' || *exponent == '-')) ++exponent;
  if (exponent == last || !IsDigit(*exponent, false)) return p;
  while (exponent != last && IsDigit(*exponent, false)) ++exponent;
  return exponent;
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  const char* p = text.data();
  const char* const last = p + text.size();
  while (p != last && IsSpace(*p)) ++p;
  bool negative = false;
  if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';

  double value = 0.0;
  const bool read = (StartsHexNumber(p, last) && ReadUnsigned(p + 2, HexNumberEnd(p + 2, last),
                                                              std::chars_format::hex, value)) ||
                    // Also "0x" without a hexadecimal number: the 0 alone is read.
                    ReadUnsigned(p, last, std::chars_format::general, value);
  if (!read) return 0.0;  // no number, and so no sign either
  return negative ? -value : value;
}

bool IsTemplateVersionCurrent(std::string_view versionText) {
  // Written as "not at least" so that not-a-number is refused too.
  return ReadLeadingNumber(versionText) >= kMinimumTemplateVersion;
}

}  // namespace kuv::core
