#include "call_sequence.h"

#include <array>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chunked_input.h"
#include "frame/library_state.h"
#include "fuzz_check.h"
#include "fuzz_environment.h"
#include "io/error_info.h"
#include "io/reader.h"
#include "kuv/kuv.h"
#include "model/object_store.h"
#include "tree_walk.h"

namespace kuv::fuzz {

namespace {

// Names come from small sets so that calls meet each other's objects.
// Table and field names never overlap, and no text holds an apostrophe, a
// "<", "FieldDef" or "TableDef", so that whatever these calls build must
// read back as it was written.
const char* const kIds[] = {"X", "Y", "x", ""};
const char* const kHeaderTexts[] = {"", "kuv", "1.0", "W-1", "two words"};
const char* const kTables[] = {"A", "B", "C", "D", "Z"};
const char* const kParents[] = {"", "A", "B", "C", "D", "Z"};
const char* const kFields[] = {"a1", "a2", "b1", "c1", "d1", "z1"};
const char* const kQueryNames[] = {"", "A", "B", "C", "D", "Z", "Q", "a1", "b1"};
const char* const kUnits[] = {"", "m", "kg", "m\tx"};
const char* const kTypes[] = {"", "STRING", "DOUBLE", "INTEGER"};
const char* const kValues[] = {
    "", "1", "2.5", " padded ", "two\nlines", "tab\there", "it's \"quoted\" & >", "\r\n"};
const int kYears[] = {1899, 1900, 2002, 2500, 2501, -1, INT_MIN, INT_MAX};
const int kDateParts[] = {-1, 0, 1, 12, 13, 23, 24, 31, 32, 59, 60, INT_MAX};
const char* const kDateTexts[] = {
    "20021001T14:05:00000", "", "2002", "99999999T99:99:00000", "20021001T14:05:000000",
    "abcdefghijklmnopqrst"};

constexpr std::size_t kMaxCalls = 4000;
constexpr std::size_t kRawValueMax = 16;
constexpr std::size_t kRawDateMax = 24;

constexpr char kCalls[] = "CPXTFVNELQIGSORDAWZY";

class ByteStream {
 public:
  ByteStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return position_ >= size_; }
  std::uint8_t Next() { return done() ? 0 : data_[position_++]; }
  // An index below count; digits pick their own number.
  std::size_t Index(std::size_t count) {
    std::uint8_t b = Next();
    std::size_t index = (b >= '0' && b <= '9') ? static_cast<std::size_t>(b - '0') : b;
    return index % count;
  }
  template <typename T, std::size_t N>
  const T& Pick(const T (&choices)[N]) {
    return choices[Index(N)];
  }
  // Up to count raw bytes, with the zero byte (which would end a C
  // string) and "<" (which would end a value) replaced.
  std::string Text(std::size_t count) {
    std::string text;
    while (text.size() < count && !done()) {
      char c = static_cast<char>(Next());
      text.push_back(c == '\0' || c == '<' ? '_' : c);
    }
    return text;
  }
  std::string Bytes(std::size_t count) {
    std::string bytes;
    while (bytes.size() < count && !done()) bytes.push_back(static_cast<char>(Next()));
    return bytes;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

std::size_t TotalValues(const CObjectStore& store) {
  std::size_t total = 0;
  for (const auto& object : store.objects()) total += CountValues(*object);
  return total;
}

// A document saved by these calls: what its store held, tree for tree.
struct SavedFile {
  std::string description;
};

class CallSequence {
 public:
  CallSequence(const std::uint8_t* data, std::size_t size, bool onDisk)
      : in_(data, size),
        onDisk_(onDisk),
        environment_(FuzzEnvironment::Get()),
        data1_(environment_.PathOf("data1.kuv")),
        data2_(environment_.PathOf("data2.kuv")),
        missing_(environment_.PathOf("missing-folder/none.kuv")),
        raw_(environment_.PathOf("raw.kuv")) {}

  void Run() {
    environment_.UseDisk(onDisk_);
    for (const std::string* path : {&data1_, &data2_, &raw_}) environment_.RemoveFile(*path);
    Expect(environment_.Reload(environment_.currentTemplatePath()), "the library loads");
    char* message = nullptr;
    Expect(KuvAttach(&message) == 1, "the current template attaches");
    for (std::size_t calls = 0; calls < kMaxCalls && !in_.done(); ++calls) {
      std::uint8_t b = in_.Next();
      if (b == ' ' || b == '\n' || b == '\r' || b == '\t') continue;
      char call = std::strchr(kCalls, b) != nullptr && b != 0 ? static_cast<char>(b)
                                                              : kCalls[b % (sizeof kCalls - 1)];
      // Only a value put leaves the store's total as the put found it.
      if (call != 'V') knownTotal_.reset();
      Step(call);
      CheckHandedOut();
    }
    KuvDetach();
    UnloadLibrary();
    // What a run leaves in memory is gone when it ends, so that each run
    // frees what it allocates and the fuzzer sees no leak to chase.
    for (const std::string* path : {&data1_, &data2_, &raw_}) environment_.RemoveFile(*path);
    environment_.UseDisk(false);
  }

 private:
  static LibraryState* State() { return CurrentState(); }
  static bool Attached() { return State() != nullptr && State()->attached(); }

  void Step(char call) {
    switch (call) {
      case 'C':
        return CreateOrPut(true);
      case 'P':
        return CreateOrPut(false);
      case 'X':
        return Delete();
      case 'T':
        return TableDef();
      case 'F':
        return FieldDef();
      case 'V':
        return PutValue();
      case 'N':
        return NextObject();
      case 'E':
        return NextValue();
      case 'L':
        return ObjectList();
      case 'Q':
        return Exists();
      case 'I':
        return IsParent();
      case 'G':
        return FieldDefLookup();
      case 'S':
        return Save();
      case 'O':
        return Open();
      case 'R':
        return OpenRaw();
      case 'D':
        return Detach();
      case 'A':
        return Attach();
      case 'W':
        return SaveFaults();
      case 'Z':
        return NullArgument();
      case 'Y':
        return Dates();
      default:
        return;
    }
  }

  // ---- Handed-out texts ----------------------------------------------

  // A text stays valid and unchanged until its slot is filled again.
  struct Kept {
    const char* pointer;
    std::string copy;
  };

  void Keep(int slot, const char* text) {
    Expect(text != nullptr, "a handed-out text is never null");
    slots_[static_cast<std::size_t>(slot)] = Kept{text, text};
  }
  void Forget(std::initializer_list<int> slots) {
    for (int slot : slots) slots_[static_cast<std::size_t>(slot)].reset();
  }
  void ForgetEverything() {
    for (auto& slot : slots_) slot.reset();
    names_ = nullptr;
    nameCopies_.clear();
  }

  void CheckHandedOut() {
    for (const auto& slot : slots_) {
      if (!slot) continue;
      Expect(std::strlen(slot->pointer) == slot->copy.size() &&
                 std::memcmp(slot->pointer, slot->copy.data(), slot->copy.size()) == 0,
             "a handed-out text stays unchanged until its slot is filled again");
    }
    if (names_ == nullptr) return;
    for (std::size_t i = 0; i < nameCopies_.size(); ++i) {
      Expect(std::strlen(names_[i]) == nameCopies_[i].size() &&
                 std::memcmp(names_[i], nameCopies_[i].data(), nameCopies_[i].size()) == 0,
             "the object list stays unchanged until the next KuvObjectList");
    }
  }

  // ---- Editing ---------------------------------------------------------

  void CreateOrPut(bool create) {
    const char* id = in_.Pick(kIds);
    const char* author = in_.Pick(kHeaderTexts);
    const char* version = in_.Pick(kHeaderTexts);
    const char* wellId = in_.Pick(kHeaderTexts);
    bool attached = Attached();
    bool existed = attached && State()->dataStore().Find(id) >= 0;
    int result = create ? KuvCreateObject(id, author, version, wellId)
                        : KuvPutObject(id, author, version, wellId);
    bool expected = attached && (create ? !existed : existed);
    Expect(result == (expected ? 1 : 0), create ? "KuvCreateObject succeeds exactly for a new ID"
                                                : "KuvPutObject succeeds exactly for a present ID");
  }

  void Delete() {
    const char* id = in_.Pick(kIds);
    bool attached = Attached();
    int before = attached ? State()->dataStore().GetCount() : 0;
    bool existed = attached && State()->dataStore().Find(id) >= 0;
    int result = KuvDeleteObject(id);
    Expect(result == (existed ? 1 : 0), "KuvDeleteObject succeeds exactly for a present ID");
    if (result == 1) {
      Expect(State()->dataStore().GetCount() == before - 1, "a deletion removes one object");
    }
  }

  void TableDef() {
    const char* table = in_.Pick(kTables);
    const char* parent = in_.Pick(kParents);
    KuvCreateTableDef(table, parent);
  }

  void FieldDef() {
    const char* table = in_.Pick(kTables);
    const char* field = in_.Pick(kFields);
    const char* unit = in_.Pick(kUnits);
    const char* type = in_.Pick(kTypes);
    KuvCreateFieldDef(table, field, unit, type);
  }

  void PutValue() {
    const char* table = in_.Pick(kTables);
    const char* field = in_.Pick(kFields);
    std::uint8_t choice = in_.Next();
    std::string value = choice >= 0x80
                            ? in_.Text(choice % kRawValueMax)
                            : kValues[(choice >= '0' && choice <= '9' ? choice - '0' : choice) %
                                      std::size(kValues)];
    std::size_t before = 0;
    if (Attached()) before = knownTotal_ ? *knownTotal_ : TotalValues(State()->dataStore());
    int result = KuvPutValue(table, field, value.c_str());
    knownTotal_.reset();
    if (Attached()) {
      std::size_t after = TotalValues(State()->dataStore());
      Expect(after == before + static_cast<std::size_t>(result),
             "KuvPutValue adds one value on success and nothing on failure");
      knownTotal_ = after;
    }
  }

  // ---- Queries ---------------------------------------------------------

  void NextObject() {
    char *id = nullptr, *author = nullptr, *version = nullptr, *wellId = nullptr, *date = nullptr;
    Forget({0, 1, 2, 3, 4});
    if (KuvGetNextObject(&id, &author, &version, &wellId, &date) != 1) return;
    Keep(0, id);
    Keep(1, author);
    Keep(2, version);
    Keep(3, wellId);
    Keep(4, date);
  }

  void NextValue() {
    char *table = nullptr, *field = nullptr, *type = nullptr, *unit = nullptr, *value = nullptr,
         *parent = nullptr;
    int row = -1;
    Forget({0, 1, 2, 3, 4, 5});
    if (KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row) != 1) return;
    Keep(0, table);
    Keep(1, field);
    Keep(2, value);
    Keep(3, unit);
    Keep(4, type);
    Keep(5, parent);
    Expect(row >= 0, "row positions count from 0");
  }

  void ObjectList() {
    char** names = nullptr;
    int count = -1;
    names_ = nullptr;
    nameCopies_.clear();
    if (KuvObjectList(&names, &count) != 1) return;
    const CObjectStore& store = State()->dataStore();
    Expect(names != nullptr && count == store.GetCount(), "the object list holds every object");
    for (int i = 0; i < count; ++i) {
      const std::string& id = store.GetAt(i)->id;
      Expect(names[i] != nullptr && std::memcmp(names[i], id.c_str(), id.size() + 1) == 0,
             "the object list holds the IDs in order");
      nameCopies_.emplace_back(names[i]);
    }
    names_ = names;
  }

  void Exists() {
    const char* id = in_.Pick(kIds);
    bool expected = Attached() && State()->dataStore().Find(id) >= 0;
    Expect(KuvObjectExists(id) == (expected ? 1 : 0), "KuvObjectExists finds exactly the IDs held");
  }

  void IsParent() {
    const char* table = in_.Pick(kQueryNames);
    const char* parent = in_.Pick(kQueryNames);
    int result = KuvIsParent(table, parent);
    if (*table == '\0' || *parent == '\0') Expect(result == 0, "KuvIsParent refuses empty names");
  }

  void FieldDefLookup() {
    const char* id = in_.Pick(kIds);
    const char* table = in_.Pick(kQueryNames);
    const char* field = in_.Pick(kQueryNames);
    char *type = nullptr, *unit = nullptr;
    Forget({0, 1});
    if (KuvGetFieldDef(id, table, field, &type, &unit) != 1) return;
    Keep(0, type);
    Keep(1, unit);
  }

  // ---- Files -----------------------------------------------------------

  // Reads bytes as the reader does and expects the store they were saved
  // from, tree for tree: whatever a save lets through reads back as it was.
  void ExpectReadsBack(const std::string& bytes, const std::string& description) {
    // The reader gives the same bytes the same store, so bytes that were
    // read back already need not be read again: sequences save the same
    // store over and over.
    if (readBack_ && bytes == readBack_->bytes && description == readBack_->description) return;
    CObjectStore store;
    CErrorInfo error;
    ChunkedInput input(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), 4096,
                       4096, false);
    io::ReadDocument(store, error, input);
    Expect(error.code == kNoError, "a saved document reads back without error");
    Expect(DescribeContent(store) == description, "a saved document reads back as it was");
    readBack_ = ReadBack{bytes, description};
  }

