#include "json_text.h"

namespace kuv::tool {

void AppendJsonString(std::string_view utf8, std::string* out, bool markupSafe) {
  static constexpr char kHex[] = "0123456789abcdef";
  *out += '"';
  std::size_t plain = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\' && (c != '<' || !markupSafe)) continue;
    out->append(utf8.data() + plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"':
        *out += "\\\"";
        break;
      case '\\':
        *out += "\\\\";
        break;
      case '\n':
        *out += "\\n";
        break;
      case '\r':
        *out += "\\r";
        break;
      case '\t':
        *out += "\\t";
        break;
      case '\b':
        *out += "\\b";
        break;
      case '\f':
        *out += "\\f";
        break;
      default:
        *out += "\\u00";
        *out += kHex[c >> 4];
        *out += kHex[c & 0xF];
    }
  }
  out->append(utf8.data() + plain, utf8.size() - plain);
  *out += '"';
}

}  // namespace kuv::tool
