#include "view_page.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "json_text.h"
#include "kuv/values.hpp"
#include "plot_path.h"
#include "plot_reduction.h"
#include "strict_check.h"
#include "view_assets.h"
#include "view_tables.h"

namespace kuv::tool {

namespace {

// A cell's number by the library's grammar of its kind; nullopt for a
// missing value, text that is no number of the kind, and other kinds.
std::optional<double> NumberOf(std::string_view cell, ValueKind kind) {
  const TypedValue value = ReadValue(cell, kind);
  if (value.reading != ValueReading::kValue) return std::nullopt;
  if (kind == ValueKind::kFloat) return value.number;
  if (kind == ValueKind::kInteger) return static_cast<double>(value.integer);
  return std::nullopt;
}

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// The page as it is written: text gathers in a buffer that goes to the
// stream whenever it has grown, so that no more than a chunk is held.
class PageWriter {
 public:
  PageWriter(std::ostream& out, Encoding encoding) : out_(out), encoding_(encoding) {
    buffer_.reserve(kFlushAt + 4096);
  }

  void Raw(std::string_view text) {
    buffer_ += text;
    FlushWhenFull();
  }
  // The shortest text that reads back as the same double.
  void Number(double value) {
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    buffer_.append(text, written.ptr);
  }
  void Number(std::size_t value) { buffer_ += std::to_string(value); }
  // A text of the document as a JSON string, decoded for display.
  void Text(std::string_view bytes) {
    if (IsAscii(bytes)) {
      AppendJsonString(bytes, &buffer_, true);
    } else {
      AppendJsonString(DecodeForDisplay(bytes, encoding_), &buffer_, true);
    }
    FlushWhenFull();
  }
  // UTF-8 text as a JSON string.
  void Utf8(std::string_view text) {
    AppendJsonString(text, &buffer_, true);
    FlushWhenFull();
  }
  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;

  static bool IsAscii(std::string_view bytes) {
    unsigned char any = 0;
    for (const char c : bytes) any |= static_cast<unsigned char>(c);
    return any < 0x80;
  }
  void FlushWhenFull() {
    if (buffer_.size() >= kFlushAt) Flush();
  }