  // The message of KuvOpen and KuvSave: written on every attached call,
  // empty exactly on success; left alone when not attached.
  void CheckMessage(bool attached, int result, char* message) {
    if (!attached) {
      Expect(result == 0, "a file call fails when not attached");
      Expect(message == nullptr, "a file call leaves the message alone when not attached");
      return;
    }
    Expect(message != nullptr, "an attached file call hands a message out");
    Keep(0, message);
    Expect((result == 1) == (*message == '\0'), "the message is empty exactly on success");
  }

  void Save() {
    const std::string* const targets[] = {&data1_, &data2_, &missing_};
    const std::string& path = *targets[in_.Index(3)];
    std::optional<std::string> before = environment_.ReadFile(path);
    bool attached = Attached();
    char* message = nullptr;
    Forget({0});
    int result = KuvSave(path.c_str(), &message);
    CheckMessage(attached, result, message);
    if (result != 1) {
      Expect(environment_.ReadFile(path) == before, "a failed save leaves the file as it was");
      if (attached) {
        Expect(std::string_view(message).rfind("Error : Error opening file for save.: " + path,
                                               0) == 0,
               "a refused save names the path first");
      }
      return;
    }
    std::optional<std::string> written = environment_.ReadFile(path);
    Expect(written.has_value(), "a successful save leaves a file");
    SavedFile saved{DescribeContent(State()->dataStore())};
    ExpectReadsBack(*written, saved.description);
    files_[path] = saved;
  }

