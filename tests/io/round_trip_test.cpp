// A document the writer makes is read back into the same store and written
// again byte for byte, as long as the store keeps to what the format can
// carry: every row of a table begins with the same field, which occurs once
// per row; no nested table is empty; names are tags the reader cannot take
// for anything else; values hold no "<"; attribute texts hold neither an
// apostrophe nor ">" (the first ends a value, the second the tag); field
// keys and definitions hold their TAB; no field is named like its own
// table (its closing tag would close the table). Line breaks of any kind
// come back in every text, whatever line ends the document is written
// with.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "io/load.h"
#include "io/reader.h"
#include "kuv/kuv.h"
#include "model/definitions.h"
#include "support/fake_platform.h"
#include "support/memory_files.h"
#include "support/scratch_folder.h"
#include "support/store_equal.h"

namespace kuv {
namespace {

using testing::DescribeStoreDifference;
using testing::MemoryInput;
using testing::WrittenText;

// Reads text into store; returns the error code.
int ReadText(CObjectStore& store, const std::string& text, std::size_t blockSize = 1 << 16) {
  MemoryInput input(text, blockSize);
  CErrorInfo error;
  io::ReadDocument(store, error, input);
  return error.code;
}

// Random stores that keep to the round-trip conditions above.
class StoreGenerator {
 public:
  explicit StoreGenerator(unsigned seed) : random_(seed) {}

  void Fill(CObjectStore& store) {
    store.version = Pick({"2.0'", "3.61", ""});
    const int objects = Between(0, 3);
    for (int i = 0; i < objects; ++i) FillObject(*store.Append(AttributeText()));
  }

 private:
  static constexpr char kAlphabet[] =
      "abcXYZ019 \t\n\r\"&=/!?<>'\x01\xe9\xff"
      "aeiouAEIOU_-.";

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool OneIn(int n) { return Between(1, n) == 1; }
  std::string Pick(std::initializer_list<const char*> choices) {
    return *(choices.begin() + Between(0, static_cast<int>(choices.size()) - 1));
  }

  std::string RandomText(int minLength, int maxLength, const char* forbidden) {
    std::string text;
    const int length = Between(minLength, maxLength);
    while (static_cast<int>(text.size()) < length) {
      const char c = kAlphabet[Between(0, sizeof kAlphabet - 2)];
      if (std::string_view(forbidden).find(c) != std::string_view::npos) continue;
      text += c;
    }
    return text;
  }

  // Header and definition texts.
  std::string AttributeText() {
    if (OneIn(8)) return "";
    return RandomText(1, 8, "'>");
  }

  // Table and field names.
  std::string Name() {
    for (;;) {
      std::string name = OneIn(10) ? Pick({"DataDescriptio", "A B", "x='y'", "Row ", "\n"})
                                   : RandomText(1, 6, "<>");
      if (name.front() != '/' && name.front() != '!' && name.front() != '?' &&
          name != "DataDescription") {
        return name;
      }
    }
  }

  // Any name but this one.
  std::string NameOtherThan(const std::string& taken) {
    for (;;) {
      std::string name = Name();
      if (name != taken) return name;
    }
  }

  std::string Value() {
    if (OneIn(6)) return Pick({"", "  padded  ", "\n", "two\nlines\n", "a>b", "it's"});
    return RandomText(0, 10, "<");
  }

  void FillObject(CBusinessObject& object) {
    object.author = AttributeText();
    object.version = AttributeText();
    object.wellId = AttributeText();
    object.date = OneIn(2) ? "20021001T14:05:00000" : AttributeText();
    for (int i = Between(0, 3); i > 0; --i) {
      object.SetTableDef(AttributeText(), OneIn(2) ? "" : AttributeText());
    }
    for (int i = Between(0, 4); i > 0; --i) {
      object.SetFieldDef(MakeFieldKey(AttributeText(), AttributeText()),
                         AttributeText() + '\t' + AttributeText());
    }
    for (int i = Between(0, 3); i > 0; --i) FillTableTree(*object.AddTable(Name()));
  }

