#include "object_pipeline.h"

#include <utility>

namespace kuv::tool {

ObjectPipeline::ObjectPipeline(JsonObjectReader& reader)
    : reader_(reader), thread_([this] { Read(); }) {}

ObjectPipeline::~ObjectPipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ObjectPipeline::Read() {
  try {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stopping_ || ready_.size() < kAhead; });
        if (stopping_) return;
      }
      std::optional<ObjectContent> object = reader_.Next();
      std::lock_guard<std::mutex> lock(mutex_);
      if (!object) break;
      ready_.push_back({std::move(*object), reader_.formatVersion()});
      changed_.notify_all();
    }
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = std::current_exception();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  changed_.notify_all();
}

std::optional<ReadObject> ObjectPipeline::Next() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
  if (ready_.empty()) {
    if (failure_) std::rethrow_exception(failure_);
    return std::nullopt;
  }
  ReadObject next = std::move(ready_.front());
  ready_.pop_front();
  changed_.notify_all();
  return next;
}

}  // namespace kuv::tool
