#include "reader_harness.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "chunked_input.h"
#include "core/value_enumeration.h"
#include "frame/library_state.h"
#include "fuzz_check.h"
#include "fuzz_environment.h"
#include "io/error_info.h"
#include "io/read_back_check.h"
#include "io/reader.h"
#include "io/writer.h"
#include "kuv/kuv.h"
#include "model/object_store.h"
#include "model/value_list.h"
#include "tree_walk.h"

namespace kuv::fuzz {

namespace {

// The first input byte picks how the in-memory input is cut into reads:
// bits 0-3 the first chunk size, bits 4-5 the second one (0: the same),
// bit 6 a read error in place of the end. It stays part of the document.
constexpr std::size_t kChunkSizes[16] = {1,  2,  3,  4,   5,   7,    8,     13,
                                         16, 31, 64, 127, 512, 4096, 65536, SIZE_MAX};
constexpr std::size_t kSecondChunkSizes[4] = {0, 1, 3, 17};

// How many objects and definitions the library pass edits, so that one
// input stays quick.
constexpr int kObjectsToEdit = 4;
constexpr std::size_t kDefinitionsToPut = 32;

// Where the lengths of touched texts go, so that reading them is not
// optimised away.
volatile std::size_t g_touched = 0;

void TouchValueList(const ValueList& list) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const ValueList::CValueRecord& r = list.record(i);
    total += list.name(r.table).size() + list.name(r.parentTable).size() +
             list.name(r.field).size() + list.name(r.unit).size() + list.name(r.type).size() +
             list.value(r).size();
    Expect(r.rowIndex >= 0, "row positions count from 0");
  }
  g_touched = total;
}

// Whether these bytes were not seen lately. A direct-mapped table of
// hashes: allocated once, so that it never looks like a leak to the
// fuzzer, which checks for one whenever an input allocates more than it
// frees; a collision only means a text is read once more.
bool FirstSeen(std::string_view bytes) {
  constexpr std::size_t kSlots = std::size_t{1} << 16;
  static std::vector<std::size_t> seen(kSlots, 0);
  const std::size_t hash = std::hash<std::string_view>{}(bytes);
  std::size_t& slot = seen[hash & (kSlots - 1)];
  if (slot == hash) return false;
  slot = hash;
  return true;
}

void CheckWriter(const CObjectStore& store) {
  StringOutput whole;
  Expect(io::WriteDocument(store, whole), "writing to memory succeeds");
  const std::string& text = whole.text();
  constexpr std::string_view kHead = "<?xml version='1.0'?>\n<KUV Version='2.0'>\n";
  constexpr std::string_view kTail = "</KUV>\n";
  Expect(text.size() >= kHead.size() + kTail.size() && text.compare(0, kHead.size(), kHead) == 0 &&
             text.compare(text.size() - kTail.size(), kTail.size(), kTail) == 0,
         "a written document starts with the prolog and root and ends with the closing root");

  StringOutput failing(text.size() / 2);
  Expect(!io::WriteDocument(store, failing), "a failed write is reported");

  // What the save check lets through reads back as it was, and what it
  // refuses would read back as something else: the check and the reader
  // agree. The reader gives the same bytes the same store, and many inputs
  // write the same document, so bytes read once are not read again.
  const bool refused = io::FindReadBackProblem(store).has_value();
  if (!FirstSeen(text)) return;
  CObjectStore again;
  CErrorInfo error;
  ChunkedInput input(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 4096, 4096,
                     false);
  io::ReadDocument(again, error, input);
  const bool same = error.code == kNoError && DescribeContent(again) == DescribeContent(store);
  Expect(same != refused, refused ? "the save check refuses what reads back as it was"
                                  : "the save check lets through what reads back different");
}

// What the library made of the bytes as its data document: the store that
// every other way of reading them must build, and KuvOpen's message, which
// names the reader's error (empty when there was none).
struct LibraryRead {
  std::string description;
  std::string message;
};

