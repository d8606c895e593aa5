// Shared by the document API's tests: the sample files, and a compact text
// of an object's tree that shows its rows.
#ifndef KUV_TESTS_DOCUMENT_DOCUMENT_TEST_SUPPORT_H_
#define KUV_TESTS_DOCUMENT_DOCUMENT_TEST_SUPPORT_H_

#include <string>
#include <utility>
#include <vector>

#include "kuv/document.hpp"

namespace kuv::testing {

// A saved file is a text file of the system: its lines end in CR LF on
// Windows. Serialize, and reading, use LF everywhere.
inline std::string AsSavedOnThisSystem(const std::string& bytes) {
#ifdef _WIN32
  std::string text;
  for (char c : bytes) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
#else
  return bytes;
#endif
}

// Why call was refused, or "" when it was not: the refusal's reason alone.
template <typename Call>
std::string RefusalOf(Call&& call) {
  try {
    call();
  } catch (const Refusal& refusal) {
    return refusal.why().empty() ? "(no reason)" : refusal.why();
  }
  return "";
}

inline std::string Example(const std::string& name) {
  return std::string(KUV_SOURCE_DIR) + "/examples/" + name;
}

// "A(a1=1 a2=2 B(b1=3))(a1=4) Z(z1=5)": each table is its name followed by
// its rows in parentheses; a row lists its values, then its child tables.
inline std::string TreeText(const BusinessObject& object) {
  // Pieces still to write, last on top: a table to expand, or a text.
  std::vector<std::pair<std::optional<Table>, std::string>> pending;
  const auto tables = object.tables();
  for (std::size_t i = tables.size(); i > 0; --i) {
    pending.emplace_back(tables[i - 1], "");
    if (i > 1) pending.emplace_back(std::nullopt, " ");
  }
  std::string text;
  while (!pending.empty()) {
    auto [table, piece] = std::move(pending.back());
    pending.pop_back();
    if (!table) {
      text += piece;
      continue;
    }
    std::vector<std::pair<std::optional<Table>, std::string>> pieces{
        {std::nullopt, std::string(table->name())}};
    for (const Row row : table->rows()) {
      std::string values = "(";
      for (const Value value : row.values()) {
        if (values.size() > 1) values += ' ';
        values += std::string(value.field) + "=" + std::string(value.text);
      }
      pieces.emplace_back(std::nullopt, values);
      for (const Table child : row.child_tables()) {
        pieces.emplace_back(std::nullopt, " ");
        pieces.emplace_back(child, "");
      }
      pieces.emplace_back(std::nullopt, ")");
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) pending.push_back(std::move(*it));
  }
  return text;
}

}  // namespace kuv::testing

#endif  // KUV_TESTS_DOCUMENT_DOCUMENT_TEST_SUPPORT_H_
