// Values that stand for "no value" in frames, as pandas.read_csv's
// na_values: for every column, or for the columns of named fields.
#ifndef KUV_PYTHON_MISSING_VALUES_H_
#define KUV_PYTHON_MISSING_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kuv::python {

// Texts, compared with a cell's text as it is and without the blanks
// around it, and numbers, compared with the values of float and integer
// cells once converted.
struct MissingValues {
  std::vector<std::string> texts;
  std::vector<double> numbers;

  bool empty() const { return texts.empty() && numbers.empty(); }
  bool MatchesText(std::string_view cell) const;
  bool MatchesNumber(double number) const;
  bool MatchesInteger(std::int64_t integer) const;
};

struct MissingRules {
  MissingValues every_column;
  struct ForField {
    std::string field;
    int occurrence = -1;  // -1: every column of the field
    MissingValues values;
  };
  std::vector<ForField> fields;

  // What is missing in the column of a field's n-th value; null for none.
  const MissingValues* For(std::string_view field, int occurrence) const;
};

}  // namespace kuv::python

#endif  // KUV_PYTHON_MISSING_VALUES_H_
