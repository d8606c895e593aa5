#include "sqlite/sql_names.h"

namespace kuv::sqlite {

namespace {

// SQL's own comparison folds ASCII letters only.
std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

}  // namespace

std::string Quoted(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

bool NameSet::Has(std::string_view name) const { return folded_.count(Folded(name)) > 0; }

void NameSet::Add(std::string_view name) { folded_.insert(Folded(name)); }

std::string NameSet::Claim(std::string_view name) {
  std::string base(name);
  // SQLite keeps the names that begin with "sqlite_" for its own tables.
  if (tables_ && Folded(base).rfind("sqlite_", 0) == 0) base.insert(0, "_");
  std::string claimed = base;
  for (int n = 2; Has(claimed); ++n) claimed = base + "_" + std::to_string(n);
  Add(claimed);
  return claimed;
}

}  // namespace kuv::sqlite
