// Runs one arbitrary input through the reader, as a document in memory and
// as files the library attaches to and opens, and through everything that
// walks what was read: value enumeration, the writer, the edit exports.
// The library's files are in memory; the disk takes its turn as use says.
#ifndef KUV_FUZZ_READER_HARNESS_H_
#define KUV_FUZZ_READER_HARNESS_H_

#include <cstddef>
#include <cstdint>

#include "fuzz_environment.h"

namespace kuv::fuzz {

// Aborts when the library breaks one of its promises.
void ExerciseReader(const std::uint8_t* data, std::size_t size, DiskUse use = DiskUse::kSampled);

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_READER_HARNESS_H_
