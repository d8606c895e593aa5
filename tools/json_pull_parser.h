// A JSON reader that hands out one event at a time and reads its input in
// blocks, so that neither the text nor a tree of it is ever whole in
// memory; containers are tracked on a stack of its own, so nesting depth
// costs a byte, never a call.
#ifndef KUV_TOOLS_JSON_PULL_PARSER_H_
#define KUV_TOOLS_JSON_PULL_PARSER_H_

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kuv::tool {

class JsonPullParser {
 public:
  enum class Event {
    kObjectStart,
    kObjectEnd,
    kArrayStart,
    kArrayEnd,
    kKey,     // text() is the key; the member's value follows
    kString,  // text() is the string, its escapes decoded to UTF-8
    kNumber,  // text() is the number as written
    kTrue,
    kFalse,
    kNull,
    kEnd,  // the whole text was one value, and nothing follows it
  };

  explicit JsonPullParser(std::istream& in);

  // The next event. Throws a ToolError ("invalid JSON at byte N: ...")
  // for text that is not JSON or cannot be read.
  Event Next();
  const std::string& text() const { return text_; }

  // Where the next element of an array is an object of exactly two
  // members, first and second in that order, each a string without
  // escapes, and it lies whole in the current block, reads it into the two
  // texts and returns true; the same as the events Next would give, in
  // one step. Otherwise returns false having read nothing. Most values of
  // a document are such objects.
  bool NextPlainPair(std::string_view first, std::string_view second, std::string* firstText,
                     std::string* secondText);

  // Reads past the value that comes next (after kKey, or in an array) and
  // everything inside it.
  void SkipValue();

  // How many bytes of the input have been taken so far.
  std::uint64_t bytesRead() const { return consumed_ + position_; }

 private:
  enum class State : std::uint8_t {
    kValue,        // a value must come next
    kFirstMember,  // just after '{': a key or '}'
    kNextMember,   // just after ',' in an object: a key
    kFirstItem,    // just after '[': a value or ']'
    kAfterValue,   // ',' or the end of the open container
    kDone,         // the top value is complete
  };

  bool Fill();
  int Peek() { return position_ < size_ || Fill() ? static_cast<unsigned char>(block_[position_]) : -1; }
  int Get() {
    const int c = Peek();
    if (c >= 0) ++position_;
    return c;
  }
  int SkipSpace();
  [[noreturn]] void Fail(const std::string& problem) const;

  Event Value(int first);
  void ReadString();
  void AppendEscape();
  unsigned ReadHex4();
  void ReadNumber();
  void ReadLiteral(const char* rest);
  Event Close(char container);

  std::istream& in_;
  std::vector<char> block_;
  std::size_t position_ = 0;  // next byte in block_
  std::size_t size_ = 0;      // bytes in block_
  std::uint64_t consumed_ = 0;  // bytes of the blocks before this one
  std::string text_;
  std::vector<char> open_;  // '{' and '[' of the open containers
  State state_ = State::kValue;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_PULL_PARSER_H_
