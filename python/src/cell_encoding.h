// Python values as document texts: numbers in their shortest exact form,
// booleans as "true" and "false", dates as typed_writes.h writes them,
// texts encoded. Typed values go only into fields that take them; texts
// into any. Missing values (None, NaN, NaT, pd.NA) stay missing.
#ifndef KUV_PYTHON_CELL_ENCODING_H_
#define KUV_PYTHON_CELL_ENCODING_H_

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "frame_placement.h"
#include "text_codec.h"
#include "typed_writes.h"

namespace kuv::python {

// values: a one-dimensional numpy array of floats, integers, booleans,
// datetime64[ns] or objects; missing: further objects that mean "no
// value" (pd.NA, pd.NaT); table: the frame's table, for messages. Throws
// kuv::Refusal or ValueError naming the row and the column for a value
// that has no text there.
OwnedCells EncodeColumn(const pybind11::handle& values, const pybind11::tuple& missing,
                        const TextCodec& codec, const FieldKind& field, const std::string& table);

// The text of one value for the field; nullopt for a missing one. `where`
// names the place in messages.
std::optional<std::string> EncodeValue(const pybind11::handle& value, const TextCodec& codec,
                                       const FieldKind& field, const std::string& where);

}  // namespace kuv::python

#endif  // KUV_PYTHON_CELL_ENCODING_H_
