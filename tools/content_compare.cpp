#include "content_compare.h"

#include <string_view>

namespace kuv::tool {

namespace {

bool Same(const ContentEvent& a, const ContentEvent& b) {
  return a.step == b.step && a.name == b.name && a.text == b.text;
}

}  // namespace

NextStep StepsOf(const std::vector<ContentItem>& content) {
  return [&content, next = std::size_t{0}](ContentEvent* event) mutable {
    if (next == content.size()) return false;
    const ContentItem& item = content[next++];
    *event = ContentEvent{item.step, item.name, item.text};
    return true;
  };
}

NextStep StepsOf(ContentWalk& walk) {
  return [&walk](ContentEvent* event) { return walk.Next(event); };
}

std::optional<std::string> FirstDifference(const NextStep& expected, const NextStep& actual,
                                           Rows rows) {
  const auto next = [rows](const NextStep& steps, ContentEvent* event) {
    while (steps(event)) {
      if (rows == Rows::kCompared || event->step != ContentStep::kBeginRow) return true;
    }
    return false;
  };
  std::vector<std::string_view> open;  // the tables open in expected
  ContentEvent want;
  ContentEvent got;
  for (;;) {
    const bool hasWant = next(expected, &want);
    const bool hasGot = next(actual, &got);
    if (!hasWant && !hasGot) return std::nullopt;
    if (!hasWant || !hasGot || !Same(want, got)) {
      if (hasWant && want.step == ContentStep::kOpenTable) return std::string(want.name);
      return open.empty() ? std::string() : std::string(open.back());
    }
    if (want.step == ContentStep::kOpenTable) open.push_back(want.name);
    if (want.step == ContentStep::kCloseTable && !open.empty()) open.pop_back();
  }
}

}  // namespace kuv::tool
