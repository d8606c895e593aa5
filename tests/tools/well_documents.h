// Generated documents for the tool's tests of many files: one well each,
// with a header, casing strings holding cement stages, and a log whose
// samples include the trade's null value and a text that is no number.
#ifndef KUV_TESTS_TOOLS_WELL_DOCUMENTS_H_
#define KUV_TESTS_TOOLS_WELL_DOCUMENTS_H_

#include <string>

namespace kuv::tool {

// The document of well number `well`, its log `samples` rows long. The
// same arguments give the same bytes.
std::string WellDocument(int well, int samples);

}  // namespace kuv::tool

#endif  // KUV_TESTS_TOOLS_WELL_DOCUMENTS_H_
