// Document bytes as Python texts: code page 1252 (where the five bytes it
// leaves unassigned stand for the control characters of the same number,
// so that every byte survives), raw bytes, or any Python codec with
// "surrogateescape", which gives undecodable bytes back on encoding.
#ifndef KUV_PYTHON_TEXT_CODEC_H_
#define KUV_PYTHON_TEXT_CODEC_H_

#include <pybind11/pybind11.h>

#include <array>
#include <string>
#include <string_view>

namespace kuv::python {

class TextCodec {
 public:
  // encoding: None for bytes, "kuv-cp1252" for the byte-exact code page
  // 1252, or the name of a Python codec.
  explicit TextCodec(const pybind11::object& encoding);

  // A new reference, or nullptr with a Python error set.
  PyObject* Decode(std::string_view bytes) const;
  pybind11::object DecodeObject(std::string_view bytes) const;

  // The bytes of a str (or of bytes, as they are); false, with a Python
  // error set, when a character has no byte in the encoding.
  bool Encode(PyObject* text, std::string* bytes) const;

 private:
  enum class Mode { kCp1252, kBytes, kCodec };
  Mode mode_ = Mode::kCp1252;
  std::string codec_;
};

}  // namespace kuv::python

#endif  // KUV_PYTHON_TEXT_CODEC_H_
