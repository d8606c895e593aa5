// Rebuilds an object's table tree from the flat values that the library's
// value enumeration hands out (table, parent table, row position, field,
// value), in the order it hands them out.
#ifndef KUV_TOOLS_CONTENT_BUILDER_H_
#define KUV_TOOLS_CONTENT_BUILDER_H_

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "object_content.h"

namespace kuv::tool {

struct ValueRecord {
  std::string table;
  std::string parentTable;  // empty for a top-level table
  std::string field;
  std::string value;
  int rowIndex = 0;  // position of the value's row within its table
};

class ContentBuilder {
 public:
  // Tells whether the object declares table with parent as its parent;
  // used only to place a table whose row holds no value of its own.
  using IsParent = std::function<bool(const std::string& table, const std::string& parent)>;

  explicit ContentBuilder(IsParent isParent) : isParent_(std::move(isParent)) {}

  void Add(const ValueRecord& record);

  // Closes what is open and hands the content over.
  std::vector<ContentItem> Finish();

 private:
  struct Frame {
    std::string table;
    int row;  // position of the row being filled
  };

  const std::string& ParentOf(std::size_t frame) const;
  // The highest open frame with this name (and, when given, this parent),
  // counted from 1; 0 when there is none.
  std::size_t FindOpen(const std::string& table, const std::string* parent) const;
  void CloseAbove(std::size_t frames);
  void OpenTable(const std::string& name, int rows);
  void OpenMissingParent(const std::string& parent);

  IsParent isParent_;
  std::vector<Frame> open_;
  // Positions of the open frames by table name, so that finding a table
  // costs the same however deep the tree nests.
  std::unordered_map<std::string, std::vector<std::size_t>> openAt_;
  std::vector<ContentItem> content_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CONTENT_BUILDER_H_
