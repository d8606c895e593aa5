#include "core/put_cursor.h"

namespace kuv::core {

void PutCursor::OpenTable(std::string_view name) {
  table_ = row_ == nullptr ? object_.AddTable(name) : row_->AddChildTable(name);
}

void PutCursor::OpenRow() {
  if (table_ != nullptr) row_ = table_->AddRow();
}

void PutCursor::Climb() {
  if (table_ == nullptr) return;
  row_ = table_->parentRow();
  table_ = row_ == nullptr ? nullptr : row_->parentTable();
}

bool PutCursor::AddValue(std::string_view field, std::string_view text) {
  if (row_ == nullptr) return false;
  const auto& values = row_->values();
  if (!values.empty() && row_->FieldOf(values.front()) == field) {
    if (table_ == nullptr) return false;  // a row always has its table as put table
    CloseRow();
    OpenRow();
  }
  row_->AddValue(field, text);
  return true;
}

}  // namespace kuv::core
