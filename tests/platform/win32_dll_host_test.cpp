// kuv.dll as a host that loads it at run time sees it: LoadLibraryA from
// beside the program, each of the 18 functions found by its plain name
// with GetProcAddress and called through a pointer of the type kuv.h
// declares (its calling convention included), on x86 as on x64. And the
// template's registry key as a 32-bit host on 64-bit Windows reads it.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "kuv/kuv.h"
#include "platform/win32_test_support.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::TemplateKeyLease;
using testing::WriteFileBytes;

const std::string kTemplate = std::string(KUV_SOURCE_DIR) + "/examples/Standard.kvt";
const std::string kSample = std::string(KUV_SOURCE_DIR) + "/examples/kestrel3_casing_tops.kuv";

template <typename Function>
Function Find(HMODULE dll, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

// kuv.dll loaded for one test, and freed after it.
class LoadedDll {
 public:
  LoadedDll() : dll_(::LoadLibraryA("kuv.dll")) {}
  ~LoadedDll() {
    if (dll_ != nullptr) ::FreeLibrary(dll_);
  }
  LoadedDll(const LoadedDll&) = delete;
  LoadedDll& operator=(const LoadedDll&) = delete;
  HMODULE get() const { return dll_; }

 private:
  HMODULE dll_;
};

// The 18 functions, each looked up by its name, typed as kuv.h declares it.
#define KUV_BY_NAME(name) decltype(&Kuv##name) name = Find<decltype(&Kuv##name)>(dll, "Kuv" #name)
struct KuvFunctions {
  explicit KuvFunctions(HMODULE dll) : dll(dll) {}
  HMODULE dll;
  KUV_BY_NAME(Attach);
  KUV_BY_NAME(Detach);
  KUV_BY_NAME(Open);
  KUV_BY_NAME(Save);
  KUV_BY_NAME(ObjectList);
  KUV_BY_NAME(ObjectExists);
  KUV_BY_NAME(GetNextObject);
  KUV_BY_NAME(IsParent);
  KUV_BY_NAME(GetFieldDef);
  KUV_BY_NAME(GetNextValue);
  KUV_BY_NAME(CreateObject);
  KUV_BY_NAME(PutObject);
  KUV_BY_NAME(DeleteObject);
  KUV_BY_NAME(CreateTableDef);
  KUV_BY_NAME(CreateFieldDef);
  KUV_BY_NAME(PutValue);
  KUV_BY_NAME(DateToString);
  KUV_BY_NAME(StringToDate);
};
#undef KUV_BY_NAME

// The texts of one object, copied out of the library's slots.
struct Header {
  std::string id, author, version, wellId, date;
};
std::optional<Header> NextObject(const KuvFunctions& kuv) {
  char *id = nullptr, *author = nullptr, *version = nullptr, *wellId = nullptr, *date = nullptr;
  if (kuv.GetNextObject(&id, &author, &version, &wellId, &date) != 1) return std::nullopt;
  return Header{id, author, version, wellId, date};
}

// One value, "table/field=value unit (parent) row".
std::optional<std::string> NextValue(const KuvFunctions& kuv) {
  char *table = nullptr, *field = nullptr, *type = nullptr, *unit = nullptr, *value = nullptr,
       *parent = nullptr;
  int row = -1;
  if (kuv.GetNextValue(&table, &field, &type, &unit, &value, &parent, &row) != 1) {
    return std::nullopt;
  }
  return std::string(table) + "/" + field + "=" + value + " " + unit + " (" + parent + ") " +
         std::to_string(row);
}

TEST(Win32Dll, AHostCallsEachOfTheEighteenFunctionsByName) {
  ScratchFolder folder;
  const std::string sample = folder.File("casing.kuv");
  ASSERT_TRUE(WriteFileBytes(sample, *ReadFileBytes(kSample)));
  TemplateKeyLease lease;  // the DLL reads the key when it is loaded
  TemplateKeyLease::WriteFileName(kTemplate + '\0');

  LoadedDll dll;
  ASSERT_NE(dll.get(), nullptr) << "kuv.dll not found beside the test program, error "
                                << ::GetLastError();
  const KuvFunctions kuv(dll.get());
  char* message = nullptr;
  ASSERT_NE(kuv.Attach, nullptr);
  ASSERT_EQ(kuv.Attach(&message), 1) << (message ? message : "");
  EXPECT_STREQ(message, "");

  ASSERT_NE(kuv.Open, nullptr);
  ASSERT_EQ(kuv.Open(sample.c_str(), &message, 0), 1) << message;
  char** names = nullptr;
  int count = -1;
  ASSERT_NE(kuv.ObjectList, nullptr);
  ASSERT_EQ(kuv.ObjectList(&names, &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(names[0], "CasingStrings");
  EXPECT_STREQ(names[1], "FormationTops");
  ASSERT_NE(kuv.ObjectExists, nullptr);
  EXPECT_EQ(kuv.ObjectExists("FormationTops"), 1);
  EXPECT_EQ(kuv.ObjectExists("formationtops"), 0);

  ASSERT_NE(kuv.GetNextObject, nullptr);
  const auto casing = NextObject(kuv);
  ASSERT_TRUE(casing);
  EXPECT_EQ(casing->id, "CasingStrings");
  EXPECT_EQ(casing->author, "t.aasen");
  EXPECT_EQ(casing->wellId, "KES-3");
  EXPECT_EQ(casing->date, "20240318T14:05:00000");
  ASSERT_NE(kuv.IsParent, nullptr);
  EXPECT_EQ(kuv.IsParent("CementStage", "Casing"), 1);
  EXPECT_EQ(kuv.IsParent("Casing", "CementStage"), 0);
  char *type = nullptr, *unit = nullptr;
  ASSERT_NE(kuv.GetFieldDef, nullptr);
  ASSERT_EQ(kuv.GetFieldDef("CasingStrings", "Casing", "Weight", &type, &unit), 1);
  EXPECT_STREQ(type, "float");
  EXPECT_STREQ(unit, "lb/ft");
  ASSERT_NE(kuv.GetNextValue, nullptr);
  EXPECT_EQ(NextValue(kuv), "Casing/Name=Conductor  () 0");
  EXPECT_EQ(NextValue(kuv), "Casing/OD=30.000 in () 0");

  // A new object, then the header of an existing one rewritten (its tables
  // go) and another removed; saved and read back.
  ASSERT_NE(kuv.CreateObject, nullptr);
  ASSERT_NE(kuv.CreateTableDef, nullptr);
  ASSERT_NE(kuv.CreateFieldDef, nullptr);
  ASSERT_NE(kuv.PutValue, nullptr);
  EXPECT_EQ(kuv.CreateObject("Pipe", "ann", "1", "W-1"), 1);
  EXPECT_EQ(kuv.CreateTableDef("Joint", ""), 1);
  EXPECT_EQ(kuv.CreateFieldDef("Joint", "Length", "m", "float"), 1);
  EXPECT_EQ(kuv.PutValue("Joint", "Length", "12.5"), 1);
  EXPECT_EQ(kuv.PutValue("Joint", "Length", "A<B"), 0);
  ASSERT_NE(kuv.PutObject, nullptr);
  EXPECT_EQ(kuv.PutObject("CasingStrings", "me", "2", "KES-3"), 1);
  ASSERT_NE(kuv.DeleteObject, nullptr);
  EXPECT_EQ(kuv.DeleteObject("FormationTops"), 1);
  EXPECT_EQ(kuv.DeleteObject("FormationTops"), 0);
  const std::string saved = folder.File("saved.kuv");
  ASSERT_NE(kuv.Save, nullptr);
  ASSERT_EQ(kuv.Save(saved.c_str(), &message), 1) << message;

  ASSERT_EQ(kuv.Open(saved.c_str(), &message, 0), 1) << message;
  const auto rewritten = NextObject(kuv);
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(rewritten->id, "CasingStrings");
  EXPECT_EQ(rewritten->author, "me");
  EXPECT_EQ(rewritten->version, "2");
  EXPECT_EQ(NextValue(kuv), std::nullopt);
  const auto built = NextObject(kuv);
  ASSERT_TRUE(built);
  EXPECT_EQ(built->id, "Pipe");
  EXPECT_EQ(NextValue(kuv), "Joint/Length=12.5 m () 0");
  EXPECT_EQ(NextObject(kuv), std::nullopt);

  char* text = nullptr;
  ASSERT_NE(kuv.DateToString, nullptr);
  ASSERT_EQ(kuv.DateToString(2002, 10, 1, 14, 5, &text), 1);
  EXPECT_STREQ(text, "20021001T14:05:00000");
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  ASSERT_NE(kuv.StringToDate, nullptr);
  ASSERT_EQ(kuv.StringToDate("20240318T14:05:00000", &year, &month, &day, &hour, &minute), 1);
  EXPECT_EQ(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day) + " " +
                std::to_string(hour) + ":" + std::to_string(minute),
            "2024-3-18 14:5");
  ASSERT_NE(kuv.Detach, nullptr);
  EXPECT_EQ(kuv.Detach(), 1);
  EXPECT_EQ(kuv.Open(saved.c_str(), &message, 0), 0);  // detached
}

#ifndef _WIN64  // a 64-bit process reads the 64-bit view
// What an installer must know: on 64-bit Windows, a 32-bit host's kuv.dll
// reads the template's key through the registry's 32-bit view
// (WOW6432Node), as the system arranges, and never the 64-bit one.
TEST(Win32Dll, A32BitHostReadsTheTemplateThroughThe32BitRegistryView) {
  BOOL wow64 = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) {
    GTEST_SKIP() << "32-bit Windows has one view of the registry";
  }
  TemplateKeyLease view32(KEY_WOW64_32KEY);
  TemplateKeyLease view64(KEY_WOW64_64KEY);
  TemplateKeyLease::WriteFileName(kTemplate + '\0', KEY_WOW64_32KEY);
  TemplateKeyLease::WriteFileName(std::string("Z:\\no\\such\\Standard.kvt") + '\0',
                                  KEY_WOW64_64KEY);
  ASSERT_EQ(TemplateKeyLease::ReadFileName(), kTemplate + '\0');  // this process's view

  LoadedDll dll;
  ASSERT_NE(dll.get(), nullptr);
  const KuvFunctions kuv(dll.get());
  ASSERT_NE(kuv.Attach, nullptr);
  char* message = nullptr;
  EXPECT_EQ(kuv.Attach(&message), 1) << (message ? message : "");
  kuv.Detach();
}
#endif  // _WIN64

}  // namespace
}  // namespace kuv
#endif  // _WIN32
