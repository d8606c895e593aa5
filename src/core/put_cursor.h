// The put cursor: where KuvPutValue puts the next value of the object being
// built. It names the table that receives new rows and the row that
// receives new values, and moves through the object's tree only by the
// five steps below. The tree owns every node the steps create.
#ifndef KUV_CORE_PUT_CURSOR_H_
#define KUV_CORE_PUT_CURSOR_H_

#include <string_view>

#include "model/business_object.h"
#include "model/table_node.h"

namespace kuv::core {

class PutCursor {
 public:
  // A cursor over object's tree; table and row are null or nodes of it,
  // the row being a row of the table.
  PutCursor(CBusinessObject& object, CTableNode* table, CRowNode* row)
      : object_(object), table_(table), row_(row) {}

  CTableNode* table() const { return table_; }
  CRowNode* row() const { return row_; }

  // Appends a table named name under the put row, or among the object's
  // top-level tables when there is no put row, and makes it the put table.
  // The put row stays as it was.
  void OpenTable(std::string_view name);
  // Appends a row to the put table and makes it the put row; without a put
  // table nothing happens.
  void OpenRow();
  // Leaves the put row; it stays in the tree.
  void CloseRow() { row_ = nullptr; }
  // Moves up one level: the put row becomes the row holding the put table
  // and the put table that row's table. Without a put table nothing
  // happens.
  void Climb();
  // Appends a value to the put row. A repeat of the row's first field
  // starts the next row of the same table first. False, changing nothing,
  // when there is no put row.
  bool AddValue(std::string_view field, std::string_view text);

 private:
  CBusinessObject& object_;
  CTableNode* table_;
  CRowNode* row_;
};

}  // namespace kuv::core

#endif  // KUV_CORE_PUT_CURSOR_H_
