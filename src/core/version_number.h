// The version test of the template: its root version text, read as a
// number, must be 3.61 or higher.
#ifndef KUV_CORE_VERSION_NUMBER_H_
#define KUV_CORE_VERSION_NUMBER_H_

#include <string_view>

namespace kuv::core {

constexpr double kMinimumTemplateVersion = 3.61;

// The number at the start of text, read as atof reads it in the "C" locale
// whatever the process locale is: leading white space skipped, an optional
// sign, then the longest decimal or "0x" hexadecimal number, or "inf",
// "infinity" or "nan"; anything after it is ignored. No number gives 0; a
// number too large gives infinity, one too small 0 (both signed).
double ReadLeadingNumber(std::string_view text);

// Whether a template's version text names 3.61 or later. A text that reads
// as not-a-number is not recent enough.
bool IsTemplateVersionCurrent(std::string_view versionText);

}  // namespace kuv::core

#endif  // KUV_CORE_VERSION_NUMBER_H_
