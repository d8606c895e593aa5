#include "typed_writes.h"

#include <Python.h>

#include <cmath>
#include <cstdio>
#include <optional>

#include "kuv/values.hpp"

namespace kuv::python {

namespace {

const char* SortName(ValueSort sort) {
  switch (sort) {
    case ValueSort::kFloat:
      return "a number";
    case ValueSort::kInteger:
      return "an integer";
    case ValueSort::kBoolean:
      return "a boolean";
    case ValueSort::kDate:
      break;
  }
  return "a date";
}

const char* TakenSorts(ValueKind kind) {
  switch (kind) {
    case ValueKind::kFloat:
      return "numbers";
    case ValueKind::kInteger:
      return "whole numbers";
    case ValueKind::kBoolean:
      return "booleans";
    case ValueKind::kDate:
      return "dates";
    case ValueKind::kText:
      break;
  }
  return "texts";
}

bool Takes(ValueKind kind, ValueSort sort) {
  switch (kind) {
    case ValueKind::kText:
      return true;
    case ValueKind::kFloat:
      return sort == ValueSort::kFloat || sort == ValueSort::kInteger;
    case ValueKind::kInteger:
      return sort == ValueSort::kInteger || sort == ValueSort::kFloat;  // whole ones: FloatText
    case ValueKind::kBoolean:
      return sort == ValueSort::kBoolean;
    case ValueKind::kDate:
      return sort == ValueSort::kDate;
  }
  return false;
}

[[noreturn]] void RefuseSort(const std::string& what, const FieldKind& field,
                             const std::string& where) {
  const std::string why = "field '" + field.label + "' is declared '" + field.type +
                          "', which takes " + TakenSorts(field.kind) + ", not " + what;
  throw Refusal("kuv: " + where + ": " + why, why);
}

}  // namespace

FieldKind FieldKindOf(const BusinessObject& object, std::string_view table, std::string_view field,
                      std::string label) {
  FieldKind kind;
  kind.label = std::move(label);
  if (const std::optional<FieldDefinition> definition = object.field_definition(table, field)) {
    kind.type.assign(definition->type);
    kind.kind = KindOfType(definition->type);
  }
  return kind;
}

void CheckSort(ValueSort sort, const FieldKind& field, const std::string& where) {
  if (!Takes(field.kind, sort)) RefuseSort(SortName(sort), field, where);
}

std::string FloatText(double value, const FieldKind& field, const std::string& where) {
  CheckSort(ValueSort::kFloat, field, where);
  if (field.kind == ValueKind::kInteger) {
    if (!std::isfinite(value) || std::trunc(value) != value || std::fabs(value) >= 0x1p63) {
      char* text = PyOS_double_to_string(value, 'r', 0, Py_DTSF_ADD_DOT_0, nullptr);
      const std::string shown = text != nullptr ? text : "it";
      PyMem_Free(text);
      RefuseSort(shown, field, where);
    }
    return std::to_string(static_cast<long long>(value));
  }
  // As Python's repr writes it, so that add_frame and put agree.
  char* text = PyOS_double_to_string(value, 'r', 0, Py_DTSF_ADD_DOT_0, nullptr);
  if (text == nullptr) throw std::bad_alloc();
  std::string written(text);
  PyMem_Free(text);
  return written;
}

std::string DateText(const DateParts& parts) {
  if (parts.second == 0 && parts.nanosecond == 0) {
    const std::string text = FormatDate(parts);
    if (ParseDate(text)) return text;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.year, parts.month,
                parts.day, parts.hour, parts.minute, parts.second);
  std::string written(text);
  if (parts.nanosecond != 0) {
    std::snprintf(text, sizeof text, ".%09d", parts.nanosecond);
    std::string fraction(text);
    while (fraction.back() == '0') fraction.pop_back();
    written += fraction;
  }
  return written;
}

}  // namespace kuv::python