  void OpenPath(const std::string& path, bool keepOpen) {
    bool attached = Attached();
    bool exists = environment_.ReadFile(path).has_value();
    char* message = nullptr;
    Forget({0});
    int result = KuvOpen(path.c_str(), &message, keepOpen ? 1 : 0);
    CheckMessage(attached, result, message);
    if (!attached) return;
    auto known = files_.find(path);
    if (!exists) {
      Expect(result == 0 && State()->dataStore().GetCount() == 0,
             "opening a missing file fails and leaves an empty store");
      return;
    }
    if (known != files_.end()) {
      Expect(result == 1, "a document saved from these calls opens without error");
      Expect(DescribeContent(State()->dataStore()) == known->second.description,
             "a document saved from these calls opens as it was saved");
    }
  }

  void Open() {
    const std::string* const sources[] = {&data1_, &data2_, &missing_, &raw_};
    const std::string& path = *sources[in_.Index(4)];
    OpenPath(path, (in_.Next() & 1) != 0);
  }

  void OpenRaw() {
    std::string bytes = in_.Bytes(in_.Next());
    environment_.WriteFile(raw_, bytes.data(), bytes.size());
    files_.erase(raw_);
    OpenPath(raw_, (in_.Next() & 1) != 0);
  }

  void SaveFaults() {
    testing::FakePlatform& platform = environment_.platform();
    std::size_t how = in_.Index(4);
    std::size_t count = in_.Next();
    platform.failBeginReplace = how == 1;
    platform.failCommit = how == 2;
    platform.failWriteAfterBytes.reset();
    if (how == 3) platform.failWriteAfterBytes = count * 4;
  }

