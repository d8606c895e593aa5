// What a database holds, read with SQLite itself, for tests that check
// what kuv wrote into one.
#ifndef KUV_TESTS_SQLITE_SQLITE_ROWS_H_
#define KUV_TESTS_SQLITE_SQLITE_ROWS_H_

#include <string>
#include <vector>

namespace kuv::testing {

using SqliteRows = std::vector<std::string>;

// Each row of the query's answer as "a|b|c", NULL as "NULL"; a database
// that does not open gives {"cannot open"}, a query SQLite refuses
// {"error: " and its message}.
SqliteRows QueryRows(const std::string& database, const std::string& sql);

}  // namespace kuv::testing

#endif  // KUV_TESTS_SQLITE_SQLITE_ROWS_H_
