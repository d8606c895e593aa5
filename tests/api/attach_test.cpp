#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <regex>
#include <string>

#include "core/version_number.h"
#include "frame/library_state.h"
#include "kuv/kuv.h"
#include "support/fake_platform.h"
#include "support/file_holders.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::NobodyHolds;

using testing::FakePlatform;
using testing::LoadedLibrary;

const std::string kOutdatedMessage =
    "Error : The standard.kvt version is out of date.\nPlease get the newer version from "
    "Brenlow support.: Version number expected to be 3.61 or higher.\nPlace newer version "
    "file into ";

std::string TemplateText(const std::string& version) {
  return "<?xml version='1.0'?>\n<KUV Version='" + version +
         "'>\n"
         "<BusinessObject ID='WellHeader' Author='kuv' Version='1' WellID='' "
         "Date='20240301T08:00:00000'>\n"
         "<DataDescription>\n<TableDef Table='Well'/>\n"
         "<FieldDef Table='Well' Field='KellyBushing' Unit='m' Type='float'/>\n"
         "</DataDescription>\n</BusinessObject>\n</KUV>\n";
}

class Attach : public ::testing::Test {
 protected:
  void TearDown() override { library_.reset(); }

  // Loads the library; the registry must be prepared before.
  void Load() {
    library_.emplace(platform);
    ASSERT_TRUE(library_->loaded());
  }
  void LoadWithRegistryPath(const std::string& path) {
    platform.registryValues["FileName"] = path + std::string(1, '\0');
    Load();
  }
  LibraryState& state() { return *CurrentState(); }

  std::string WriteFile(const std::string& name, const std::string& content) {
    const std::string path = folder_.File(name);
    EXPECT_TRUE(testing::WriteFileBytes(path, content));
    return path;
  }
  std::string WriteTemplate(const std::string& version) {
    return WriteFile("Standard.kvt", TemplateText(version));
  }

  // Attaches and returns the message handed out; checks that it came
  // through slot 0.
  int AttachWith(std::string& message) {
    char* text = nullptr;
    const int result = KuvAttach(&text);
    EXPECT_NE(text, nullptr);
    if (text != nullptr) {
      message = text;
      EXPECT_EQ(text, state().slot(0).data());
    }
    return result;
  }

  FakePlatform platform;
  testing::ScratchFolder folder_;
  std::optional<LoadedLibrary> library_;
};

// ---- Finding the template ------------------------------------------------

TEST_F(Attach, RegistryPathToExistingFileNeedsNoDialogNorRegistryWrite) {
  // The template that ships, as a copy of this test's own: the probe
  // below shuts every other opener out while it looks.
  const std::string path = folder_.File("Standard.kvt");
  std::filesystem::copy_file(std::string(KUV_SOURCE_DIR) + "/examples/Standard.kvt", path);
  LoadWithRegistryPath(path);
  std::string message = "unset";
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_EQ(message, "");
  EXPECT_EQ(platform.dialogCalls, 0);
  EXPECT_EQ(platform.registryWrites, 0);
  EXPECT_TRUE(state().attached());
  EXPECT_GT(state().templateStore().GetCount(), 0);  // the template that ships
  EXPECT_EQ(state().templateStore().version, "3.61'");
  EXPECT_TRUE(NobodyHolds(state().templatePath()));  // the template is not kept open
}

TEST_F(Attach, EmptyPathAsksAndStoresTheAnswerWithItsTerminatingZero) {
  const std::string path = WriteTemplate("3.61");
  Load();
  platform.dialogAnswers = {path};
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_EQ(message, "");
  EXPECT_EQ(platform.dialogCalls, 1);
  EXPECT_EQ(platform.registryWrites, 1);
  EXPECT_EQ(platform.registryValues["FileName"], path + std::string(1, '\0'));
  EXPECT_EQ(state().templatePath(), path);
}

TEST_F(Attach, DeletedTemplateAsksAgain) {
  const std::string gone = WriteFile("old.kvt", TemplateText("3.61"));
  std::filesystem::remove(gone);
  const std::string path = WriteTemplate("3.61");
  LoadWithRegistryPath(gone);
  platform.dialogAnswers = {path};
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_EQ(platform.dialogCalls, 1);
  EXPECT_EQ(state().templatePath(), path);
}

TEST_F(Attach, MissingKeyIsCreatedToStoreTheAnswer) {
  const std::string path = WriteTemplate("3.61");
  Load();
  platform.keyExists = false;
  platform.dialogAnswers = {path};
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_TRUE(platform.keyExists);
  EXPECT_EQ(platform.registryValues["FileName"], path + std::string(1, '\0'));
}

