// Reads the objects of import's JSON on a thread of its own, so that
// parsing the next object overlaps building, checking and writing this
// one. Only a few objects wait between the two, so memory stays that of a
// few objects.
#ifndef KUV_TOOLS_OBJECT_PIPELINE_H_
#define KUV_TOOLS_OBJECT_PIPELINE_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "json_reader.h"
#include "object_content.h"

namespace kuv::tool {

struct ReadObject {
  ObjectContent object;
  int formatVersion;
};

class ObjectPipeline {
 public:
  // Starts reading from reader, which must outlive the pipeline.
  explicit ObjectPipeline(JsonObjectReader& reader);
  // Stops the reading thread, whether or not every object was taken.
  ~ObjectPipeline();
  ObjectPipeline(const ObjectPipeline&) = delete;
  ObjectPipeline& operator=(const ObjectPipeline&) = delete;

  // The next object in order; nullopt after the last. Throws what reading
  // threw, once the objects read before it have been taken.
  std::optional<ReadObject> Next();

 private:
  static constexpr std::size_t kAhead = 2;

  void Read();

  JsonObjectReader& reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<ReadObject> ready_;
  bool finished_ = false;  // the reader has read its last object, or failed
  bool stopping_ = false;  // no more objects are wanted
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_OBJECT_PIPELINE_H_
