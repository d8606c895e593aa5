// kuv: the texts of documents in other encodings. A document holds 8-bit
// text; programs that show it or hand it on (JSON, a terminal, Python) want
// Unicode. Code page 1252 is what the Windows programs that write these
// documents use: its five unassigned bytes stand here for the control
// characters of the same number, as Windows converts them, so that every
// byte survives a round trip.
#ifndef KUV_TEXT_HPP_
#define KUV_TEXT_HPP_

#include <optional>
#include <string>
#include <string_view>

#include "kuv/values.hpp"  // KUV_VALUES_API

namespace kuv {

enum class Encoding {
  kCp1252,  // Windows code page 1252, in which Windows programs write documents
  kLatin1,  // ISO 8859-1
  kUtf8,    // documents that already hold UTF-8
};

// "cp1252", "latin1" or "utf-8" (and the usual other spellings of them:
// "windows-1252", "latin-1", "iso-8859-1", "utf8", in any case); nullopt
// for any other name.
KUV_VALUES_API std::optional<Encoding> EncodingNamed(std::string_view name);
// "cp1252", "latin1" or "utf-8".
KUV_VALUES_API const char* NameOf(Encoding encoding);

// The Unicode code point of a byte of code page 1252.
KUV_VALUES_API char32_t Cp1252CodePoint(unsigned char byte);

// A document's bytes as UTF-8. Only kUtf8 can fail: nullopt when the bytes
// are not valid UTF-8.
KUV_VALUES_API std::optional<std::string> DecodeText(std::string_view bytes, Encoding encoding);

// As DecodeText, for display: invalid UTF-8 becomes U+FFFD.
KUV_VALUES_API std::string DecodeForDisplay(std::string_view bytes, Encoding encoding);

// UTF-8 text as a document's bytes; nullopt when a character has no byte
// in the encoding (or the text is not valid UTF-8).
KUV_VALUES_API std::optional<std::string> EncodeText(std::string_view utf8, Encoding encoding);

// The first character of utf8 that the encoding cannot hold, shown for a
// message, as in "'Ω' (U+03A9)"; empty when there is none.
KUV_VALUES_API std::string FirstUnencodable(std::string_view utf8, Encoding encoding);

}  // namespace kuv

#endif  // KUV_TEXT_HPP_
