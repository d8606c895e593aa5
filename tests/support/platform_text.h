// Saved documents are text files: on Windows their lines end in CR LF, on
// other systems in LF. Tests state what they expect with "\n" and compare
// the file's bytes with PlatformText of it.
#ifndef KUV_TESTS_SUPPORT_PLATFORM_TEXT_H_
#define KUV_TESTS_SUPPORT_PLATFORM_TEXT_H_

#include <string>

namespace kuv::testing {

// text with every "\n" written the way a text file on this system holds it.
inline std::string PlatformText(const std::string& text) {
#ifdef _WIN32
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 1);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
#else
  return text;
#endif
}

}  // namespace kuv::testing

#endif  // KUV_TESTS_SUPPORT_PLATFORM_TEXT_H_
