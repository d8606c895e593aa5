#include "put_recorder.h"

namespace kuv_bench {

const char* PutRecorder::Intern(std::string_view name) {
  auto found = names_.find(name);
  if (found == names_.end()) found = names_.emplace(name).first;
  return found->c_str();
}

void PutRecorder::BeginObject(const ObjectDescription& object) {
  if (full()) return;
  if (!objects_.empty()) objects_.back().endCall = offsets_.size();
  objects_.push_back({object, offsets_.size(), offsets_.size()});
}

void PutRecorder::PutValue(std::string_view table, std::string_view field, std::string_view text) {
  if (full()) return;
  offsets_.push_back({Intern(table), Intern(field), values_.size()});
  values_.append(text);
  values_.push_back('\0');
}

void PutRecorder::Finish() {
  if (!objects_.empty()) objects_.back().endCall = offsets_.size();
  calls_.clear();
  calls_.reserve(offsets_.size());
  for (const Pending& pending : offsets_) {
    calls_.push_back({pending.table, pending.field, values_.data() + pending.valueOffset});
  }
}

}  // namespace kuv_bench
