// Generated documents for the tool's tests of many files: one well each,
// with a header, casing strings holding cement stages, and a log whose
// samples include the trade's null value and a text that is no number.
#ifndef KUV_TESTS_TOOLS_WELL_DOCUMENTS_H_
#define KUV_TESTS_TOOLS_WELL_DOCUMENTS_H_

#include <string>
#include <vector>

namespace kuv::tool {

// The document of well number `well`, its log `samples` rows long. The
// same arguments give the same bytes.
std::string WellDocument(int well, int samples);

// Wells 1..count written into folder as well1.kuv, well2.kuv..., well n's
// log samplesPerWell * n rows long; their paths, in order.
std::vector<std::string> WriteWellDocuments(const std::string& folder, int count,
                                            int samplesPerWell);

}  // namespace kuv::tool

#endif  // KUV_TESTS_TOOLS_WELL_DOCUMENTS_H_
