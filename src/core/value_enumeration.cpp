// Flattens a business object's tree into the value list in one depth-first
// pre-order walk over rows: a row's own values, then the rows of its child
// tables, then the next row of the same table. The walk keeps its own stack
// of open tables, so the nesting depth costs heap, not call stack.
//
// Unit and type come from the object's field definitions. Looking them up
// per value would dominate the walk, so they are resolved once per table
// name and field, and each table node maps its field indices onto them.
#include "core/value_enumeration.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kuv::core {

namespace {

// Up to this many entries a linear search beats hashing.
constexpr std::size_t kLinearSearch = 16;

// The interned names that a value of one field carries in its record.
struct FieldNames {
  std::uint32_t field;
  std::uint32_t unit;
  std::uint32_t type;
};

struct ResolvedField {
  std::string_view name;  // a field name held by a node of the object
  FieldNames names;
};

// What the walk has learnt about one table name. Nodes of one table mostly
// meet their fields in the same order, so the order of the first node is
// kept (`usual`); a node whose field names follow it, as a prefix or by
// extending it, indexes `usual` directly. Fields that only other orders
// bring are kept in `other`.
struct TableInfo {
  std::string_view name;  // a table name held by a node of the object
  std::uint32_t nameIndex = 0;
  std::vector<ResolvedField> usual;
  std::vector<ResolvedField> other;
  // Built once a table has too many fields for a linear search.
  std::unique_ptr<std::unordered_map<std::string_view, FieldNames>> byName;
};

class Flattener {
 public:
  Flattener(const CBusinessObject& object, ValueList& list) : object_(object), list_(list) {
    emptyName_ = list_.InternName("");
  }

  void Run() {
    std::size_t lastTop = kNoInfo;
    for (const auto& table : object_.tables()) {
      if (table->rows().empty()) continue;
      lastTop = InfoFor(table->name(), lastTop);
      Open(*table, lastTop, emptyName_);
      Drain();
    }
  }

 private:
  static constexpr std::size_t kNoInfo = static_cast<std::size_t>(-1);
  static constexpr std::size_t kRowNotStarted = static_cast<std::size_t>(-1);

  // A table node being walked. Its field mapping is the usual one of its
  // table, or, when `ownFields`, a stretch of fieldArena_ from
  // `fieldsOffset`.
  struct Frame {
    const CTableNode* table;
    std::size_t info;
    std::uint32_t parentName;
    bool ownFields;
    std::size_t fieldsOffset;
    std::size_t row;
    std::size_t nextChild;  // kRowNotStarted until the row's values are out
    std::size_t lastChildInfo;
  };

  void Drain() {
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      const auto& rows = frame.table->rows();
      if (frame.nextChild == kRowNotStarted) {
        if (frame.row == rows.size()) {
          Close();
          continue;
        }
        EmitRow(frame, *rows[frame.row]);
        frame.nextChild = 0;
      }
      const auto& children = rows[frame.row]->childTables();
      if (frame.nextChild < children.size()) {
        const CTableNode& child = *children[frame.nextChild++];
        if (child.rows().empty()) continue;
        frame.lastChildInfo = InfoFor(child.name(), frame.lastChildInfo);
        Open(child, frame.lastChildInfo, infos_[frame.info].nameIndex);  // invalidates frame
        continue;
      }
      ++frame.row;
      frame.nextChild = kRowNotStarted;
    }
  }

  void EmitRow(const Frame& frame, const CRowNode& row) {
    // Taken per row: a node further down may have extended the usual order.
    const TableInfo& info = infos_[frame.info];
    const auto rowIndex = static_cast<std::int32_t>(frame.row);
    if (frame.ownFields) {
      const FieldNames* names = fieldArena_.data() + frame.fieldsOffset;
      for (const CValueNode& value : row.values()) {
        const FieldNames& f = names[value.fieldIndex()];
        list_.Append(rowIndex, info.nameIndex, frame.parentName, f.field, f.unit, f.type,
                     value.value());
      }
    } else {
      const ResolvedField* usual = info.usual.data();
      for (const CValueNode& value : row.values()) {
        const FieldNames& f = usual[value.fieldIndex()].names;
        list_.Append(rowIndex, info.nameIndex, frame.parentName, f.field, f.unit, f.type,
                     value.value());
      }
    }
  }

