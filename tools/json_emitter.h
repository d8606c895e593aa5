// The tool's one JSON writer: streaming, with two-space indentation, for
// export's documents and check's reports alike. It keeps one flag per open
// container instead of recursing. Containers deeper than kMaxIndent levels
// are written on one line, so that deeply nested tables cost little more
// than their text. Texts are UTF-8 already.
#ifndef KUV_TOOLS_JSON_EMITTER_H_
#define KUV_TOOLS_JSON_EMITTER_H_

#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json_text.h"

namespace kuv::tool {

class JsonEmitter {
 public:
  explicit JsonEmitter(std::ostream& out) : out_(out) { buffer_.reserve(kFlushAt + 4096); }

  void BeginObject() {
    Element();
    buffer_ += '{';
    hasMembers_.push_back(false);
  }
  void BeginArray() {
    Element();
    buffer_ += '[';
    hasMembers_.push_back(false);
  }
  void EndObject() { Close('}'); }
  void EndArray() { Close(']'); }

  void Key(std::string_view key) {
    Element();
    Quoted(key);
    buffer_ += ": ";
    afterKey_ = true;
  }
  void String(std::string_view text) {
    Element();
    Quoted(text);
  }
  void Number(long long number) {
    Element();
    buffer_ += std::to_string(number);
  }
  void Bool(bool value) {
    Element();
    buffer_ += value ? "true" : "false";
  }
  // A small object written on one line, as one element.
  void FlatObject(std::initializer_list<std::pair<std::string_view, std::string_view>> members) {
    Element();
    buffer_ += '{';
    bool first = true;
    for (const auto& [key, text] : members) {
      if (!first) buffer_ += ", ";
      first = false;
      Quoted(key);
      buffer_ += ": ";
      Quoted(text);
    }
    buffer_ += '}';
  }

  // The same for an object of two members, in one copy when neither text
  // needs escaping, as most values do not. The keys are the writer's own.
  void FlatPair(std::string_view firstKey, std::string_view first, std::string_view secondKey,
                std::string_view second) {
    if (!IsPlain(first) || !IsPlain(second)) {
      FlatObject({{firstKey, first}, {secondKey, second}});
      return;
    }
    Element();
    const std::size_t at = buffer_.size();
    buffer_.resize(at + 16 + firstKey.size() + first.size() + secondKey.size() + second.size());
    char* out = buffer_.data() + at;
    const auto put = [&out](std::string_view text) {
      if (!text.empty()) std::memcpy(out, text.data(), text.size());
      out += text.size();
    };
    put("{\"");
    put(firstKey);
    put("\": \"");
    put(first);
    put("\", \"");
    put(secondKey);
    put("\": \"");
    put(second);
    put("\"}");
  }

  // Ends the top value with a line end and hands everything to the stream.
  void EndDocument() {
    buffer_ += '\n';
    Flush();
  }

  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;
  static constexpr std::size_t kMaxIndent = 32;

  void NewLine() {
    if (hasMembers_.size() > kMaxIndent) return;
    buffer_ += '\n';
    buffer_.append(2 * hasMembers_.size(), ' ');
  }

  void Element() {
    if (buffer_.size() >= kFlushAt) Flush();
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (hasMembers_.empty()) return;
    if (hasMembers_.back()) buffer_ += hasMembers_.size() > kMaxIndent ? ", " : ",";
    hasMembers_.back() = true;
    NewLine();
  }

  void Close(char bracket) {
    const bool hadMembers = hasMembers_.back();
    hasMembers_.pop_back();
    if (hadMembers) NewLine();
    buffer_ += bracket;
  }

  static bool IsPlain(std::string_view text) {
    bool plain = true;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      plain &= byte >= 0x20 && byte != '"' && byte != '\\';
    }
    return plain;
  }

  void Quoted(std::string_view text) { AppendJsonString(text, &buffer_); }

  std::ostream& out_;
  std::string buffer_;
  std::vector<bool> hasMembers_;
  bool afterKey_ = false;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_EMITTER_H_