  // Fills a table and its child tables, three levels at most, through a
  // list of tables still to fill.
  void FillTableTree(CTableNode& top) {
    struct Pending {
      CTableNode* table;
      int level;
    };
    std::vector<Pending> pending{{&top, 0}};
    while (!pending.empty()) {
      const Pending p = pending.back();
      pending.pop_back();
      const std::string delimiter = NameOtherThan(p.table->name());
      std::vector<std::string> others;
      for (int i = Between(0, 3); i > 0; --i) {
        std::string field = NameOtherThan(p.table->name());
        if (field != delimiter) others.push_back(field);
      }
      // Top-level tables may be empty; nested ones must not be.
      const int rows = Between(p.level == 0 ? 0 : 1, 4);
      for (int r = 0; r < rows; ++r) {
        CRowNode* row = p.table->AddRow();
        row->AddValue(delimiter, Value());
        for (int i = others.empty() ? 0 : Between(0, 4); i > 0; --i) {
          row->AddValue(others[Between(0, static_cast<int>(others.size()) - 1)], Value());
        }
        if (p.level < 3 && OneIn(3)) {
          for (int c = Between(1, 2); c > 0; --c) {
            pending.push_back({row->AddChildTable(Name()), p.level + 1});
          }
        }
      }
    }
  }

  std::mt19937 random_;
};

TEST(RoundTrip, RandomStoresComeBackEqualAndWriteTheSameBytes) {
  StoreGenerator generator(20021001);
  for (int round = 0; round < 300; ++round) {
    CObjectStore original;
    generator.Fill(original);
    const auto lineEnd = round % 2 == 0 ? platform::LineEnd::kLf : platform::LineEnd::kCrLf;
    const std::string written = WrittenText(original, lineEnd);

    CObjectStore read;
    // Small reads now and then, so that tags straddle the input's blocks.
    const std::size_t blockSize = round % 4 == 0 ? 1 + round % 13 : 1 << 16;
    ASSERT_EQ(ReadText(read, written, blockSize), kNoError) << "round " << round << "\n" << written;
    ASSERT_EQ(DescribeStoreDifference(original, read), "") << "round " << round << "\n" << written;
    EXPECT_EQ(read.version, "2.0'");
    ASSERT_EQ(WrittenText(read, lineEnd), written) << "round " << round;
  }
}

TEST(RoundTrip, EdgeCasesOfTheLayoutComeBackUnchanged) {
  CObjectStore original;
  CBusinessObject* object = original.Append("x");
  object->date = "20021001T14:05:00000";
  object->SetTableDef("Casing", "");
  object->SetTableDef("Joint", "Casing");
  object->AddTable("Empty");  // an empty top-level table stays empty
  CTableNode* t = object->AddTable("T");
  for (const char* text : {"", " lead and trail ", "\n\tnewline\n", "a>b&'\""}) {
    CRowNode* row = t->AddRow();
    row->AddValue("A", text);
    row->AddValue("B", "b");
    row->AddChildTable("C")->AddRow()->AddValue("X", text);
  }
  original.Append("second")->AddTable("Other")->AddRow()->AddValue("F", "1");

  CObjectStore read;
  ASSERT_EQ(ReadText(read, WrittenText(original)), kNoError);
  EXPECT_EQ(DescribeStoreDifference(original, read), "");
  ASSERT_EQ(read.GetAt(0)->GetTable(0)->GetRowCount(), 0);
}

TEST(RoundTrip, DeepTreeComesBack) {
  constexpr int kDepth = 100000;
  CObjectStore original;
  CTableNode* table = original.Append("deep")->AddTable("T");
  for (int level = 0; level < kDepth; ++level) {
    CRowNode* row = table->AddRow();
    row->AddValue("v", std::to_string(level));
    if (level + 1 < kDepth) table = row->AddChildTable("T");
  }
  const std::string written = WrittenText(original);
  CObjectStore read;
  ASSERT_EQ(ReadText(read, written), kNoError);
  EXPECT_EQ(DescribeStoreDifference(original, read), "");
  EXPECT_TRUE(WrittenText(read) == written);
}

TEST(RoundTrip, SavedFileLoadsBackIntoTheSameStore) {
  testing::FakePlatform platform;
  testing::LoadedLibrary library(platform);
  ASSERT_TRUE(library.loaded());
  testing::ScratchFolder folder;
  LibraryState& state = *CurrentState();
  state.TEST_SetAttached(true);
  StoreGenerator generator(7);
  while (state.dataStore().GetCount() == 0) generator.Fill(state.TEST_dataStore());

  const std::string path = folder.File("saved.kuv");
  char* message = nullptr;
  ASSERT_EQ(KuvSave(path.c_str(), &message), 1);
  CObjectStore loaded;
  CErrorInfo error;
  ASSERT_NE(io::LoadStore(platform, loaded, error, path, platform::Sharing::kShared), nullptr);
  ASSERT_EQ(error.code, kNoError) << error.message;
  EXPECT_EQ(DescribeStoreDifference(state.dataStore(), loaded), "");
  EXPECT_EQ(loaded.version, "2.0'");
}

}  // namespace
}  // namespace kuv