TEST_F(Attach, CancelledDialogLeavesTheLibraryDetached) {
  Load();
  std::string message;
  EXPECT_EQ(AttachWith(message), 0);
  EXPECT_EQ(message, "Template not opened");
  EXPECT_EQ(platform.dialogCalls, 1);
  EXPECT_EQ(platform.registryWrites, 0);
  EXPECT_FALSE(state().attached());
  EXPECT_EQ(state().templatePath(), "");
}

TEST_F(Attach, KeyNeitherOpenedNorCreatedKeepsTheChosenPathForThisProcess) {
  const std::string path = WriteTemplate("3.61");
  Load();
  platform.keyExists = false;
  platform.keyCreatable = false;
  platform.dialogAnswers = {path};
  std::string message;
  EXPECT_EQ(AttachWith(message), 0);
  EXPECT_EQ(message, "Template not opened");
  EXPECT_EQ(platform.registryWrites, 0);
  EXPECT_EQ(state().templatePath(), path);
  EXPECT_EQ(state().templateStore().GetCount(), 0);  // never read
  EXPECT_FALSE(state().attached());

  // The path now names an existing file: the next attempt needs no dialog.
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_EQ(platform.dialogCalls, 1);
}

// ---- Attach, detach and the state left behind ------------------------------

TEST_F(Attach, SecondAttachSaysAlreadyAttachedAndChangesNothing) {
  LoadWithRegistryPath(WriteTemplate("3.61"));
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  ASSERT_EQ(KuvCreateObject("WellHeader", "", "", ""), 1);
  ASSERT_EQ(KuvPutValue("Well", "KellyBushing", "1"), 1);
  ASSERT_EQ(KuvPutValue("Well", "KellyBushing", "2"), 1);
  char* text[6];
  int row = -1;
  ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);

  EXPECT_EQ(AttachWith(message), 0);
  EXPECT_EQ(message, "Already Attached");
  EXPECT_TRUE(state().attached());
  EXPECT_EQ(state().templateStore().GetCount(), 1);
  // The value walk goes on where it was.
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  EXPECT_STREQ(text[4], "2");
  EXPECT_EQ(KuvPutValue("Well", "KellyBushing", "3"), 1);  // and so do values put
  EXPECT_EQ(state().dataStore().GetAt(0)->GetTable(0)->GetRowCount(), 3);
}

TEST_F(Attach, AfterDetachReadsTheTemplateAnewFromTheSamePath) {
  const std::string path = WriteTemplate("3.61");
  Load();
  platform.dialogAnswers = {path};
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  ASSERT_EQ(KuvDetach(), 1);
  EXPECT_EQ(state().templateStore().GetCount(), 0);

  std::string twoKinds = TemplateText("3.62");
  twoKinds.insert(twoKinds.find("</KUV>"),
                  "<BusinessObject ID='WellLog' Author='kuv' Version='1' WellID='' "
                  "Date='20240301T08:00:00000'>\n</BusinessObject>\n");
  WriteFile("Standard.kvt", twoKinds);
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_EQ(platform.dialogCalls, 1);
  EXPECT_EQ(platform.registryWrites, 1);
  EXPECT_EQ(state().templateStore().GetCount(), 2);
  EXPECT_EQ(state().templateStore().version, "3.62'");
}

TEST_F(Attach, NullMessageChangesNothing) {
  Load();
  EXPECT_EQ(KuvAttach(nullptr), 0);
  EXPECT_EQ(platform.dialogCalls, 0);
  EXPECT_FALSE(state().attached());

  platform.dialogAnswers = {WriteTemplate("3.61")};
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  EXPECT_EQ(KuvAttach(nullptr), 0);
  EXPECT_TRUE(state().attached());
}

TEST(AttachUnusable, LibraryThatFailedToLoadWritesNothing) {
  FakePlatform platform;
  platform.keyExists = false;
  platform.keyCreatable = false;
  LoadedLibrary library(platform);
  ASSERT_FALSE(library.loaded());
  char* text = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(KuvAttach(&text), 0);
  EXPECT_EQ(text, reinterpret_cast<char*>(0x1));
}

// ---- Templates that cannot be used -----------------------------------------

TEST_F(Attach, UnopenableTemplateInAFreshProcessReportsTheVersion) {
  const std::string path = WriteTemplate("3.61");
  platform.unopenableInputs = {path};
  LoadWithRegistryPath(path);
  std::string message;
  EXPECT_EQ(AttachWith(message), 0);
  // No template was ever read, so the version text is empty.
  EXPECT_EQ(message, kOutdatedMessage + path);
  EXPECT_FALSE(state().attached());
  EXPECT_EQ(platform.dialogCalls, 0);
}

