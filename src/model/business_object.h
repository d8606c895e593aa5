// A business object: five header texts, its data description (TableDefs,
// FieldDefs) and its content, the top-level tables it owns.
#ifndef KUV_MODEL_BUSINESS_OBJECT_H_
#define KUV_MODEL_BUSINESS_OBJECT_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/definitions.h"
#include "model/table_node.h"

namespace kuv {

class CBusinessObject {
 public:
  explicit CBusinessObject(std::string_view id) : id(id) {}
  ~CBusinessObject() { DestroyTables(tables_); }
  CBusinessObject(const CBusinessObject&) = delete;
  CBusinessObject& operator=(const CBusinessObject&) = delete;

  std::string id;
  std::string version;
  std::string author;
  std::string date;
  std::string wellId;
  FieldDefMap FieldDefs;
  TableDefMap TableDefs;
  void SetFieldDef(std::string_view key, std::string_view definition);
  void SetTableDef(std::string_view table, std::string_view parent);
  // Unit and type of a field's definition; empty when it has none.
  std::string_view GetUnit(std::string_view table, std::string_view field) const;
  std::string_view GetType(std::string_view table, std::string_view field) const;
  // The definition text of a field, or null.
  const std::string* FindFieldDef(std::string_view table, std::string_view field) const;

  // Deletes every table; header and definitions stay.
  void ClearTables() { DestroyTables(tables_); }
  // Appends a new top-level table and returns it.
  CTableNode* AddTable(std::string_view name);
  // Deletes the top-level table at i and everything under it, without
  // recursion.
  void RemoveTable(std::size_t i);
  int GetTableCount() const { return static_cast<int>(tables_.size()); }
  // The top-level table at i, or null when i is out of range.
  CTableNode* GetTable(int i) const;
  const std::vector<Owned<CTableNode>>& tables() const { return tables_; }

 private:
  std::vector<Owned<CTableNode>> tables_;
};

}  // namespace kuv

#endif  // KUV_MODEL_BUSINESS_OBJECT_H_
