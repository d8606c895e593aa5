#include "diff_report.h"

#include <cstdio>
#include <optional>

#include "json_text.h"
#include "terminal_text.h"
#include "tool_error.h"

namespace kuv::tool {

// The changes that each part can have, for the summary.
struct DiffReport::PartCounts {
  DiffPart part;
  const char* text;  // its name in the text summary
  const char* json;  // and in JSON
  bool added;
  bool removed;
  bool changed;
};

namespace {

constexpr DiffReport::PartCounts kParts[] = {
    {DiffPart::kObject, "objects", "objects", true, true, false},
    {DiffPart::kHeader, "headers", "headers", false, false, true},
    {DiffPart::kTableDefinition, "table definitions", "tableDefinitions", true, true, true},
    {DiffPart::kFieldDefinition, "field definitions", "fieldDefinitions", true, true, true},
    {DiffPart::kTable, "tables", "tables", true, true, false},
    {DiffPart::kRow, "rows", "rows", true, true, false},
    {DiffPart::kValue, "values", "values", true, true, true},
};

}  // namespace

DiffReport::DiffReport(std::ostream& out, DiffFormat format, bool summaryOnly, Encoding encoding,
                       const std::string& before, const std::string& after)
    : out_(out), format_(format), summaryOnly_(summaryOnly), encoding_(encoding) {
  if (format_ != DiffFormat::kJson) return;
  line_ = "{\"format\": \"kuv-diff\", \"before\": ";
  AppendJsonString(DecodeForDisplay(before, Encoding::kUtf8), &line_);
  line_ += ", \"after\": ";
  AppendJsonString(DecodeForDisplay(after, Encoding::kUtf8), &line_);
  if (!summaryOnly_) line_ += ", \"differences\": [";
  out_ << line_;
}

std::string DiffReport::Text(const std::string& bytes) const {
  return bytes.empty() ? "\"\"" : TerminalText(bytes, encoding_);
}

std::string DiffReport::Json(const std::string& bytes) const {
  const std::optional<std::string> text = DecodeText(bytes, encoding_);
  if (!text) {
    throw DataError("a text is not valid UTF-8; choose the documents' encoding with --encoding");
  }
  std::string json;
  AppendJsonString(*text, &json);
  return json;
}

void DiffReport::Add(const Difference& difference) {
  ++counts_[static_cast<std::size_t>(difference.part)][static_cast<std::size_t>(difference.change)];
  ++total_;
  if (summaryOnly_) return;
  if (format_ == DiffFormat::kJson) {
    WriteJson(difference);
  } else {
    WriteText(difference);
  }
}

void DiffReport::WriteText(const Difference& d) {
  const bool changed = d.change == DiffChange::kChanged;
  const std::string before = d.before ? Text(*d.before) : "";
  const std::string after = d.after ? Text(*d.after) : "";
  const std::string& only = d.change == DiffChange::kAdded ? after : before;
  const std::string change = before + " \u2192 " + after;

  line_ = d.change == DiffChange::kAdded ? "+ " : d.change == DiffChange::kRemoved ? "- " : "~ ";
  line_ += Text(d.object);
  if (d.objectNumber > 1) line_ += "#" + std::to_string(d.objectNumber);
  switch (d.part) {
    case DiffPart::kObject:
      line_ += ": object";
      break;
    case DiffPart::kHeader:
      line_ += ": " + d.attribute + ": " + change;
      break;
    case DiffPart::kTableDefinition:
      line_ += ": TableDef " + Text(d.table);
      line_ += changed ? ": " + d.attribute + ": " + change : " (" + only + ")";
      break;
    case DiffPart::kFieldDefinition:
      line_ += ": FieldDef " + Text(d.table) + "." + Text(d.field);
      line_ += changed ? ": " + d.attribute + ": " + change : " (" + only + ")";
      break;
    case DiffPart::kTable:
      line_ += " / " + (d.row.empty() ? "" : Text(d.row) + "/") + Text(d.table) + ": table (" +
               only + ")";
      break;
    case DiffPart::kRow:
      line_ += " / " + Text(d.row) + ": row (" + only + ")";
      break;
    case DiffPart::kValue:
      line_ += " / " + Text(d.row) + " / " + Text(d.field);
      if (d.occurrence > 0) line_ += "#" + std::to_string(d.occurrence + 1);
      line_ += ": " + (changed ? change : only);
      break;
  }
  line_ += '\n';
  out_ << line_;
}

void DiffReport::WriteJson(const Difference& d) {
  line_ = total_ == 1 ? "\n  " : ",\n  ";
  line_ += "{\"part\": \"";
  line_ += NameOf(d.part);
  line_ += "\", \"change\": \"";
  line_ += NameOf(d.change);
  line_ += "\", \"object\": " + Json(d.object);
  line_ += ", \"objectNumber\": " + std::to_string(d.objectNumber);
  line_ += ", \"table\": " + Json(d.table);
  line_ += ", \"row\": " + Json(d.row);
  const auto rowId = [](std::int64_t id) {
    return id < 0 ? std::string("null") : std::to_string(id);
  };
  line_ += ", \"beforeRow\": " + rowId(d.beforeRow);
  line_ += ", \"afterRow\": " + rowId(d.afterRow);
  line_ += ", \"field\": " + Json(d.field);
  line_ += ", \"occurrence\": " + std::to_string(d.occurrence);
  line_ += ", \"attribute\": " + Json(d.attribute);
  line_ += ", \"before\": " + (d.before ? Json(*d.before) : "null");
  line_ += ", \"after\": " + (d.after ? Json(*d.after) : "null");
  line_ += '}';
  out_ << line_;
}

void DiffReport::Finish() {
  if (format_ == DiffFormat::kJson) {
    line_ = summaryOnly_ ? "" : total_ == 0 ? "]" : "\n]";
    line_ += ", \"same\": ";
    line_ += same() ? "true" : "false";
    line_ += ", \"summary\": {";
    for (const DiffReport::PartCounts& part : kParts) {
      if (part.part != DiffPart::kObject) line_ += ", ";
      line_ += "\"" + std::string(part.json) + "\": {" + CountsOf(part, true) + "}";
    }
    line_ += "}}\n";
    out_ << line_;
  } else if (summaryOnly_) {
    for (const DiffReport::PartCounts& part : kParts) {
      out_ << part.text << ": " << CountsOf(part, false) << "\n";
    }
  }
  out_.flush();
}

std::string DiffReport::CountsOf(const PartCounts& part, bool json) const {
  const std::array<long long, 3>& count = counts_[static_cast<std::size_t>(part.part)];
  const std::pair<bool, DiffChange> changes[] = {{part.added, DiffChange::kAdded},
                                                 {part.removed, DiffChange::kRemoved},
                                                 {part.changed, DiffChange::kChanged}};
  std::string text;
  for (const auto& [applies, change] : changes) {
    if (!applies) continue;
    if (!text.empty()) text += ", ";
    const std::string number = std::to_string(count[static_cast<std::size_t>(change)]);
    text +=
        json ? "\"" + std::string(NameOf(change)) + "\": " + number : number + " " + NameOf(change);
  }
  return text;
}

}  // namespace kuv::tool
