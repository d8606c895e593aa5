// Helpers for the reader's tests: an input that hands out a text in small
// pieces (and can fail part way), and a plain-text picture of a store that
// tests compare against.
#ifndef KUV_TESTS_IO_DOCUMENT_TEST_SUPPORT_H_
#define KUV_TESTS_IO_DOCUMENT_TEST_SUPPORT_H_

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::testing {

// Serves text at most pieceSize bytes per Read; once failAt bytes have been
// served, Read fails.
class TrickleInput : public platform::InputFile {
 public:
  explicit TrickleInput(std::string text, std::size_t pieceSize = 1 << 20,
                        std::size_t failAt = std::string::npos)
      : text_(std::move(text)), pieceSize_(pieceSize), failAt_(failAt) {}

  long long Read(char* buffer, std::size_t size) override {
    ++reads_;
    if (offset_ >= failAt_) return -1;
    std::size_t count = std::min({size, pieceSize_, text_.size() - offset_, failAt_ - offset_});
    std::memcpy(buffer, text_.data() + offset_, count);
    offset_ += count;
    return static_cast<long long>(count);
  }
  int reads() const { return reads_; }

 private:
  std::string text_;
  std::size_t pieceSize_;
  std::size_t failAt_;
  std::size_t offset_ = 0;
  int reads_ = 0;
};

// One line per object, definition, table, row and value, indented by
// nesting:
//   object ID|Author|Version|WellID|Date
//   tabledef T>P
//   fielddef T/F=U/Y
//   table T
//    row
//     A=1
inline std::string StorePicture(const CObjectStore& store) {
  std::string out;
  for (const auto& object : store.objects()) {
    out += "object " + object->id + "|" + object->author + "|" + object->version + "|" +
           object->wellId + "|" + object->date + "\n";
    for (const auto& [table, parent] : object->TableDefs) {
      out += "tabledef " + table + ">" + parent + "\n";
    }
    for (const auto& [key, definition] : object->FieldDefs) {
      std::string line = key + "=" + definition;
      std::replace(line.begin(), line.end(), '\t', '/');
      out += "fielddef " + line + "\n";
    }
    // Tables still to print with their indentation, last on top.
    std::vector<std::pair<const CTableNode*, std::size_t>> pending;
    for (auto it = object->tables().rbegin(); it != object->tables().rend(); ++it) {
      pending.emplace_back(it->get(), 0);
    }
    while (!pending.empty()) {
      auto [table, indent] = pending.back();
      pending.pop_back();
      out += std::string(indent, ' ') + "table " + table->name() + "\n";
      // A row names its child tables; their content follows the table's
      // last row.
      std::vector<std::pair<const CTableNode*, std::size_t>> children;
      for (const auto& row : table->rows()) {
        out += std::string(indent + 1, ' ') + "row\n";
        for (const CValueNode& value : row->values()) {
          out += std::string(indent + 2, ' ') + row->FieldOf(value) + "=" +
                 std::string(value.value()) + "\n";
        }
        for (const auto& child : row->childTables()) {
          out += std::string(indent + 2, ' ') + "child " + child->name() + "\n";
          children.emplace_back(child.get(), indent + 2);
        }
      }
      for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
    }
  }
  return out;
}

}  // namespace kuv::testing

#endif  // KUV_TESTS_IO_DOCUMENT_TEST_SUPPORT_H_
