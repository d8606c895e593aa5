// Runs one arbitrary input through kuv import as JSON, to memory: read by
// the tool's own JSON reader, built, checked and written as the command
// does. An input it accepts must give a document that exports back to
// JSON which imports to the same bytes.
#ifndef KUV_FUZZ_JSON_IMPORT_HARNESS_H_
#define KUV_FUZZ_JSON_IMPORT_HARNESS_H_

#include <cstddef>
#include <cstdint>

namespace kuv::fuzz {

// Aborts when the import breaks one of its promises: it either refuses
// the JSON with a reason or gives a document that round-trips. Returns
// whether it took the JSON.
bool ExerciseJsonImport(const std::uint8_t* data, std::size_t size);

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_JSON_IMPORT_HARNESS_H_
