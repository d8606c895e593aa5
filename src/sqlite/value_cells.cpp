#include "sqlite/value_cells.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace kuv::sqlite {

std::string IsoText(const DateParts& date) {
  char text[48];
  int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", date.year,
                             date.month, date.day, date.hour, date.minute, date.second);
  if (date.nanosecond > 0 && length > 0) {
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%09d", date.nanosecond);
    std::string_view digits(fraction);
    while (digits.back() == '0') digits.remove_suffix(1);
    return std::string(text, static_cast<std::size_t>(length)) + std::string(digits);
  }
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void ReadCell(std::string_view text, ValueKind kind, Cell* cell) {
  const TypedValue read = ReadValue(text, kind);
  cell->readsAsKind = read.reading == ValueReading::kValue;
  if (!cell->readsAsKind) return;
  switch (kind) {
    case ValueKind::kInteger:
      cell->type = Cell::Type::kInteger;
      cell->integer = read.integer;
      break;
    case ValueKind::kBoolean:
      cell->type = Cell::Type::kInteger;
      cell->integer = read.boolean ? 1 : 0;
      break;
    case ValueKind::kFloat:
      cell->type = Cell::Type::kReal;
      cell->real = read.number;
      cell->readsAsKind = !std::isnan(read.number);
      break;
    case ValueKind::kDate:
      cell->type = Cell::Type::kText;
      cell->text = IsoText(read.date);
      break;
    case ValueKind::kText:
      cell->readsAsKind = false;  // texts go where texts go
      break;
  }
}

namespace {

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool Utf8Texts::Convert(std::string_view bytes, std::string* slot, std::string_view* utf8) const {
  if (IsAscii(bytes)) {
    *utf8 = bytes;
    return true;
  }
  std::optional<std::string> decoded = DecodeText(bytes, encoding_);
  if (!decoded) return false;
  *slot = std::move(*decoded);
  *utf8 = *slot;
  return true;
}

bool Utf8Texts::Copy(std::string_view bytes, std::string* utf8) const {
  std::string slot;
  std::string_view view;
  if (!Convert(bytes, &slot, &view)) return false;
  *utf8 = std::string(view);
  return true;
}

}  // namespace kuv::sqlite
