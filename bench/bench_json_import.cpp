// kuv import's reading of JSON, with the tool's own pull parser or with a
// library's in its place: nlohmann's SAX parser (the tool's dependency
// already) or RapidJSON's reader. Each reads the JSON on a thread of its
// own, a few objects ahead, and hands over the same objects; the main
// thread builds, checks and writes each one as kuv import does (format
// version 2). One run per process, so that its peak memory is its own;
// bench_json_readers.py runs them side by side.
//
//   kuv_bench_json_import --reader pull|nlohmann|rapidjson [--stage read|import] JSON [OUT.kuv]
//
// --stage read stops after the reading: the objects are dropped.
#include <rapidjson/filereadstream.h>
#include <rapidjson/reader.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "file_output.h"
#include "harness.h"
#include "json_object_builder.h"
#include "json_reader.h"
#include "kuv/document.hpp"
#include "object_import.h"

namespace {

using kuv::Encoding;
using kuv::tool::ObjectContent;

// The objects between the reading thread and the building one.
class ObjectQueue {
 public:
  void Push(ObjectContent&& object) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_.size() < kAhead; });
    ready_.push_back(std::move(object));
    changed_.notify_all();
  }
  void Finish(std::exception_ptr failure) {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    failure_ = failure;
    changed_.notify_all();
  }
  std::optional<ObjectContent> Pop() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
    if (ready_.empty()) {
      if (failure_) std::rethrow_exception(failure_);
      return std::nullopt;
    }
    ObjectContent object = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return object;
  }

 private:
  static constexpr std::size_t kAhead = 2;  // as kuv import keeps
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<ObjectContent> ready_;
  bool finished_ = false;
  std::exception_ptr failure_;
};

// Today's reading: the tool's own reader over its pull parser.
void ReadWithPullParser(const std::string& path, ObjectQueue& queue) {
  std::ifstream in(path, std::ios::binary);
  kuv::tool::JsonObjectReader reader(in, Encoding::kCp1252);
  while (std::optional<ObjectContent> object = reader.Next()) queue.Push(std::move(*object));
}

// Hands each finished object, its texts encoded, to the queue.
std::function<void(ObjectContent&&)> Delivering(ObjectQueue& queue,
                                                const kuv_bench::JsonObjectBuilder*& builder) {
  return [&queue, &builder](ObjectContent&& object) {
    kuv::tool::EncodeObjectTexts(object, Encoding::kCp1252, builder->formatVersion());
    queue.Push(std::move(object));
  };
}

class NlohmannEvents : public nlohmann::json::json_sax_t {
 public:
  explicit NlohmannEvents(kuv_bench::JsonObjectBuilder& builder) : builder_(builder) {}
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t value) override {
    builder_.Number(value);
    return true;
  }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t& text) override {
    builder_.String(text);
    return true;
  }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override {
    builder_.StartObject();
    return true;
  }
  bool key(string_t& key) override {
    builder_.Key(key);
    return true;
  }
  bool end_object() override {
    builder_.EndObject();
    return true;
  }
  bool start_array(std::size_t) override {
    builder_.StartArray();
    return true;
  }
  bool end_array() override {
    builder_.EndArray();
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception&) override {
    builder_.Fail();
    return false;
  }

 private:
  kuv_bench::JsonObjectBuilder& builder_;
};

void ReadWithNlohmann(const std::string& path, ObjectQueue& queue) {
  const kuv_bench::JsonObjectBuilder* self = nullptr;
  kuv_bench::JsonObjectBuilder builder(Delivering(queue, self));
  self = &builder;
  std::vector<char> buffer(1 << 20);
  std::ifstream in;
  in.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  in.open(path, std::ios::binary);
  NlohmannEvents events(builder);
  if (!nlohmann::json::sax_parse(in, &events) || builder.failed()) {
    throw std::runtime_error("nlohmann: invalid JSON");
  }
}

