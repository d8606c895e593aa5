// The flattened values of one business object, as the value enumeration
// hands them out. Records hold copies, never pointers into the model, so
// that changing or deleting the object does not touch them. Names repeat
// from record to record and are stored once; value texts share one buffer.
#ifndef KUV_MODEL_VALUE_LIST_H_
#define KUV_MODEL_VALUE_LIST_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kuv {

class ValueList {
 public:
  // One flattened value; the texts are indices into the list's own copies.
  struct CValueRecord {
    std::int32_t rowIndex;
    std::uint32_t table;
    std::uint32_t parentTable;
    std::uint32_t field;
    std::uint32_t unit;
    std::uint32_t type;
    std::uint32_t valueSize;
    std::size_t valueOffset;
  };

  void Clear();
  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }

  // Stores a copy of a name and returns its index; equal names share one.
  std::uint32_t InternName(std::string_view name);
  void Append(std::int32_t rowIndex, std::uint32_t table, std::uint32_t parentTable,
              std::uint32_t field, std::uint32_t unit, std::uint32_t type,
              std::string_view value) {
    if (value.size() > std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("value text too long");
    }
    records_.push_back(CValueRecord{rowIndex, table, parentTable, field, unit, type,
                                    static_cast<std::uint32_t>(value.size()), values_.size()});
    values_.append(value.data(), value.size());
  }
  // Makes room for this many records holding this many bytes of text.
  void Reserve(std::size_t records, std::size_t textBytes) {
    records_.reserve(records);
    values_.reserve(textBytes);
  }

  const CValueRecord& record(std::size_t i) const { return records_[i]; }
  std::string_view name(std::uint32_t index) const { return views_[index]; }
  std::string_view value(const CValueRecord& r) const {
    return std::string_view(values_).substr(r.valueOffset, r.valueSize);
  }

 private:
  std::vector<CValueRecord> records_;
  std::deque<std::string> names_;  // stable, so the views below stay valid
  std::vector<std::string_view> views_;  // names_ by index, one load away
  std::unordered_map<std::string_view, std::uint32_t> nameIndex_;
  std::string values_;
};

}  // namespace kuv

#endif  // KUV_MODEL_VALUE_LIST_H_