void ReadInMemory(const std::uint8_t* data, std::size_t size, const LibraryRead& opened) {
  std::uint8_t control = size > 0 ? data[0] : 0;
  std::size_t first = kChunkSizes[control & 0x0f];
  std::size_t second = kSecondChunkSizes[(control >> 4) & 0x03];
  bool failAtEnd = (control & 0x40) != 0;

  CObjectStore store;
  CErrorInfo error;
  ChunkedInput input(data, size, first, second == 0 ? first : second, failAtEnd);
  io::ReadDocument(store, error, input);

  Expect(error.code == kNoError || error.code == kErrorCorrupted || error.code == kErrorNotKuv ||
             error.code == kErrorInvalidToken || error.code == kErrorBusinessObject,
         "the reader records only its own errors");
  Expect((error.code == kNoError) == error.message.empty(), "an error comes with its message");
  if (error.code == kErrorNotKuv) Expect(store.GetCount() == 0, "no object precedes the root");

  // Where the reads end must not matter: the library read the same bytes
  // in one piece into the same store, with the same error. A read that
  // failed at the end is not comparable, so the bytes are then read in one
  // piece here as well, for the library's read to be checked against.
  if (!failAtEnd) {
    Expect(opened.message == error.message, "block boundaries do not change the reader's error");
    Expect(opened.description == DescribeStore(store),
           "block boundaries do not change what the reader builds");
  } else {
    CObjectStore whole;
    CErrorInfo wholeError;
    ChunkedInput wholeInput(data, size, SIZE_MAX, SIZE_MAX, false);
    io::ReadDocument(whole, wholeError, wholeInput);
    Expect(opened.message == wholeError.message, "a file reads with its bytes' error");
    Expect(opened.description == DescribeStore(whole), "a file reads into what its bytes give");

    // Only a store that may differ from the opened one is flattened here:
    // the library walked that one value by value already.
    ValueList list;
    for (const auto& object : store.objects()) {
      core::BuildValueList(*object, list);
      Expect(list.size() == CountValues(*object), "the flattened list holds every value once");
      TouchValueList(list);
    }
  }
  CheckWriter(store);
}

// Reads every handed-out text to its end, so that a dangling or unterminated
// buffer shows under the address sanitizer.
void Touch(std::initializer_list<const char*> texts) {
  std::size_t total = 0;
  for (const char* text : texts) {
    Expect(text != nullptr, "a handed-out text is never null");
    total += std::strlen(text);
  }
  g_touched = total;
}

void WalkObjects() {
  const CObjectStore& store = CurrentState()->dataStore();
  int count = store.GetCount();
  char *id = nullptr, *author = nullptr, *version = nullptr, *wellId = nullptr, *date = nullptr;
  int delivered = 0;
  while (KuvGetNextObject(&id, &author, &version, &wellId, &date) == 1) {
    ++delivered;
    Expect(delivered <= count, "the object walk ends after the last object");
    Touch({id, author, version, wellId, date});
    std::size_t expected = CountValues(*store.GetAt(delivered - 1));
    std::size_t deliveredValues = 0;
    char *table, *field, *type, *unit, *value, *parent;
    int row = -1;
    while (KuvGetNextValue(&table, &field, &type, &unit, &value, &parent, &row) == 1) {
      ++deliveredValues;
      Expect(deliveredValues <= expected, "the value walk ends after the last value");
      Touch({table, field, type, unit, value, parent});
      Expect(row >= 0, "row positions count from 0");
    }
    Expect(deliveredValues == expected, "every value of the object is enumerated");
  }
  Expect(delivered == count, "the object walk delivers every object");
}

// Puts one value for each of the object's field definitions, in the
// definitions' order; the library decides where each one goes.
void PutValuesForDefinitions(const CBusinessObject& object) {
  std::vector<std::pair<std::string, std::string>> names;
  for (const auto& [key, definition] : object.FieldDefs) {
    if (names.size() == kDefinitionsToPut) break;
    std::string_view whole(key);
    std::size_t tab = whole.find('\t');
    if (tab == std::string_view::npos) continue;
    names.emplace_back(std::string(whole.substr(0, tab)), std::string(whole.substr(tab + 1)));
  }
  for (const auto& [table, field] : names) {
    KuvPutValue(table.c_str(), field.c_str(), "v");
    char *type = nullptr, *unit = nullptr;
    if (KuvGetFieldDef(object.id.c_str(), table.c_str(), field.c_str(), &type, &unit) == 1) {
      Touch({type, unit});
    }
  }
}

// Makes a data object for each kind of object the template describes.
void CreateFromTemplate() {
  std::vector<std::string> ids;
  for (const auto& object : CurrentState()->templateStore().objects()) {
    if (static_cast<int>(ids.size()) == kObjectsToEdit) break;
    ids.push_back(object->id);
  }
  for (const std::string& id : ids) {
    if (KuvCreateObject(id.c_str(), "fuzz", "1.0", "W-1") != 1) continue;
    const CObjectStore& store = CurrentState()->dataStore();
    PutValuesForDefinitions(*store.GetAt(store.GetCount() - 1));
  }
}