  std::ostream& out_;
  Encoding encoding_;
  std::string buffer_;
};

// HTML text outside the JSON: the page's title.
std::string EscapedHtml(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// The value that marks a missing sample in this object: the first number
// in a field NullValue (as a log's run header gives it), else the
// convention of the trade.
double NullValueOf(const std::vector<ViewTable>& tables) {
  for (const ViewTable& table : tables) {
    for (const ViewColumn& column : table.columns) {
      if (column.field != "NullValue") continue;
      for (const std::string_view cell : column.cells) {
        const std::optional<double> value = NumberOf(cell, ValueKind::kFloat);
        if (value && std::isfinite(*value)) return *value;
      }
    }
  }
  return kConventionalNullValue;
}

// A column as the page describes it, with its declaration.
struct ColumnFacts {
  std::string_view unit;
  std::string_view type;
  ValueKind kind = ValueKind::kText;
  bool numeric() const { return kind == ValueKind::kFloat || kind == ValueKind::kInteger; }
};

std::vector<double> NumbersOf(const ViewColumn& column, ValueKind kind, double nullValue) {
  std::vector<double> numbers;
  numbers.reserve(column.cells.size());
  for (const std::string_view cell : column.cells) {
    const std::optional<double> value = IsAbsent(cell) ? std::nullopt : NumberOf(cell, kind);
    const bool drawn = value && std::isfinite(*value) && *value != nullValue;
    numbers.push_back(drawn ? *value : kMissing);
  }
  return numbers;
}

// Resistivities span decades, and logs draw them on a logarithmic scale.
bool IsResistivity(std::string_view unit) {
  std::string lower;
  for (const char c : unit) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("ohm") != std::string::npos;
}

// The plot of a table with two numeric columns or more: the first is the
// depth, each other one a track, whose curve is drawn here; the page
// draws the axes and labels. Nothing when no depth is a number.
void WritePlot(const ViewTable& table, const std::vector<ColumnFacts>& facts, double nullValue,
               PageWriter& page) {
  std::vector<std::size_t> numeric;
  for (std::size_t i = 0; i < facts.size(); ++i) {
    if (facts[i].numeric()) numeric.push_back(i);
  }
  if (numeric.size() < 2) return;
  const std::size_t depthColumn = numeric.front();
  const std::vector<double> depths =
      NumbersOf(table.columns[depthColumn], facts[depthColumn].kind, nullValue);
  const std::optional<DepthAxis> axis = AxisOf(depths, PlotRowsFor(table.rows));
  if (!axis) return;
  page.Raw(",\"plot\":{\"rows\":");
  page.Number(static_cast<std::size_t>(axis->rows));
  page.Raw(",\"top\":");
  page.Number(axis->top);
  page.Raw(",\"bottom\":");
  page.Number(axis->bottom);
  page.Raw(",\"depth\":");
  page.Number(depthColumn);
  page.Raw(",\"tracks\":[");
  for (std::size_t n = 1; n < numeric.size(); ++n) {
    const std::size_t column = numeric[n];
    const TrackPath track =
        TrackPathOf(depths, NumbersOf(table.columns[column], facts[column].kind, nullValue), *axis,
                    IsResistivity(facts[column].unit));
    page.Raw(n == 1 ? "{\"column\":" : ",{\"column\":");
    page.Number(column);
    if (track.least) {
      page.Raw(",\"least\":");
      page.Number(*track.least);
      page.Raw(",\"greatest\":");
      page.Number(*track.greatest);
      if (track.logarithmic) page.Raw(",\"log\":true");
      page.Raw(",\"path\":\"");
      page.Raw(track.path);
      page.Raw("\"");
    }
    page.Raw("}");
  }
  page.Raw("]}");
}

void WriteParents(const ViewTable& table, PageWriter& page) {
  std::vector<std::string_view> names;
  std::vector<std::size_t> which;
  which.reserve(table.parentTable.size());
  for (const std::string_view name : table.parentTable) {
    std::size_t at = 0;
    while (at < names.size() && names[at] != name) ++at;
    if (at == names.size()) names.push_back(name);
    which.push_back(at);
  }
  page.Raw(",\"parents\":{\"tables\":[");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) page.Raw(",");
    page.Text(names[i]);
  }
  page.Raw("]");
  if (names.size() > 1) {
    page.Raw(",\"which\":[");
    for (std::size_t i = 0; i < which.size(); ++i) {
      if (i > 0) page.Raw(",");
      page.Number(which[i]);
    }
    page.Raw("]");
  }
  page.Raw(",\"rows\":[");
  for (std::size_t i = 0; i < table.parentRow.size(); ++i) {
    if (i > 0) page.Raw(",");
    page.Raw(std::to_string(table.parentRow[i]));
  }
  page.Raw("]}");
}

// Writes one table; returns the number of values it holds.
std::size_t WriteTable(const BusinessObject& object, const ViewTable& table,
                       const Template* definitions, double nullValue, PageWriter& page) {
  std::vector<ColumnFacts> facts;
  for (const ViewColumn& column : table.columns) {
    ColumnFacts fact;
    if (const std::optional<FieldDefinition> declared =
            DeclaredField(object, definitions, table.name, column.field)) {
      fact.unit = declared->unit;
      fact.type = declared->type;
      fact.kind = KindOfType(declared->type);
    }
    facts.push_back(fact);
  }
  page.Raw("{\"name\":");
  page.Text(table.name);
  page.Raw(",\"rows\":");
  page.Number(table.rows);
  std::size_t values = 0;
  page.Raw(",\"columns\":[");
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ViewColumn& column = table.columns[i];
    page.Raw(i == 0 ? "{\"field\":" : ",{\"field\":");
    page.Text(column.field);
    page.Raw(",\"occurrence\":");
    page.Number(static_cast<std::size_t>(column.occurrence));
    page.Raw(",\"unit\":");
    page.Text(facts[i].unit);
    page.Raw(",\"type\":");
    page.Text(facts[i].type);
    page.Raw(facts[i].numeric() ? ",\"numeric\":true,\"values\":[" : ",\"values\":[");
    for (std::size_t row = 0; row < column.cells.size(); ++row) {
      if (row > 0) page.Raw(",");
      if (IsAbsent(column.cells[row])) {
        page.Raw("null");
      } else {
        page.Text(column.cells[row]);
        ++values;
      }
    }
    page.Raw("]}");
  }
  page.Raw("]");
  if (!table.parentRow.empty()) WriteParents(table, page);
  WritePlot(table, facts, nullValue, page);
  page.Raw("}");
  return values;
}

