// Shared by the editing tests: an attached library over a fake platform
// with a template filled through the model, and a compact text of an
// object's content tree that shows rows, which the written document does
// not.
#ifndef KUV_TESTS_API_EDITING_FIXTURE_H_
#define KUV_TESTS_API_EDITING_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "model/business_object.h"
#include "support/fake_platform.h"

namespace kuv::testing {

class EditingTest : public ::testing::Test {
 protected:
  // Attached as if a template had been read; tests fill the template
  // store themselves.
  EditingTest() { CurrentState()->TEST_SetAttached(true); }
  ~EditingTest() override { std::filesystem::remove(savedPath_); }

  // Saves the data store with KuvSave to a scratch file of the test's own
  // and gives back the file's bytes.
  std::string Saved() {
    char* message = nullptr;
    EXPECT_EQ(KuvSave(savedPath_.string().c_str(), &message), 1) << (message ? message : "");
    std::ifstream in(savedPath_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  const std::filesystem::path& savedPath() const { return savedPath_; }

  LibraryState& state() { return *CurrentState(); }
  CBusinessObject* DataObject(int i) { return state().dataStore().GetAt(i); }

  // A template entry with this ID and the given definitions.
  CBusinessObject* AddTemplate(const std::string& id,
                               std::vector<std::pair<std::string, std::string>> tableDefs,
                               std::vector<std::pair<std::string, std::string>> fieldDefs) {
    CBusinessObject* entry = state().TEST_templateStore().Append(id);
    for (auto& [table, parent] : tableDefs) entry->SetTableDef(table, parent);
    for (auto& [key, definition] : fieldDefs) entry->SetFieldDef(key, definition);
    return entry;
  }

  // Definitions where A and Z are top-level tables, B and C hang under A
  // and D under B; A has fields a1 and a2, the others one field each.
  CBusinessObject* AddPlacementTemplate(const std::string& id) {
    return AddTemplate(id, {{"A", ""}, {"Z", ""}, {"B", "A"}, {"C", "A"}, {"D", "B"}},
                       {{"A\ta1", "m\tfloat"},
                        {"A\ta2", "m\tfloat"},
                        {"B\tb1", "\tstring"},
                        {"C\tc1", "\t"},
                        {"D\td1", "\t"},
                        {"Z\tz1", "\t"}});
  }

  FakePlatform platform;
  LoadedLibrary library{platform};

 private:
  std::filesystem::path savedPath_ =
      std::filesystem::temp_directory_path() /
      ("kuv_editing_" + std::to_string(std::random_device{}()) + ".kuv");
};

// "A(a1=1 a2=2 B(b1=3))(a1=4) Z(z1=5)": each table is its name followed by
// its rows in parentheses; a row lists its values, then its child tables.
inline std::string TreeText(const CBusinessObject& object) {
  // Pending pieces: a table still to expand, or a text to emit.
  std::vector<std::pair<const CTableNode*, std::string>> pending;
  for (auto it = object.tables().rbegin(); it != object.tables().rend(); ++it) {
    pending.emplace_back(it->get(), "");
    if (it + 1 != object.tables().rend()) pending.emplace_back(nullptr, " ");
  }
  std::string text;
  while (!pending.empty()) {
    auto [table, piece] = std::move(pending.back());
    pending.pop_back();
    if (table == nullptr) {
      text += piece;
      continue;
    }
    std::vector<std::pair<const CTableNode*, std::string>> pieces{{nullptr, table->name()}};
    for (const auto& row : table->rows()) {
      std::string values = "(";
      for (const CValueNode& value : row->values()) {
        if (values.size() > 1) values += ' ';
        values += row->FieldOf(value) + "=" + std::string(value.value());
      }
      pieces.emplace_back(nullptr, values);
      for (const auto& child : row->childTables()) {
        pieces.emplace_back(nullptr, " ");
        pieces.emplace_back(child.get(), "");
      }
      pieces.emplace_back(nullptr, ")");
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) pending.push_back(std::move(*it));
  }
  return text;
}

}  // namespace kuv::testing

#endif  // KUV_TESTS_API_EDITING_FIXTURE_H_
