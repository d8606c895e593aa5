// A frame's column as document texts: numbers in their shortest exact
// form, booleans as "true" and "false", dates as the document's date text,
// texts encoded. Missing values (None, NaN, NaT, pd.NA) stay missing.
#ifndef KUV_PYTHON_CELL_ENCODING_H_
#define KUV_PYTHON_CELL_ENCODING_H_

#include <pybind11/pybind11.h>

#include <string>

#include "frame_placement.h"
#include "text_codec.h"

namespace kuv::python {

// values: a one-dimensional numpy array of floats, integers, booleans,
// datetime64[ns] or objects; missing: further objects that mean "no
// value" (pd.NA, pd.NaT). Throws ValueError or TypeError naming the row
// and the column for a value that has no text.
OwnedCells EncodeColumn(const pybind11::handle& values, const pybind11::tuple& missing,
                        const TextCodec& codec, const std::string& label);

}  // namespace kuv::python

#endif  // KUV_PYTHON_CELL_ENCODING_H_