  // ---- Attachment --------------------------------------------------------

  void Detach() {
    bool usable = State() != nullptr;
    int result = KuvDetach();
    if (usable) Expect(result == 1, "KuvDetach succeeds");
    ForgetEverything();
  }

  void Reload(const std::optional<std::string>& templatePath) {
    ForgetEverything();
    Expect(environment_.Reload(templatePath), "the library loads");
  }

  void Attach() {
    testing::FakePlatform& platform = environment_.platform();
    std::size_t how = in_.Index(6);
    switch (how) {
      case 1:
        Reload(environment_.currentTemplatePath());
        break;
      case 2:
        Reload(environment_.oldTemplatePath());
        break;
      case 3:
        Reload(missing_);
        platform.dialogAnswers = {environment_.currentTemplatePath()};
        break;
      case 4:
        Reload(missing_);
        break;
      case 5:
        // A process that may neither open nor create the registry key:
        // the library does not load and every call fails.
        ForgetEverything();
        UnloadLibrary();
        platform.keyExists = false;
        platform.keyCreatable = false;
        Expect(!LoadLibrary(platform), "the library refuses to load without its registry key");
        platform.keyExists = true;
        platform.keyCreatable = true;
        break;
      default:
        break;
    }
    bool usable = State() != nullptr;
    bool wasAttached = Attached();
    char* message = nullptr;
    Forget({0});
    int result = KuvAttach(&message);
    if (!usable) {
      Expect(result == 0, "an unloaded library does not attach");
      return;
    }
    Expect(message != nullptr, "KuvAttach always hands a message out");
    Keep(0, message);
    Expect((result == 1) == (*message == '\0'), "KuvAttach succeeds exactly without a message");
    if (wasAttached) {
      Expect(result == 0 && std::strcmp(message, "Already Attached") == 0,
             "a second KuvAttach is refused");
    } else if (how == 1 || how == 3) {
      Expect(result == 1, "the current template attaches");
    } else if (how == 2) {
      Expect(result == 0, "an outdated template is refused");
    } else if (how == 4) {
      Expect(result == 0 && std::strcmp(message, "Template not opened") == 0,
             "a cancelled dialog attaches nothing");
    }
  }

