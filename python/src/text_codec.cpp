#include "text_codec.h"

#include <cstring>

#include "kuv/text.hpp"

namespace py = pybind11;

namespace kuv::python {

namespace {

constexpr const char kCp1252Name[] = "kuv-cp1252";

Py_UCS4 Cp1252Code(unsigned char byte) { return static_cast<Py_UCS4>(Cp1252CodePoint(byte)); }

PyObject* DecodeCp1252(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto size = static_cast<Py_ssize_t>(bytes.size());
  Py_UCS4 widest = 0;
  for (Py_ssize_t i = 0; i < size; ++i) {
    if (data[i] >= 0x80) widest = std::max(widest, Cp1252Code(data[i]));
  }
  PyObject* text = PyUnicode_New(size, widest < 0x80 ? 0x7F : widest);
  if (text == nullptr) return nullptr;
  if (widest < 0x80) {
    std::memcpy(PyUnicode_1BYTE_DATA(text), data, bytes.size());
  } else if (widest < 0x100) {
    Py_UCS1* out = PyUnicode_1BYTE_DATA(text);
    for (Py_ssize_t i = 0; i < size; ++i) out[i] = static_cast<Py_UCS1>(Cp1252Code(data[i]));
  } else {
    Py_UCS2* out = PyUnicode_2BYTE_DATA(text);
    for (Py_ssize_t i = 0; i < size; ++i) out[i] = static_cast<Py_UCS2>(Cp1252Code(data[i]));
  }
  return text;
}

bool EncodeCp1252(PyObject* text, std::string* bytes) {
  const Py_ssize_t size = PyUnicode_GET_LENGTH(text);
  const int kind = PyUnicode_KIND(text);
  const void* data = PyUnicode_DATA(text);
  bytes->resize(static_cast<std::size_t>(size));
  for (Py_ssize_t i = 0; i < size; ++i) {
    const Py_UCS4 code = PyUnicode_READ(kind, data, i);
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
      (*bytes)[static_cast<std::size_t>(i)] = static_cast<char>(code);
      continue;
    }
    bool found = false;
    for (unsigned high = 0x80; high < 0xA0 && !found; ++high) {
      if (Cp1252CodePoint(static_cast<unsigned char>(high)) == code) {
        (*bytes)[static_cast<std::size_t>(i)] = static_cast<char>(high);
        found = true;
      }
    }
    if (!found) {
      PyObject* error = PyObject_CallFunction(PyExc_UnicodeEncodeError, "sOnns", kCp1252Name, text,
                                              i, i + 1, "character has no byte in cp1252");
      if (error != nullptr) {
        PyErr_SetObject(PyExc_UnicodeEncodeError, error);
        Py_DECREF(error);
      }
      return false;
    }
  }
  return true;
}

}  // namespace

TextCodec::TextCodec(const py::object& encoding) {
  if (encoding.is_none()) {
    mode_ = Mode::kBytes;
  } else {
    codec_ = encoding.cast<std::string>();
    mode_ = codec_ == kCp1252Name ? Mode::kCp1252 : Mode::kCodec;
  }
}

PyObject* TextCodec::Decode(std::string_view bytes) const {
  switch (mode_) {
    case Mode::kCp1252:
      return DecodeCp1252(bytes);
    case Mode::kBytes:
      return PyBytes_FromStringAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size()));
    case Mode::kCodec:
      break;
  }
  return PyUnicode_Decode(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), codec_.c_str(),
                          "surrogateescape");
}

py::object TextCodec::DecodeObject(std::string_view bytes) const {
  PyObject* text = Decode(bytes);
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(text);
}

bool TextCodec::Encode(PyObject* text, std::string* bytes) const {
  if (PyBytes_Check(text)) {
    bytes->assign(PyBytes_AS_STRING(text), static_cast<std::size_t>(PyBytes_GET_SIZE(text)));
    return true;
  }
  if (mode_ == Mode::kCp1252) return EncodeCp1252(text, bytes);
  if (mode_ == Mode::kBytes) {
    PyErr_SetString(PyExc_TypeError, "a document opened with encoding=None takes bytes");
    return false;
  }
  PyObject* encoded = PyUnicode_AsEncodedString(text, codec_.c_str(), "surrogateescape");
  if (encoded == nullptr) return false;
  if (!PyBytes_Check(encoded)) {
    Py_DECREF(encoded);
    PyErr_Format(PyExc_TypeError, "the codec %s does not give bytes", codec_.c_str());
    return false;
  }
  bytes->assign(PyBytes_AS_STRING(encoded), static_cast<std::size_t>(PyBytes_GET_SIZE(encoded)));
  Py_DECREF(encoded);
  return true;
}

}  // namespace kuv::python
