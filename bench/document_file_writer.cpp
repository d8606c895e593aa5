#include "document_file_writer.h"

#include <map>

namespace kuv_bench {
namespace {

constexpr std::size_t kFlushSize = 4 << 20;

}  // namespace

DocumentFileWriter::DocumentFileWriter(const std::string& path, std::string_view rootVersion)
    : file_(std::fopen(path.c_str(), "wb")) {
  buffer_.reserve(kFlushSize + 4096);
  Append("<?xml version='1.0'?>\n<KUV Version='");
  Append(rootVersion);
  Append("'>\n");
}

DocumentFileWriter::~DocumentFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void DocumentFileWriter::BeginObject(const ObjectDescription& object) {
  ++counts_.objects;
  Append("<BusinessObject ID='");
  Append(object.id);
  Append("' Author='");
  Append(object.author);
  Append("' Version='");
  Append(object.version);
  Append("' WellID='");
  Append(object.wellId);
  Append("' Date='");
  Append(object.date);
  Append("'>\n<DataDescription>\n");

  // The library keeps definitions in maps ordered by key bytes and writes
  // them in that order; so do we.
  std::map<std::string, std::string> tables;
  for (const TableDef& def : object.tables) tables[def.table] = def.parent;
  std::map<std::string, const FieldDef*> fields;
  for (const FieldDef& def : object.fields) fields.emplace(def.table + '\t' + def.field, &def);
  for (const auto& [table, parent] : tables) {
    Append("<TableDef Table='");
    Append(table);
    if (!parent.empty()) {
      Append("' Parent='");
      Append(parent);
    }
    Append("'/>\n");
  }
  for (const auto& entry : fields) {
    const FieldDef& def = *entry.second;
    Append("<FieldDef Table='");
    Append(def.table);
    Append("' Field='");
    Append(def.field);
    Append("' Unit='");
    Append(def.unit);
    Append("' Type='");
    Append(def.type);
    Append("'/>\n");
  }
  Append("</DataDescription>\n");
  FlushIfFull();
}

void DocumentFileWriter::OpenTable(std::string_view table) {
  ++counts_.tables;
  Append("<");
  Append(table);
  Append(">\n");
}

void DocumentFileWriter::PutValue(std::string_view, std::string_view field, std::string_view text) {
  ++counts_.values;
  Append("<");
  Append(field);
  Append(">");
  Append(text);
  Append("</");
  Append(field);
  Append(">\n");
  FlushIfFull();
}

void DocumentFileWriter::CloseTable(std::string_view table) {
  Append("</");
  Append(table);
  Append(">\n");
}

void DocumentFileWriter::EndObject() {
  Append("</BusinessObject>\n");
  FlushIfFull();
}

void DocumentFileWriter::FlushIfFull() {
  if (buffer_.size() >= kFlushSize) Flush();
}

void DocumentFileWriter::Flush() {
  counts_.bytes += static_cast<std::int64_t>(buffer_.size());
  if (file_ == nullptr || std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
}

bool DocumentFileWriter::Finish() {
  Append("</KUV>\n");
  Flush();
  if (file_ != nullptr) {
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
  } else {
    failed_ = true;
  }
  return !failed_;
}

}  // namespace kuv_bench