  // ---- Null pointers -----------------------------------------------------

  void NullArgument() {
    std::size_t call = in_.Index(22);
    std::size_t which = in_.Next();  // which argument is null, where there is a choice
    char* text = nullptr;
    char** texts = nullptr;
    int number = 0;
    char* out[7] = {};
    int row = 0;
    const char* missing = missing_.c_str();
    // Where an argument is required the call must fail; the header texts,
    // units, types, parents and values may be read as empty instead.
    auto Fails = [](int result, const char* what) { Expect(result == 0, what); };
    Forget({0, 1, 2, 3, 4, 5});
    switch (call) {
      case 0:
        return Fails(KuvAttach(nullptr), "KuvAttach refuses a null message");
      case 1:
        return Fails(KuvOpen(nullptr, &text, 0), "KuvOpen refuses a null path");
      case 2:
        return Fails(KuvOpen(missing, nullptr, 0), "KuvOpen refuses a null message");
      case 3:
        return Fails(KuvSave(nullptr, &text), "KuvSave refuses a null path");
      case 4:
        return Fails(KuvSave(missing, nullptr), "KuvSave refuses a null message");
      case 5:
        return Fails(KuvObjectList(nullptr, &number), "KuvObjectList refuses null names");
      case 6:
        return Fails(KuvObjectList(&texts, nullptr), "KuvObjectList refuses a null count");
      case 7:
        return Fails(KuvObjectExists(nullptr), "KuvObjectExists refuses a null ID");
      case 8: {
        char** args[5] = {&out[0], &out[1], &out[2], &out[3], &out[4]};
        args[which % 5] = nullptr;
        return Fails(KuvGetNextObject(args[0], args[1], args[2], args[3], args[4]),
                     "KuvGetNextObject refuses a null out-parameter");
      }
      case 9:
        return Fails(KuvIsParent(nullptr, "A"), "KuvIsParent refuses a null table");
      case 10:
        return Fails(KuvIsParent("A", nullptr), "KuvIsParent refuses a null parent");
      case 11: {
        const char* names[3] = {"X", "A", "a1"};
        char** outs[2] = {&out[0], &out[1]};
        which %= 5;
        if (which < 3) {
          names[which] = nullptr;
        } else {
          outs[which - 3] = nullptr;
        }
        return Fails(KuvGetFieldDef(names[0], names[1], names[2], outs[0], outs[1]),
                     "KuvGetFieldDef refuses a null argument");
      }
      case 12: {
        char** args[6] = {&out[0], &out[1], &out[2], &out[3], &out[4], &out[5]};
        int* rowOut = &row;
        which %= 7;
        if (which == 6) {
          rowOut = nullptr;
        } else {
          args[which] = nullptr;
        }
        return Fails(KuvGetNextValue(args[0], args[1], args[2], args[3], args[4], args[5], rowOut),
                     "KuvGetNextValue refuses a null out-parameter");
      }
      case 13:
        return Fails(KuvCreateObject(nullptr, "", "", ""), "KuvCreateObject needs an ID");
      case 14:
        which %= 3;
        KuvCreateObject("x", which == 0 ? nullptr : "", which == 1 ? nullptr : "",
                        which == 2 ? nullptr : "");
        return;
      case 15:
        return Fails(KuvPutObject(nullptr, "", "", ""), "KuvPutObject needs an ID");
      case 16:
        which %= 3;
        KuvPutObject("X", which == 0 ? nullptr : "", which == 1 ? nullptr : "",
                     which == 2 ? nullptr : "");
        return;
      case 17:
        return Fails(KuvDeleteObject(nullptr), "KuvDeleteObject needs an ID");
      case 18:
        if (which % 2 == 0) return Fails(KuvCreateTableDef(nullptr, ""), "a table needs a name");
        KuvCreateTableDef("A", nullptr);
        return;
      case 19:
        which %= 4;
        if (which < 2) {
          return Fails(
              KuvCreateFieldDef(which == 0 ? nullptr : "A", which == 1 ? nullptr : "a1", "", ""),
              "a field definition needs its table and field");
        }
        KuvCreateFieldDef("A", "a1", which == 2 ? nullptr : "", which == 3 ? nullptr : "");
        return;
      case 20:
        which %= 3;
        if (which < 2) {
          return Fails(KuvPutValue(which == 0 ? nullptr : "A", which == 1 ? nullptr : "a1", ""),
                       "a value needs its table and field");
        }
        KuvPutValue("A", "a1", nullptr);
        return;
      default:
        if (which % 2 == 0) {
          return Fails(KuvDateToString(2002, 10, 1, 14, 5, nullptr),
                       "KuvDateToString refuses a null text");
        }
        return Fails(KuvStringToDate(nullptr, &number, &number, &number, &number, &number),
                     "KuvStringToDate refuses a null text");
    }
  }