struct RapidJsonEvents : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RapidJsonEvents> {
  explicit RapidJsonEvents(kuv_bench::JsonObjectBuilder& builder) : builder(builder) {}
  bool Default() { return true; }
  bool Uint(unsigned value) {
    builder.Number(value);
    return true;
  }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    builder.String(std::string_view(text, length));
    return true;
  }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    builder.Key(std::string_view(text, length));
    return true;
  }
  bool StartObject() {
    builder.StartObject();
    return true;
  }
  bool EndObject(rapidjson::SizeType) {
    builder.EndObject();
    return true;
  }
  bool StartArray() {
    builder.StartArray();
    return true;
  }
  bool EndArray(rapidjson::SizeType) {
    builder.EndArray();
    return true;
  }
  kuv_bench::JsonObjectBuilder& builder;
};

void ReadWithRapidJson(const std::string& path, ObjectQueue& queue) {
  const kuv_bench::JsonObjectBuilder* self = nullptr;
  kuv_bench::JsonObjectBuilder builder(Delivering(queue, self));
  self = &builder;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("cannot open " + path);
  std::vector<char> buffer(1 << 20);
  rapidjson::FileReadStream stream(file, buffer.data(), buffer.size());
  rapidjson::Reader reader;
  RapidJsonEvents events(builder);
  const rapidjson::ParseResult result =
      reader.Parse<rapidjson::kParseIterativeFlag>(stream, events);
  std::fclose(file);
  if (!result || builder.failed()) throw std::runtime_error("rapidjson: invalid JSON");
}

}  // namespace

int main(int argc, char** argv) {
  const kuv_bench::Arguments arguments(argc, argv);
  const std::string reader = arguments.Text("--reader", "pull");
  const bool readOnly = arguments.Text("--stage", "import") == "read";
  const std::string json = arguments.Positional(0);
  const std::string output = arguments.Positional(1);
  if (json.empty() || (!readOnly && output.empty())) {
    std::cerr << "usage: kuv_bench_json_import --reader pull|nlohmann|rapidjson "
                 "[--stage read|import] JSON [OUT.kuv]\n";
    return 2;
  }
  std::function<void(const std::string&, ObjectQueue&)> read;
  if (reader == "pull") read = ReadWithPullParser;
  if (reader == "nlohmann") read = ReadWithNlohmann;
  if (reader == "rapidjson") read = ReadWithRapidJson;
  if (!read) {
    std::cerr << "unknown reader " << reader << "\n";
    return 2;
  }

  try {
    const kuv_bench::Clock::time_point start = kuv_bench::Clock::now();
    ObjectQueue queue;
    std::thread reading([&] {
      try {
        read(json, queue);
        queue.Finish(nullptr);
      } catch (...) {
        queue.Finish(std::current_exception());
      }
    });
    long long objects = 0;
    long long items = 0;
    {
      std::optional<kuv::tool::FileOutput> out;
      std::optional<kuv::DocumentWriter> writer;
      if (!readOnly) {
        out.emplace(output);
        writer.emplace(out->stream());
      }
      while (std::optional<ObjectContent> object = queue.Pop()) {
        ++objects;
        items += static_cast<long long>(object->content.size());
        if (readOnly) continue;
        kuv::Document own;
        kuv::tool::ImportExactly(own, *object, Encoding::kCp1252);
        if (own.FindReadBackProblem()) throw std::runtime_error("the object would not read back");
        writer->Write(own.objects()[0]);
      }
      if (writer) {
        writer->Finish();
        out->Commit();
      }
    }
    reading.join();
    const double seconds = kuv_bench::SecondsSince(start);
    std::printf("%s %s: %.2f s, peak %.0f MB, %lld objects, %lld content items\n", reader.c_str(),
                readOnly ? "read" : "import", seconds,
                static_cast<double>(kuv_bench::PeakResidentBytes()) / 1e6, objects, items);
    return 0;
  } catch (const std::exception& error) {
    // The reading thread may wait on the queue still: end at once.
    std::cerr << "kuv_bench_json_import: " << error.what() << std::endl;
    std::_Exit(1);
  }
}
