// Names in SQL: quoted so that any text is a name, and made unique the way
// SQL compares them (without case, for ASCII letters).
#ifndef KUV_SQLITE_SQL_NAMES_H_
#define KUV_SQLITE_SQL_NAMES_H_

#include <set>
#include <string>
#include <string_view>

namespace kuv::sqlite {

// "name" with its quotes doubled: "a""b".
std::string Quoted(std::string_view name);

// A set of names that tells "Casing" from "casing" no more than SQL does.
class NameSet {
 public:
  // Names of tables: one beginning with "sqlite_", which SQLite keeps for
  // its own, is claimed with a leading "_".
  explicit NameSet(bool tables = false) : tables_(tables) {}

  bool Has(std::string_view name) const;
  void Add(std::string_view name);
  // name itself when it is free, else name_2, name_3...; the result is
  // added.
  std::string Claim(std::string_view name);

 private:
  bool tables_;
  std::set<std::string> folded_;
};

}  // namespace kuv::sqlite

#endif  // KUV_SQLITE_SQL_NAMES_H_