void EditOpenedObjects() {
  std::vector<std::string> ids;
  for (const auto& object : CurrentState()->dataStore().objects()) {
    if (static_cast<int>(ids.size()) == kObjectsToEdit) break;
    ids.push_back(object->id);
  }
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (i % 2 == 1) {
      KuvDeleteObject(ids[i].c_str());
      continue;
    }
    if (KuvPutObject(ids[i].c_str(), "fuzz", "2.0", "W-2") != 1) continue;
    const CObjectStore& store = CurrentState()->dataStore();
    int index = store.Find(ids[i]);
    Expect(index >= 0, "a rewritten object stays in the store");
    PutValuesForDefinitions(*store.GetAt(index));
  }
  char** names = nullptr;
  int count = -1;
  Expect(KuvObjectList(&names, &count) == 1, "an attached library lists its objects");
  Expect(names != nullptr && count == CurrentState()->dataStore().GetCount(),
         "the object list holds every object");
  for (int i = 0; i < count; ++i) Touch({names[i]});
}

LibraryRead ReadThroughLibrary(const std::uint8_t* data, std::size_t size, bool onDisk) {
  FuzzEnvironment& environment = FuzzEnvironment::Get();
  environment.UseDisk(onDisk);
  static const std::string input = environment.PathOf("input.kvt");
  static const std::string saved = environment.PathOf("saved.kuv");
  environment.WriteFile(input, data, size);
  bool keepOpen = size > 0 && (data[0] & 0x80) != 0;

  // The input as the template.
  Expect(environment.Reload(input), "the library loads");
  char* message = nullptr;
  int attached = KuvAttach(&message);
  Expect(message != nullptr, "KuvAttach always hands a message out");
  Expect((attached == 1) == (*message == '\0'), "KuvAttach succeeds exactly without a message");
  // Both stores start empty, with an empty version text, so the same bytes
  // give both the same content.
  const std::string asTemplate = DescribeStore(CurrentState()->templateStore());
  if (attached == 1) {
    CreateFromTemplate();
    WalkObjects();
  } else {
    Expect(environment.Reload(environment.currentTemplatePath()), "the library loads");
    Expect(KuvAttach(&message) == 1, "the harness's own template attaches");
  }

  // The input as the data document.
  message = nullptr;
  int opened = KuvOpen(input.c_str(), &message, keepOpen ? 1 : 0);
  Expect(message != nullptr, "an attached KuvOpen always hands a message out");
  Expect((opened == 1) == (*message == '\0'), "KuvOpen succeeds exactly without a message");
  LibraryRead read{DescribeStore(CurrentState()->dataStore()), message};
  Expect(read.description == asTemplate, "a file reads into the same store as template and data");
  if (attached == 1) Expect(opened == 1, "an attached template read without error");
  WalkObjects();
  EditOpenedObjects();
  WalkObjects();

  message = nullptr;
  const bool refused = io::FindReadBackProblem(CurrentState()->dataStore()).has_value();
  const int result = KuvSave(saved.c_str(), &message);
  Expect(result == (refused ? 0 : 1),
         "saving into the scratch folder succeeds unless the document would not read back");
  Expect(message != nullptr && (*message == '\0') == (result == 1),
         "a save hands out an empty message exactly when it succeeds");

  KuvDetach();
  UnloadLibrary();
  // Files kept in memory from run to run would look like leaks to the
  // fuzzer, which then runs the input again to make sure.
  environment.RemoveFile(input);
  environment.RemoveFile(saved);
  environment.UseDisk(false);
  return read;
}

}  // namespace

void ExerciseReader(const std::uint8_t* data, std::size_t size, DiskUse use) {
  const LibraryRead inMemory = ReadThroughLibrary(data, size, false);
  ReadInMemory(data, size, inMemory);
  if (use == DiskUse::kAlways || SampledForDisk(data, size)) {
    const LibraryRead onDisk = ReadThroughLibrary(data, size, true);
    Expect(onDisk.description == inMemory.description && onDisk.message == inMemory.message,
           "a file on disk reads as the same file in memory");
  }
}

}  // namespace kuv::fuzz
