// Builds the objects of the tool's JSON (the shape json_writer.h gives)
// from parser events pushed at it, for the JSON readers that push (SAX)
// rather than hand out one event at a time. It knows the shape and skips
// what is not of it, as the tool's reader does; it reports nothing but
// that the JSON is not of the shape, since it serves the benchmark only.
#ifndef KUV_BENCH_JSON_OBJECT_BUILDER_H_
#define KUV_BENCH_JSON_OBJECT_BUILDER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "object_content.h"

namespace kuv_bench {

class JsonObjectBuilder {
 public:
  // done receives each object once it is complete.
  explicit JsonObjectBuilder(std::function<void(kuv::tool::ObjectContent&&)> done)
      : done_(std::move(done)) {
    stack_.push_back(kTop);
  }

  int formatVersion() const { return formatVersion_; }
  bool failed() const { return failed_; }

  void StartObject() {
    switch (Here()) {
      case kTop:
        Enter(kRoot);
        return;
      case kObjects:
        object_ = kuv::tool::ObjectContent();
        Enter(kObject);
        return;
      case kObject:
        if (key_ == "definitions") return Enter(kDefinitions);
        return Skip();
      case kDefinitionList:
        Enter(definingTables_ ? kTableDefinition : kFieldDefinition);
        strings_.assign(4, std::string());
        return;
      case kTables:
        object_.content.push_back({kuv::tool::ContentStep::kOpenTable, {}, {}});
        tables_.push_back(object_.content.size() - 1);
        return Enter(kTable);
      case kRows:
        object_.content.push_back({kuv::tool::ContentStep::kBeginRow, {}, {}});
        rowEnds_.push_back(object_.content.size());
        return Enter(kRow);
      case kValues:
        strings_.assign(2, std::string());
        return Enter(kValue);
      default:
        return Skip();
    }
  }

  void EndObject() {
    switch (Here()) {
      case kObject:
        done_(std::move(object_));
        break;
      case kTableDefinition:
        object_.tables.push_back({std::move(strings_[0]), std::move(strings_[1])});
        break;
      case kFieldDefinition:
        object_.fields.push_back({std::move(strings_[0]), std::move(strings_[1]),
                                  std::move(strings_[2]), std::move(strings_[3])});
        break;
      case kTable:
        object_.content.push_back({kuv::tool::ContentStep::kCloseTable, {}, {}});
        tables_.pop_back();
        break;
      case kRow:
        rowEnds_.pop_back();
        break;
      case kValue: {
        // After the row's values so far, before child tables that came first.
        kuv::tool::ContentItem value{kuv::tool::ContentStep::kValue, std::move(strings_[0]),
                                     std::move(strings_[1])};
        std::size_t& end = rowEnds_.back();
        if (end == object_.content.size()) {
          object_.content.push_back(std::move(value));
        } else {
          object_.content.insert(object_.content.begin() + static_cast<std::ptrdiff_t>(end),
                                 std::move(value));
        }
        ++end;
        break;
      }
      default:
        break;
    }
    Leave();
  }

  void StartArray() {
    switch (Here()) {
      case kRoot:
        return key_ == "objects" ? Enter(kObjects) : Skip();
      case kObject:
        return key_ == "tables" ? Enter(kTables) : Skip();
      case kDefinitions:
        if (key_ != "tables" && key_ != "fields") return Skip();
        definingTables_ = key_ == "tables";
        return Enter(kDefinitionList);
      case kTable:
        return key_ == "rows" ? Enter(kRows) : Skip();
      case kRow:
        if (key_ == "values") return Enter(kValues);
        return key_ == "tables" ? Enter(kTables) : Skip();
      default:
        return Skip();
    }
  }

  void EndArray() { Leave(); }

  void Key(std::string_view key) {
    if (Here() != kSkip) key_.assign(key.data(), key.size());
  }

  void String(std::string_view text) {
    switch (Here()) {
      case kObject: {
        kuv::tool::ObjectHeader& header = object_.header;
        if (key_ == "id") header.id.assign(text);
        if (key_ == "author") header.author.assign(text);
        if (key_ == "version") header.version.assign(text);
        if (key_ == "wellId") header.wellId.assign(text);
        if (key_ == "date") header.date = std::string(text);
        return;
      }
      case kTableDefinition:
        return Member(text, {"name", "parent"});
      case kFieldDefinition:
        return Member(text, {"table", "field", "unit", "type"});
      case kValue:
        return Member(text, {"field", "value"});
      case kTable:
        if (key_ == "name") object_.content[tables_.back()].name.assign(text);
        return;
      default:
        return;
    }
  }

  void Number(std::uint64_t value) {
    if (Here() == kRoot && key_ == "formatVersion") formatVersion_ = static_cast<int>(value);
  }

  void Fail() { failed_ = true; }

 private:
  enum Place : std::uint8_t {
    kTop,
    kRoot,
    kObjects,
    kObject,
    kDefinitions,
    kDefinitionList,
    kTableDefinition,
    kFieldDefinition,
    kTables,
    kTable,
    kRows,
    kRow,
    kValues,
    kValue,
    kSkip,  // a container of no interest, and everything inside it
  };

  Place Here() const { return skipped_ > 0 ? kSkip : stack_.back(); }
  void Enter(Place place) { stack_.push_back(place); }
  void Skip() { ++skipped_; }
  void Leave() {
    if (skipped_ > 0) {
      --skipped_;
    } else if (stack_.size() > 1) {
      stack_.pop_back();
    }
  }

  void Member(std::string_view text, std::initializer_list<const char*> keys) {
    std::size_t k = 0;
    for (const char* key : keys) {
      if (key_ == key) strings_[k].assign(text.data(), text.size());
      ++k;
    }
  }

  std::function<void(kuv::tool::ObjectContent&&)> done_;
  std::vector<Place> stack_;
  std::size_t skipped_ = 0;
  std::string key_;
  kuv::tool::ObjectContent object_;
  std::vector<std::string> strings_;  // the members of a definition or value
  bool definingTables_ = false;
  std::vector<std::size_t> tables_;   // the open tables' kOpenTable items
  std::vector<std::size_t> rowEnds_;  // where each open row's next value goes
  int formatVersion_ = 1;
  bool failed_ = false;
};

}  // namespace kuv_bench

#endif  // KUV_BENCH_JSON_OBJECT_BUILDER_H_