// Writes the object's data; appends its entry to the index.
void WriteObject(const BusinessObject& object, std::size_t number, const Template* definitions,
                 PageWriter& page, PageWriter& index) {
  page.Raw("<script type=\"application/json\" id=\"kuv-object-");
  page.Number(number);
  page.Raw("\">{\"definitions\":{\"tables\":[");
  bool first = true;
  for (const TableDefinition& table : object.table_definitions()) {
    page.Raw(first ? "[" : ",[");
    first = false;
    page.Text(table.table);
    page.Raw(",");
    page.Text(table.parent);
    page.Raw("]");
  }
  page.Raw("],\"fields\":[");
  first = true;
  for (const FieldDefinition& field : object.field_definitions()) {
    page.Raw(first ? "[" : ",[");
    first = false;
    page.Text(field.table);
    for (const std::string_view text : {field.field, field.unit, field.type}) {
      page.Raw(",");
      page.Text(text);
    }
    page.Raw("]");
  }
  const std::vector<ViewTable> tables = CollectTables(object);
  const double nullValue = NullValueOf(tables);
  page.Raw("]},\"nullValue\":");
  page.Number(nullValue);
  page.Raw(",\"tables\":[");
  std::size_t values = 0;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (i > 0) page.Raw(",");
    values += WriteTable(object, tables[i], definitions, nullValue, page);
  }
  page.Raw("]}</script>\n");

  index.Raw(number == 0 ? "{\"id\":" : ",{\"id\":");
  index.Text(object.id());
  index.Raw(",\"author\":");
  index.Text(object.author());
  index.Raw(",\"version\":");
  index.Text(object.version());
  index.Raw(",\"wellId\":");
  index.Text(object.well_id());
  index.Raw(",\"date\":");
  index.Text(object.date());
  index.Raw(",\"values\":");
  index.Number(values);
  index.Raw(",\"tables\":[");
  for (std::size_t i = 0; i < tables.size(); ++i) {
    index.Raw(i == 0 ? "{\"name\":" : ",{\"name\":");
    index.Text(tables[i].name);
    index.Raw(",\"rows\":");
    index.Number(tables[i].rows);
    index.Raw("}");
  }
  index.Raw("]}");
}

}  // namespace

void WriteViewPage(std::ostream& out, const Document& document, const ViewSource& source,
                   const Template* definitions, Encoding encoding) {
  PageWriter page(out, encoding);
  page.Raw(
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      // Nothing may be fetched: the page is whole as it stands.
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; script-src 'unsafe-inline'; img-src data:\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"generator\" content=\"kuv view\">\n<title>");
  page.Raw(EscapedHtml(source.name));
  page.Raw(" \xe2\x80\x94 kuv view</title>\n<style>\n");
  page.Raw(kViewStyle);
  page.Raw(
      "</style>\n</head>\n<body>\n"
      "<noscript><p>This page draws its tables with a script: allow scripts to see "
      "them.</p></noscript>\n"
      "<header id=\"kuv-header\"></header>\n<nav id=\"kuv-objects\"></nav>\n"
      "<main id=\"kuv-main\"></main>\n");

  // The index is small; it is written after the objects, once their counts
  // are known, and read first by the script.
  std::string indexText;
  {
    std::ostringstream indexStream;
    PageWriter index(indexStream, encoding);
    index.Raw("<script type=\"application/json\" id=\"kuv-index\">{\"file\":");
    index.Utf8(source.name);
    index.Raw(",\"bytes\":");
    index.Number(static_cast<std::size_t>(source.bytes));
    index.Raw(",\"complete\":");
    index.Raw(document.complete() ? "true" : "false");
    index.Raw(",\"objects\":[");
    std::size_t number = 0;
    for (const BusinessObject object : document.objects()) {
      WriteObject(object, number++, definitions, page, index);
    }
    index.Raw("]}</script>\n");
    index.Flush();
    indexText = indexStream.str();
  }
  page.Raw(indexText);
  page.Raw("<script>\n");
  page.Raw(kViewScript);
  page.Raw("</script>\n</body>\n</html>\n");
  page.Flush();
}

}  // namespace kuv::tool