  // ---- Dates -------------------------------------------------------------

  void Dates() {
    int year = in_.Pick(kYears);
    int month = in_.Pick(kDateParts);
    int day = in_.Pick(kDateParts);
    int hour = in_.Pick(kDateParts);
    int minute = in_.Pick(kDateParts);
    char* text = nullptr;
    Forget({0});
    int result = KuvDateToString(year, month, day, hour, minute, &text);
    bool inRange = year >= 1900 && year <= 2500 && month >= 1 && month <= 12 && day >= 1 &&
                   day <= 31 && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
    if (State() != nullptr) {
      Expect(result == (inRange ? 1 : 0), "KuvDateToString checks the ranges of the parts");
      Keep(0, text);
    }

    std::uint8_t choice = in_.Next();
    std::string date = choice >= 0x80 ? in_.Text(choice % kRawDateMax)
                                      : kDateTexts[choice % std::size(kDateTexts)];
    int parts[5] = {-7, -7, -7, -7, -7};
    int parsed =
        KuvStringToDate(date.c_str(), &parts[0], &parts[1], &parts[2], &parts[3], &parts[4]);
    if (parsed == 1) {
      Expect(std::strlen(date.c_str()) == 20, "only a 20-character text is a timestamp");
      Expect(parts[0] >= 1900 && parts[0] <= 2500 && parts[1] >= 1 && parts[1] <= 12 &&
                 parts[2] >= 1 && parts[2] <= 31 && parts[3] >= 0 && parts[3] <= 23 &&
                 parts[4] >= 0 && parts[4] <= 59,
             "a timestamp that is accepted has its parts in range");
    }
  }

  ByteStream in_;
  bool onDisk_;
  FuzzEnvironment& environment_;
  const std::string data1_;
  const std::string data2_;
  const std::string missing_;
  const std::string raw_;

  std::array<std::optional<Kept>, 7> slots_;
  char** names_ = nullptr;
  std::vector<std::string> nameCopies_;

  std::map<std::string, SavedFile> files_;
  // The data store's count of values when the last call was a value put,
  // so that a run of puts walks the store once per put, not twice.
  std::optional<std::size_t> knownTotal_;
  // The last saved document that read back as it should.
  struct ReadBack {
    std::string bytes;
    std::string description;
  };
  std::optional<ReadBack> readBack_;
};

}  // namespace

void RunCallSequence(const std::uint8_t* data, std::size_t size, DiskUse use) {
  CallSequence(data, size, false).Run();
  if (use == DiskUse::kAlways || SampledForDisk(data, size)) CallSequence(data, size, true).Run();
}

}  // namespace kuv::fuzz
