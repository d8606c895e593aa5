#include "json_pull_parser.h"

#include "tool_error.h"

namespace kuv::tool {

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

bool IsSpace(int c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

JsonPullParser::JsonPullParser(std::istream& in) : in_(in), block_(kBlockSize) {}

bool JsonPullParser::Fill() {
  consumed_ += size_;
  position_ = 0;
  size_ = 0;
  if (!in_) return false;
  in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
  size_ = static_cast<std::size_t>(in_.gcount());
  if (in_.bad()) throw DataError("cannot read the JSON");
  return size_ > 0;
}

void JsonPullParser::Fail(const std::string& problem) const {
  throw DataError("invalid JSON: " + problem + " (at byte " + std::to_string(bytesRead()) + ")");
}

int JsonPullParser::SkipSpace() {
  for (;;) {
    const char* data = block_.data();
    while (position_ < size_ && IsSpace(data[position_])) ++position_;
    if (position_ < size_) return static_cast<unsigned char>(data[position_]);
    if (!Fill()) return -1;
  }
}

JsonPullParser::Event JsonPullParser::Next() {
  for (;;) {
    const int c = SkipSpace();
    switch (state_) {
      case State::kDone:
        if (c >= 0) Fail("text follows the end of the document");
        return Event::kEnd;
      case State::kFirstMember:
      case State::kNextMember:
        if (c == '}' && state_ == State::kFirstMember) {
          ++position_;
          return Close('{');
        }
        if (c != '"') Fail(state_ == State::kFirstMember ? "expected a key or '}'" : "expected a key");
        ++position_;
        ReadString();
        if (SkipSpace() != ':') Fail("expected ':' after a key");
        ++position_;
        state_ = State::kValue;
        return Event::kKey;
      case State::kAfterValue: {
        if (open_.empty()) {
          state_ = State::kDone;
          continue;
        }
        const char container = open_.back();
        if (c == ',') {
          ++position_;
          state_ = container == '{' ? State::kNextMember : State::kValue;
          continue;
        }
        if (c == (container == '{' ? '}' : ']')) {
          ++position_;
          return Close(container);
        }
        Fail(container == '{' ? "expected ',' or '}'" : "expected ',' or ']'");
      }
      case State::kFirstItem:
        if (c == ']') {
          ++position_;
          return Close('[');
        }
        return Value(c);
      case State::kValue:
        return Value(c);
    }
  }
}

JsonPullParser::Event JsonPullParser::Close(char container) {
  open_.pop_back();
  state_ = State::kAfterValue;
  return container == '{' ? Event::kObjectEnd : Event::kArrayEnd;
}

JsonPullParser::Event JsonPullParser::Value(int first) {
  if (first < 0) Fail("the text ends where a value should be");
  ++position_;
  state_ = State::kAfterValue;
  switch (first) {
    case '{':
      open_.push_back('{');
      state_ = State::kFirstMember;
      return Event::kObjectStart;
    case '[':
      open_.push_back('[');
      state_ = State::kFirstItem;
      return Event::kArrayStart;
    case '"':
      ReadString();
      return Event::kString;
    case 't':
      ReadLiteral("rue");
      return Event::kTrue;
    case 'f':
      ReadLiteral("alse");
      return Event::kFalse;
    case 'n':
      ReadLiteral("ull");
      return Event::kNull;
    default:
      if (first == '-' || IsDigit(first)) {
        --position_;  // the number's first character is its own
        ReadNumber();
        return Event::kNumber;
      }
      Fail("expected a value");
  }
}

// Copies runs of plain characters a block at a time; only quotes,
// backslashes and control characters stop the scan.
void JsonPullParser::ReadString() {
  text_.clear();
  for (;;) {
    if (position_ == size_ && !Fill()) Fail("the text ends inside a string");
    const char* data = block_.data();
    std::size_t end = position_;
    while (end < size_) {
      const unsigned char c = static_cast<unsigned char>(data[end]);
      if (c == '"' || c == '\\' || c < 0x20) break;
      ++end;
    }
    text_.append(data + position_, end - position_);
    position_ = end;
    if (end == size_) continue;
    const char c = data[position_++];
    if (c == '"') return;
    if (c == '\\') {
      AppendEscape();
    } else {
      --position_;
      Fail("a control character stands unescaped in a string");
    }
  }
}

void JsonPullParser::AppendEscape() {
  const int c = Get();
  switch (c) {
    case '"':
    case '\\':
    case '/':
      text_ += static_cast<char>(c);
      return;
    case 'b':
      text_ += '\b';
      return;
    case 'f':
      text_ += '\f';
      return;
    case 'n':
      text_ += '\n';
      return;
    case 'r':
      text_ += '\r';
      return;
    case 't':
      text_ += '\t';
      return;
    case 'u':
      break;
    default:
      Fail("an invalid escape in a string");
  }
  unsigned code = ReadHex4();
  if (code >= 0xD800 && code <= 0xDBFF) {
    // A character beyond the first 65536 comes as a pair of escapes.
    if (Get() != '\\' || Get() != 'u') Fail("a lone surrogate escape in a string");
    const unsigned low = ReadHex4();
    if (low < 0xDC00 || low > 0xDFFF) Fail("a lone surrogate escape in a string");
    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
  } else if (code >= 0xDC00 && code <= 0xDFFF) {
    Fail("a lone surrogate escape in a string");
  }
  AppendUtf8(text_, code);
}

unsigned JsonPullParser::ReadHex4() {
  unsigned code = 0;
  for (int i = 0; i < 4; ++i) {
    const int c = Get();
    unsigned digit;
    if (IsDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      Fail("a \\u escape needs four hexadecimal digits");
    }
    code = code * 16 + digit;
  }
  return code;
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
void JsonPullParser::ReadNumber() {
  text_.clear();
  const auto take = [&] { text_ += static_cast<char>(Get()); };
  const auto digits = [&] {
    if (!IsDigit(Peek())) Fail("a number lacks a digit");
    while (IsDigit(Peek())) take();
  };
  if (Peek() == '-') take();
  if (Peek() == '0') {
    take();
  } else {
    digits();
  }
  if (Peek() == '.') {
    take();
    digits();
  }
  if (Peek() == 'e' || Peek() == 'E') {
    take();
    if (Peek() == '+' || Peek() == '-') take();
    digits();
  }
}

void JsonPullParser::ReadLiteral(const char* rest) {
  for (const char* c = rest; *c != '\0'; ++c) {
    if (Get() != *c) Fail("expected a value");
  }
}

bool JsonPullParser::NextPlainPair(std::string_view first, std::string_view second,
                                   std::string* firstText, std::string* secondText) {
  if (open_.empty() || open_.back() != '[' ||
      (state_ != State::kAfterValue && state_ != State::kFirstItem && state_ != State::kValue)) {
    return false;
  }
  const char* p = block_.data() + position_;
  const char* const end = block_.data() + size_;
  const auto space = [&] {
    while (p < end && IsSpace(*p)) ++p;
  };
  const auto expect = [&](char c) {
    space();
    if (p == end || *p != c) return false;
    ++p;
    return true;
  };
  // A string without escapes or control characters: its bytes as they are.
  const auto plain = [&](std::string_view* text) {
    if (!expect('"')) return false;
    const char* start = p;
    while (p < end && *p != '"' && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20) ++p;
    if (p == end || *p != '"') return false;
    *text = std::string_view(start, static_cast<std::size_t>(p - start));
    ++p;
    return true;
  };
  if (state_ == State::kAfterValue && !expect(',')) return false;
  std::string_view key;
  std::string_view a;
  std::string_view b;
  if (!expect('{') || !plain(&key) || key != first || !expect(':') || !plain(&a) ||
      !expect(',') || !plain(&key) || key != second || !expect(':') || !plain(&b) ||
      !expect('}')) {
    return false;
  }
  firstText->assign(a);
  secondText->assign(b);
  position_ = static_cast<std::size_t>(p - block_.data());
  state_ = State::kAfterValue;
  return true;
}

void JsonPullParser::SkipValue() {
  std::size_t depth = 0;
  do {
    switch (Next()) {
      case Event::kObjectStart:
      case Event::kArrayStart:
        ++depth;
        break;
      case Event::kObjectEnd:
      case Event::kArrayEnd:
        --depth;
        break;
      case Event::kEnd:
        Fail("the text ends where a value should be");
      default:
        break;
    }
  } while (depth > 0);
}

}  // namespace kuv::tool
