#include "terminal_text.h"

namespace kuv::tool {

namespace {

bool IsPrintableAscii(std::string_view bytes) {
  bool printable = true;
  for (const char c : bytes) printable &= c >= 0x20 && c < 0x7F;
  return printable;
}

}  // namespace

std::string TerminalText(std::string_view bytes, Encoding encoding) {
  if (IsPrintableAscii(bytes)) return std::string(bytes);
  const std::string text = DecodeForDisplay(bytes, encoding);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    // C1 control characters (U+0080 to U+009F) are shown by number too.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      static constexpr char kHex[] = "0123456789abcdef";
      const auto code = static_cast<unsigned char>(text[++i]);
      out += "\\u00";
      out += kHex[code >> 4];
      out += kHex[code & 0xF];
    } else if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

void AppendTerminalText(std::string_view bytes, Encoding encoding, std::string* out) {
  if (IsPrintableAscii(bytes)) {
    out->append(bytes);
  } else {
    out->append(TerminalText(bytes, encoding));
  }
}

}  // namespace kuv::tool