  void Open(const CTableNode& table, std::size_t infoIndex, std::uint32_t parentName) {
    Frame frame{&table, infoIndex, parentName, false, 0, 0, kRowNotStarted, kNoInfo};
    TableInfo& info = infos_[infoIndex];
    const std::size_t count = table.FieldNameCount();
    const std::size_t common = std::min(count, info.usual.size());
    std::size_t same = 0;
    while (same < common && info.usual[same].name == table.FieldName(same)) ++same;
    if (same == common) {
      // The node's names are new beyond the usual ones, so they can only
      // have been met in another order before.
      for (std::size_t i = common; i < count; ++i) {
        const std::string& name = table.FieldName(static_cast<std::uint32_t>(i));
        const FieldNames* known = FindOther(info, name);
        info.usual.push_back({name, known != nullptr ? *known : Define(info, name)});
        if (info.byName) info.byName->emplace(name, info.usual.back().names);
      }
    } else {
      frame.ownFields = true;
      frame.fieldsOffset = fieldArena_.size();
      for (std::size_t i = 0; i < count; ++i) {
        fieldArena_.push_back(Resolve(info, table.FieldName(static_cast<std::uint32_t>(i))));
      }
    }
    IndexIfLarge(info);
    stack_.push_back(frame);
  }

  // Frames close in the reverse order of opening, so a node's own field
  // mapping is always the last one in the arena.
  void Close() {
    if (stack_.back().ownFields) fieldArena_.resize(stack_.back().fieldsOffset);
    stack_.pop_back();
  }

  // Tables nest few names deep, so a guess (the table met last in the same
  // place) and then a short search find the name without hashing.
  std::size_t InfoFor(const std::string& name, std::size_t guess) {
    if (guess != kNoInfo && infos_[guess].name == name) return guess;
    if (infoByName_.empty()) {
      for (std::size_t i = 0; i < infos_.size(); ++i) {
        if (infos_[i].name == name) return i;
      }
    } else if (auto found = infoByName_.find(name); found != infoByName_.end()) {
      return found->second;
    }
    const std::size_t index = infos_.size();
    infos_.emplace_back();
    infos_.back().name = name;
    infos_.back().nameIndex = list_.InternName(name);
    if (!infoByName_.empty()) {
      infoByName_.emplace(name, index);
    } else if (infos_.size() > kLinearSearch) {
      for (std::size_t i = 0; i < infos_.size(); ++i) infoByName_.emplace(infos_[i].name, i);
    }
    return index;
  }

  FieldNames Resolve(TableInfo& info, std::string_view field) {
    if (info.byName) {
      if (auto found = info.byName->find(field); found != info.byName->end()) return found->second;
    } else {
      for (const ResolvedField& r : info.usual) {
        if (r.name == field) return r.names;
      }
      if (const FieldNames* known = FindOther(info, field)) return *known;
    }
    const FieldNames names = Define(info, field);
    info.other.push_back({field, names});
    if (info.byName) info.byName->emplace(field, names);
    return names;
  }

  static const FieldNames* FindOther(const TableInfo& info, std::string_view field) {
    if (info.byName) {
      auto found = info.byName->find(field);
      return found == info.byName->end() ? nullptr : &found->second;
    }
    for (const ResolvedField& r : info.other) {
      if (r.name == field) return &r.names;
    }
    return nullptr;
  }

  static void IndexIfLarge(TableInfo& info) {
    if (info.byName || info.usual.size() + info.other.size() <= kLinearSearch) return;
    info.byName = std::make_unique<std::unordered_map<std::string_view, FieldNames>>();
    for (const ResolvedField& r : info.usual) info.byName->emplace(r.name, r.names);
    for (const ResolvedField& r : info.other) info.byName->emplace(r.name, r.names);
  }

  // Interns a field's names, with unit and type from the object's own
  // definition; both stay empty when it has none.
  FieldNames Define(const TableInfo& info, std::string_view field) {
    FieldNames names{list_.InternName(field), emptyName_, emptyName_};
    if (const std::string* definition = object_.FindFieldDef(info.name, field)) {
      const SplitText parts = SplitAtFirstTab(*definition);
      names.unit = list_.InternName(parts.first);
      names.type = list_.InternName(parts.second);
    }
    return names;
  }

  const CBusinessObject& object_;
  ValueList& list_;
  std::uint32_t emptyName_ = 0;
  std::vector<Frame> stack_;
  std::vector<FieldNames> fieldArena_;
  std::vector<TableInfo> infos_;
  std::unordered_map<std::string_view, std::size_t> infoByName_;  // once there are many
};

}  // namespace

void BuildValueList(const CBusinessObject& object, ValueList& list) {
  list.Clear();
  Flattener(object, list).Run();
}

}  // namespace kuv::core
