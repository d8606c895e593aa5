// Reads an input as a sequence of calls to the exports and checks, after
// every call, what the library promises its callers: results that match
// the data store, handed-out texts that stay intact until their slot is
// filled again, saved documents that read back without error, failed saves
// that leave the old file alone.
//
// Encoding: each call is one letter followed by its argument bytes; any
// other byte picks a call by its value, and blanks and line ends are
// skipped, so that inputs can be written by hand. An argument byte picks
// from a small set of names: the digits '0' to '9' pick the entries 0 to 9,
// any other byte picks by its value.
//
//   C id author version wellId    KuvCreateObject
//   P id author version wellId    KuvPutObject
//   X id                          KuvDeleteObject
//   T table parent                KuvCreateTableDef
//   F table field unit type       KuvCreateFieldDef
//   V table field value           KuvPutValue (value bytes of 128 and above
//                                 take that many, modulo 16, raw bytes)
//   N                             KuvGetNextObject
//   E                             KuvGetNextValue
//   L                             KuvObjectList
//   Q id                          KuvObjectExists
//   I table parent                KuvIsParent
//   G id table field              KuvGetFieldDef
//   S file                        KuvSave (data1, data2, a missing folder)
//   O file keep                   KuvOpen (data1, data2, missing, raw)
//   R length bytes... keep        writes a raw document and opens it
//   D                             KuvDetach
//   A how                         KuvAttach: as it stands, or after reloading
//                                 the library with the current template,
//                                 an outdated one, a missing one found by
//                                 the dialog, a cancelled dialog, or no
//                                 registry
//   W how count                   save faults: none, refused target, failed
//                                 commit, failed write after count*4 bytes
//   Z case which                  one export with a null pointer
//   Y year month day hour minute text   the two date functions
#ifndef KUV_FUZZ_CALL_SEQUENCE_H_
#define KUV_FUZZ_CALL_SEQUENCE_H_

#include <cstddef>
#include <cstdint>

#include "fuzz_environment.h"

namespace kuv::fuzz {

// Starts from a freshly loaded and attached library and unloads it at the
// end. Aborts when the library breaks one of its promises. The library's
// files are in memory; the sequence runs again on disk as use says.
void RunCallSequence(const std::uint8_t* data, std::size_t size, DiskUse use = DiskUse::kSampled);

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_CALL_SEQUENCE_H_
