// Rows of a frame written into a business object's tree: top-level rows
// into the object's table of that name, child rows under the rows their
// parent_row_id names. A refused frame leaves the object as it was, and
// only what a saved document gives back as it was written is accepted.
#ifndef KUV_PYTHON_FRAME_PLACEMENT_H_
#define KUV_PYTHON_FRAME_PLACEMENT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"

namespace kuv::python {

// The texts of one column, owned; a cell may be missing.
class OwnedCells {
 public:
  void Add(std::string_view text);
  void AddMissing();
  std::size_t size() const { return present_.size(); }
  bool Has(std::size_t row) const { return present_[row] != 0; }
  std::string_view At(std::size_t row) const;

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;
  std::vector<std::uint8_t> present_;
};

struct ColumnToPlace {
  std::string field;   // as the document holds it
  int occurrence = 0;  // 1 for a second value of the field in a row, ...
  std::string label;   // the column's name, for messages
  OwnedCells cells;
};

struct FrameToPlace {
  std::string table;
  std::string table_label;
  std::vector<ColumnToPlace> columns;
  // A row_id of the parent table per row, -1 where missing; empty when the
  // frame names no parent rows.
  std::vector<std::int64_t> parent_row_id;
  std::string parent_label;  // the parent table's name, for messages
  std::size_t rows = 0;
};

// Writes the rows and returns how many; the next Put starts at the top
// level. Throws kuv::Refusal saying why, changing nothing, for a frame it
// cannot place or after which the object would not read back as it is.
std::size_t PlaceFrame(BusinessObject object, const FrameToPlace& frame);

}  // namespace kuv::python

#endif  // KUV_PYTHON_FRAME_PLACEMENT_H_
