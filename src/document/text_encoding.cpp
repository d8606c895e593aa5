// Conversion between the 8-bit text of documents and UTF-8.
#include <array>
#include <cstdint>
#include <cstdio>

#include "kuv/text.hpp"

namespace kuv {

namespace {

// Code points of the bytes 0x80 to 0x9F in code page 1252. The five bytes
// it leaves unassigned keep their own number, as Windows converts them.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Reads one UTF-8 character at text[*at] and moves past it; nullopt (and
// one byte skipped) for a malformed, overlong or surrogate sequence.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t* at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*at);
  std::size_t length = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++*at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    ++*at;
    return std::nullopt;
  }
  if (text.size() - *at < length) {
    ++*at;
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(*at + i);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return std::nullopt;
    }
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++*at;
    return std::nullopt;
  }
  *at += length;
  return code;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

char32_t SingleByteCode(unsigned char byte, Encoding encoding) {
  if (encoding == Encoding::kCp1252 && byte >= 0x80 && byte < 0xA0) {
    return kCp1252High[byte - 0x80];
  }
  return byte;
}

std::optional<unsigned char> SingleByteFor(char32_t code, Encoding encoding) {
  if (encoding == Encoding::kLatin1) {
    if (code < 0x100) return static_cast<unsigned char>(code);
    return std::nullopt;
  }
  if (code < 0x80 || (code >= 0xA0 && code < 0x100)) return static_cast<unsigned char>(code);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == code) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

// Decodes UTF-8 input, either failing on malformed bytes or replacing them.
std::optional<std::string> DecodeUtf8(std::string_view bytes, bool replaceInvalid) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (std::optional<char32_t> code = NextUtf8(bytes, &at)) {
      AppendUtf8(*code, &out);
    } else if (replaceInvalid) {
      AppendUtf8(kReplacement, &out);
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace

std::optional<Encoding> EncodingNamed(std::string_view name) {
  std::string lower;
  for (const char c : name) lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  for (const char* spelling : {"cp1252", "windows-1252", "windows1252"}) {
    if (lower == spelling) return Encoding::kCp1252;
  }
  for (const char* spelling : {"latin1", "latin-1", "iso-8859-1", "iso8859-1"}) {
    if (lower == spelling) return Encoding::kLatin1;
  }
  if (lower == "utf-8" || lower == "utf8") return Encoding::kUtf8;
  return std::nullopt;
}

const char* NameOf(Encoding encoding) {
  switch (encoding) {
    case Encoding::kLatin1:
      return "latin1";
    case Encoding::kUtf8:
      return "utf-8";
    case Encoding::kCp1252:
      break;
  }
  return "cp1252";
}

char32_t Cp1252CodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

std::optional<std::string> DecodeText(std::string_view bytes, Encoding encoding) {
  if (IsAscii(bytes)) return std::string(bytes);
  if (encoding == Encoding::kUtf8) return DecodeUtf8(bytes, false);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char c : bytes) AppendUtf8(SingleByteCode(static_cast<unsigned char>(c), encoding), &out);
  return out;
}

std::string DecodeForDisplay(std::string_view bytes, Encoding encoding) {
  if (encoding == Encoding::kUtf8) return *DecodeUtf8(bytes, true);
  return *DecodeText(bytes, encoding);
}

std::optional<std::string> EncodeText(std::string_view utf8, Encoding encoding) {
  if (IsAscii(utf8)) return std::string(utf8);
  if (encoding == Encoding::kUtf8) return DecodeUtf8(utf8, false);
  std::string out;
  out.reserve(utf8.size());
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::optional<char32_t> code = NextUtf8(utf8, &at);
    if (!code) return std::nullopt;
    std::optional<unsigned char> byte = SingleByteFor(*code, encoding);
    if (!byte) return std::nullopt;
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

std::string FirstUnencodable(std::string_view utf8, Encoding encoding) {
  std::size_t at = 0;
  while (at < utf8.size()) {
    const std::size_t start = at;
    std::optional<char32_t> code = NextUtf8(utf8, &at);
    if (!code) return "a byte that is not UTF-8";
    if (encoding != Encoding::kUtf8 && !SingleByteFor(*code, encoding)) {
      char number[16];
      std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(*code));
      return "'" + std::string(utf8.substr(start, at - start)) + "' (" + number + ")";
    }
  }
  return std::string();
}

}  // namespace kuv