TEST_F(Attach, UnopenableTemplateAfterAGoodOneReportsTheOpenFailure) {
  const std::string path = WriteTemplate("3.61");
  LoadWithRegistryPath(path);
  std::string message;
  ASSERT_EQ(AttachWith(message), 1);
  ASSERT_EQ(KuvDetach(), 1);
  platform.unopenableInputs = {path};
  EXPECT_EQ(AttachWith(message), 0);
  EXPECT_EQ(message, "Error : Failed to open input file.: " + path);
  EXPECT_FALSE(state().attached());
  EXPECT_EQ(state().templateStore().GetCount(), 0);
}

TEST_F(Attach, ReadErrorAfterAGoodRootKeepsWhatWasRead) {
  std::string cut = TemplateText("3.61");
  cut += "<BusinessObject ID='WellLog' Author='kuv' Version='1' WellID='' Date='2024";
  cut.erase(cut.find("</KUV>"), 7);
  LoadWithRegistryPath(WriteFile("Standard.kvt", cut));
  std::string message;
  EXPECT_EQ(AttachWith(message), 0);
  EXPECT_EQ(message, "Error : Token is invalid.");
  EXPECT_FALSE(state().attached());
  EXPECT_EQ(state().templateStore().GetCount(), 1);
  EXPECT_TRUE(NobodyHolds(state().templatePath()));
}

TEST_F(Attach, RootWithoutKuvInAFreshProcessReportsTheVersion) {
  const std::string path = WriteFile("Standard.kvt", "<?xml version='1.0'?>\n<ROOT>\n</ROOT>\n");
  LoadWithRegistryPath(path);
  std::string message;
  EXPECT_EQ(AttachWith(message), 0);
  EXPECT_EQ(message, kOutdatedMessage + path);
}

TEST_F(Attach, VersionBelowTheThresholdIsRefused) {
  const std::string path = WriteTemplate("3.61");
  LoadWithRegistryPath(path);
  struct Case {
    const char* version;
    bool accepted;
  };
  const Case cases[] = {
      {"3.6", false},    {"2.0", false},   {"3.609", false}, {"v3.61", false}, {"", false},
      {"nan", false},    {"3.61", true},   {"3.62", true},   {" 4", true},     {"10.0", true},
      {"3.61abc", true}, {"+3.7e0", true}, {"3,7", false},  // the comma ends the number: 3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    WriteTemplate(c.version);
    std::string message;
    EXPECT_EQ(AttachWith(message), c.accepted ? 1 : 0);
    EXPECT_EQ(state().attached(), c.accepted);
    EXPECT_EQ(message, c.accepted ? "" : kOutdatedMessage + path);
    // The store stays as far as it was read, refused or not.
    EXPECT_EQ(state().templateStore().GetCount(), 1);
    KuvDetach();
  }
}

TEST_F(Attach, VersionInAProcessingInstructionRootIsTheBareNumber) {
  LoadWithRegistryPath(
      WriteFile("Standard.kvt", "<?xml version='1.0'?>\n<?KUV Version='3.61'?>\n</KUV>\n"));
  std::string message;
  EXPECT_EQ(AttachWith(message), 1);
  EXPECT_EQ(state().templateStore().version, "3.61");
}

// ---- Reading the version number --------------------------------------------

TEST(LeadingNumber, ReadsLikeAtofInTheCLocale) {
  using core::ReadLeadingNumber;
  EXPECT_EQ(ReadLeadingNumber("3.61'"), 3.61);
  EXPECT_EQ(ReadLeadingNumber("3.61"), 3.61);
  EXPECT_EQ(ReadLeadingNumber(" \t\n\v\f\r3.61"), 3.61);
  EXPECT_EQ(ReadLeadingNumber("+3.61"), 3.61);
  EXPECT_EQ(ReadLeadingNumber("-3.61"), -3.61);
  EXPECT_EQ(ReadLeadingNumber(".5x"), 0.5);
  EXPECT_EQ(ReadLeadingNumber("7."), 7.0);
  EXPECT_EQ(ReadLeadingNumber("361e-2"), 3.61);
  EXPECT_EQ(ReadLeadingNumber("1e"), 1.0);
  EXPECT_EQ(ReadLeadingNumber("1e+"), 1.0);
  EXPECT_EQ(ReadLeadingNumber("3,61"), 3.0);
}

