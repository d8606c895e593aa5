// Conversion between the 8-bit text of documents and the UTF-8 of JSON and
// the terminal.
#ifndef KUV_TOOLS_TEXT_ENCODING_H_
#define KUV_TOOLS_TEXT_ENCODING_H_

#include <optional>
#include <string>
#include <string_view>

namespace kuv::tool {

enum class Encoding {
  kCp1252,  // Windows code page 1252, in which Windows programs write documents
  kLatin1,  // ISO 8859-1
  kUtf8,    // documents that already hold UTF-8
};

// "cp1252", "latin1" or "utf-8"; nullopt for any other name.
std::optional<Encoding> EncodingNamed(std::string_view name);

// The document's bytes as UTF-8. Only kUtf8 can fail: nullopt when the
// bytes are not valid UTF-8. The five bytes that code page 1252 leaves
// unassigned stand for the control characters of the same number, so that
// every byte survives a round trip.
std::optional<std::string> DecodeText(std::string_view bytes, Encoding encoding);

// As DecodeText, for display: invalid UTF-8 becomes U+FFFD.
std::string DecodeForDisplay(std::string_view bytes, Encoding encoding);

// UTF-8 text as the document's bytes; nullopt when a character has no byte
// in the encoding (or the text is not valid UTF-8).
std::optional<std::string> EncodeText(std::string_view utf8, Encoding encoding);

// The first character of utf8 that the encoding cannot hold, shown for a
// message, as in "'Ω' (U+03A9)"; empty when there is none.
std::string FirstUnencodable(std::string_view utf8, Encoding encoding);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TEXT_ENCODING_H_
