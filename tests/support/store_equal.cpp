#include "support/store_equal.h"

#include <utility>
#include <vector>

namespace kuv::testing {

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

template <typename Map>
std::string DescribeMapDifference(const char* what, const Map& expected, const Map& actual) {
  if (expected.size() != actual.size()) {
    return std::string(what) + ": " + std::to_string(expected.size()) + " entries expected, " +
           std::to_string(actual.size()) + " found";
  }
  auto a = actual.begin();
  for (auto e = expected.begin(); e != expected.end(); ++e, ++a) {
    if (e->first != a->first || e->second != a->second) {
      return std::string(what) + ": expected " + Quoted(e->first) + " -> " + Quoted(e->second) +
             ", found " + Quoted(a->first) + " -> " + Quoted(a->second);
    }
  }
  return {};
}

// The difference between two rows, without saying where they stand.
std::string DescribeRowDifference(const CRowNode& expected, const CRowNode& actual) {
  if (expected.values().size() != actual.values().size()) {
    return std::to_string(expected.values().size()) + " values expected, " +
           std::to_string(actual.values().size()) + " found";
  }
  for (std::size_t i = 0; i < expected.values().size(); ++i) {
    const CValueNode& e = expected.values()[i];
    const CValueNode& a = actual.values()[i];
    if (expected.FieldOf(e) != actual.FieldOf(a) || e.value() != a.value()) {
      return "value " + std::to_string(i) + ": expected " + Quoted(expected.FieldOf(e)) + "=" +
             Quoted(std::string(e.value())) + ", found " + Quoted(actual.FieldOf(a)) + "=" +
             Quoted(std::string(a.value()));
    }
  }
  if (expected.childTables().size() != actual.childTables().size()) {
    return std::to_string(expected.childTables().size()) + " child tables expected, " +
           std::to_string(actual.childTables().size()) + " found";
  }
  return {};
}

// Walks two table lists side by side with an explicit stack. Positions
// are kept as numbers and spelled out only for a difference, so that deep
// trees cost no more than wide ones.
std::string DescribeTablesDifference(const std::string& where,
                                     const std::vector<Owned<CTableNode>>& expected,
                                     const std::vector<Owned<CTableNode>>& actual) {
  if (expected.size() != actual.size()) {
    return where + ": " + std::to_string(expected.size()) + " tables expected, " +
           std::to_string(actual.size()) + " found";
  }
  struct Pending {
    const CTableNode* expected;
    const CTableNode* actual;
    std::size_t depth;
  };
  std::vector<Pending> pending;
  for (std::size_t i = expected.size(); i-- > 0;) {
    pending.push_back({expected[i].get(), actual[i].get(), 0});
  }
  while (!pending.empty()) {
    const Pending p = pending.back();
    pending.pop_back();
    auto table = [&] {
      return where + ", table " + Quoted(p.expected->name()) + " at depth " +
             std::to_string(p.depth);
    };
    if (p.expected->name() != p.actual->name()) {
      return table() + ": found the name " + Quoted(p.actual->name());
    }
    const auto& eRows = p.expected->rows();
    const auto& aRows = p.actual->rows();
    if (eRows.size() != aRows.size()) {
      return table() + ": " + std::to_string(eRows.size()) + " rows expected, " +
             std::to_string(aRows.size()) + " found";
    }
    for (std::size_t r = eRows.size(); r-- > 0;) {
      std::string difference = DescribeRowDifference(*eRows[r], *aRows[r]);
      if (!difference.empty()) return table() + " row " + std::to_string(r) + ": " + difference;
      const auto& eChildren = eRows[r]->childTables();
      for (std::size_t c = eChildren.size(); c-- > 0;) {
        pending.push_back({eChildren[c].get(), aRows[r]->childTables()[c].get(), p.depth + 1});
      }
    }
  }
  return {};
}

}  // namespace

std::string DescribeStoreDifference(const CObjectStore& expected, const CObjectStore& actual) {
  if (expected.GetCount() != actual.GetCount()) {
    return std::to_string(expected.GetCount()) + " business objects expected, " +
           std::to_string(actual.GetCount()) + " found";
  }
  for (int i = 0; i < expected.GetCount(); ++i) {
    const CBusinessObject& e = *expected.GetAt(i);
    const CBusinessObject& a = *actual.GetAt(i);
    const std::string where = "object " + std::to_string(i);
    const std::pair<const std::string*, const std::string*> headers[] = {{&e.id, &a.id},
                                                                         {&e.author, &a.author},
                                                                         {&e.version, &a.version},
                                                                         {&e.wellId, &a.wellId},
                                                                         {&e.date, &a.date}};
    for (const auto& [eText, aText] : headers) {
      if (*eText != *aText) {
        return where + " header: expected " + Quoted(*eText) + ", found " + Quoted(*aText);
      }
    }
    std::string difference =
        DescribeMapDifference((where + " TableDefs").c_str(), e.TableDefs, a.TableDefs);
    if (difference.empty()) {
      difference = DescribeMapDifference((where + " FieldDefs").c_str(), e.FieldDefs, a.FieldDefs);
    }
    if (difference.empty()) difference = DescribeTablesDifference(where, e.tables(), a.tables());
    if (!difference.empty()) return difference;
  }
  return {};
}

}  // namespace kuv::testing