TEST(LeadingNumber, NoNumberGivesZero) {
  using core::ReadLeadingNumber;
  EXPECT_EQ(ReadLeadingNumber(""), 0.0);
  EXPECT_EQ(ReadLeadingNumber("   "), 0.0);
  EXPECT_EQ(ReadLeadingNumber("."), 0.0);
  EXPECT_EQ(ReadLeadingNumber("+"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("+-3"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("--3"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("'3.61'"), 0.0);
  EXPECT_EQ(ReadLeadingNumber(std::string("\0"
                                          "3.61",
                                          5)),
            0.0);
}

TEST(LeadingNumber, ReadsHexadecimalInfinityAndNan) {
  using core::ReadLeadingNumber;
  EXPECT_EQ(ReadLeadingNumber("0x1p2"), 4.0);
  EXPECT_EQ(ReadLeadingNumber("-0X1.8"), -1.5);
  EXPECT_EQ(ReadLeadingNumber("0x.8p1'"), 1.0);
  EXPECT_EQ(ReadLeadingNumber("0x"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("0xg"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("0x-1"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("inf"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber("-Infinity'"), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(ReadLeadingNumber("NaN(1)")));
  EXPECT_TRUE(std::isnan(ReadLeadingNumber("nan")));
}

TEST(LeadingNumber, OutOfRangeGivesInfinityOrZero) {
  using core::ReadLeadingNumber;
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ReadLeadingNumber("1e999"), inf);
  EXPECT_EQ(ReadLeadingNumber("-1e999"), -inf);
  EXPECT_EQ(ReadLeadingNumber("0.0001e313"), inf);
  EXPECT_EQ(ReadLeadingNumber("1000e-999"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("0.000001e-400"), 0.0);
  EXPECT_EQ(ReadLeadingNumber("1e99999999999999999999"), inf);
  EXPECT_EQ(ReadLeadingNumber("0x1p99999"), inf);
  EXPECT_EQ(ReadLeadingNumber("0x0.01p-1070"), 0.0);
  EXPECT_EQ(ReadLeadingNumber(std::string(400, '9')), inf);
}

#ifdef _WIN32
// Windows' C runtime gathers an exponent in an int that silently wraps, so
// that "1e-0900000000000" reads as infinity there; such texts are left out
// of the comparison on Windows (the out of range cases are checked above).
bool HasAnExponentTooLongForWindowsAtof(const std::string& text) {
  static const std::regex kLongExponent("[eE][+-]?[0-9]{9,}");
  return std::regex_search(text, kLongExponent);
}
#endif

// Random texts built from the characters that matter to a number, read by
// both; the process runs in the "C" locale here.
TEST(LeadingNumber, AgreesWithAtofInTheCLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "C");
#ifdef _WIN32
  // Windows' C runtime reads neither hexadecimal numbers nor the spellings
  // of infinity and NaN, so there the comparison keeps to plain decimals;
  // those forms are checked on their own above.
  const char* const kAlphabets[] = {"0123456789.eE+- '", "0000001239.e-+",
                                    "00000000000123456789999.e-"};
#else
  const char* const kAlphabets[] = {"0123456789.eE+-xXpPaAfFinINtyY '", "0000001239.e-+xp",
                                    "00000000000123456789999.e-"};
#endif
  std::mt19937 random(20240315);
  int mismatches = 0;
  for (const char* alphabet : kAlphabets) {
    const std::size_t size = std::strlen(alphabet);
    for (int i = 0; i < 20000 && mismatches < 10; ++i) {
      std::string text;
      const std::size_t length = random() % 40;
      for (std::size_t j = 0; j < length; ++j) text += alphabet[random() % size];
#ifdef _WIN32
      if (HasAnExponentTooLongForWindowsAtof(text)) continue;
#endif
      const double expected = std::atof(text.c_str());
      const double read = core::ReadLeadingNumber(text);
      const bool same = std::isnan(expected)
                            ? std::isnan(read)
                            : read == expected && std::signbit(read) == std::signbit(expected);
      if (!same) {
        ++mismatches;
        ADD_FAILURE() << "[" << text << "] atof " << expected << ", read " << read;
      }
    }
  }
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(LeadingNumber, TemplateVersionTest) {
  using core::IsTemplateVersionCurrent;
  EXPECT_TRUE(IsTemplateVersionCurrent("3.61'"));
  EXPECT_TRUE(IsTemplateVersionCurrent("inf"));
  EXPECT_TRUE(IsTemplateVersionCurrent("1e999"));
  EXPECT_FALSE(IsTemplateVersionCurrent("3.6099999"));
  EXPECT_FALSE(IsTemplateVersionCurrent("-inf"));
  EXPECT_FALSE(IsTemplateVersionCurrent("nan"));
  EXPECT_FALSE(IsTemplateVersionCurrent(""));
}

// A host running in a locale whose decimal mark is a comma still reads the
// template's "3.61" as 3.61.
TEST_F(Attach, DecimalCommaLocaleDoesNotChangeTheVersion) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const char* const commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8",
                                      "nl_NL.UTF-8"};
  const char* chosen = nullptr;
  for (const char* name : commaLocales) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";

  EXPECT_EQ(core::ReadLeadingNumber("3.61'"), 3.61);
  LoadWithRegistryPath(WriteTemplate("3.61"));
  std::string message;
  EXPECT_EQ(AttachWith(message), 1);
  std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace
}  // namespace kuv
