// kuv: the document API. Read, walk, edit and write well-data interchange
// documents from C++.
//
// Every Document and Template owns what it holds; there is no global state,
// so any number of them live side by side, and separate instances may be
// used from separate threads at the same time. One instance must not be
// used from two threads at once.
//
// Saying no. Every call that would change a document either does all that
// it is asked or throws kuv::Refusal (a std::invalid_argument) whose what()
// says why, and then has changed nothing. Reading and saving throw
// kuv::Error with the code and message of the C interface (when Open cannot
// open its file, with the system's reason too: Error::reason()); a document
// that would not read back as it is in memory is refused by every save (Save,
// Serialize, Write, DocumentWriter::Write) with Error code 5, whose message
// names the object, table, row and field where it stops and why, before
// anything is written. Look-ups answer std::optional.
//
// Handles. BusinessObject, Table and Row are small handles into a document,
// like iterators. A handle whose node was removed (Document::Remove,
// BusinessObject::ClearTables) throws kuv::StaleHandle (a std::logic_error)
// when it is used, and never touches the removed node; handles into a
// document that was destroyed must not be used at all. Texts come back as
// std::string_view into the document, valid while their node lives.
// Nothing is copied while walking.
//
// Texts. A document holds 8-bit text and escapes nothing. Texts that it
// could not give back as they went in are refused: a value may not hold
// "<"; an attribute text (ID, Author, Version, WellID, Date, a unit, a
// type) may not hold an apostrophe or ">", contain "FieldDef" or
// "TableDef", nor end in "="; a unit may not hold a tab either (a tab
// parts a field's unit from its type); a table or field name may hold
// nothing a unit may not, nor "<", may not begin with "/", "!" or "?", nor
// be "DataDescription".
//
// Shapes. Rows are not marked in a saved document: the field that begins a
// table's first row begins each of its rows. So a call refuses a value that
// could never be read back in its place: a value whose field bears its
// table's name, a repeat of the field that begins the table's rows inside a
// row that holds values, and a row's first value in another field than the
// one that begins the table's rows. What can only be told once a document
// is complete (a row left empty, a nested table without rows, a nested
// table whose first row begins with a table) is left to the save.
#ifndef KUV_DOCUMENT_HPP_
#define KUV_DOCUMENT_HPP_

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/read_problems.hpp"
#include "kuv/values.hpp"

#if defined(_WIN32)
#if defined(KUV_BUILDING_DOCUMENT)
#define KUV_DOCUMENT_API __declspec(dllexport)
#else
#define KUV_DOCUMENT_API __declspec(dllimport)
#endif
#else
#define KUV_DOCUMENT_API __attribute__((visibility("default")))
#endif

namespace kuv {

// The library's own nodes; only handles to them are public.
class CObjectStore;
class CBusinessObject;
class CTableNode;
class CRowNode;

// The codes of the C interface's messages.
enum class ErrorCode : int {
  kOpenInput = 1,        // "Failed to open input file."
  kCorrupted = 2,        // "File is corrupted."
  kNotKuv = 3,           // "This is not a KUV file ( missing KUV declaration statement )."
  kInvalidToken = 4,     // "Token is invalid."
  kOpenForSave = 5,      // "Error opening file for save."
  kBusinessObject = 6,   // "Business Object incorrectly defined in file"
  kTemplateVersion = 7,  // "The standard.kvt version is out of date. ..."
};

// What kept the system from opening or writing a file, for a host that
// answers each kind in its own way (Python's FileNotFoundError, say).
enum class FileProblem : int {
  kNone = 0,          // the error did not come from the system
  kNotFound,          // no such file, or a folder on its path is missing
  kIsFolder,          // a folder where a file was wanted
  kPermissionDenied,  // no access, or a read-only file
  kInUse,             // another program holds it
  kNotAFile,          // a device, pipe or socket where a file was wanted
  kOther,             // anything else the system reported
};

// A failed read, save or template check: the code, and the message as
// KuvOpen, KuvSave and KuvAttach hand it out ("Error : ..."). When the
// system refused a file, what() adds its reason in parentheses, and
// file_problem() and reason() give it apart:
//   "Error : Failed to open input file.: /data/well.kuv (No such file or directory)"
// The C interface's message is what() up to the parenthesis.
class KUV_DOCUMENT_API Error : public std::runtime_error {
 public:
  Error(ErrorCode code, const std::string& message);
  Error(ErrorCode code, const std::string& message, FileProblem problem, const std::string& reason);
  ErrorCode code() const noexcept { return code_; }
  // kNone unless the system refused a file.
  FileProblem file_problem() const noexcept { return problem_; }
  // The system's reason in a few words ("No such file or directory",
  // "another program is using it"); empty unless the system refused a file.
  const std::string& reason() const noexcept { return reason_; }

 private:
  ErrorCode code_;
  FileProblem problem_ = FileProblem::kNone;
  std::string reason_;
};

// A call refused; the document is as it was. what() says what was refused
// and why ("kuv: cannot put a value of field 'GR' of table 'Log': ..."),
// why() the reason alone.
class KUV_DOCUMENT_API Refusal : public std::invalid_argument {
 public:
  Refusal(const std::string& what, const std::string& why);
  const std::string& why() const noexcept { return why_; }

 private:
  std::string why_;
};

// A handle used after its node was removed from its document.
class KUV_DOCUMENT_API StaleHandle : public std::logic_error {
 public:
  explicit StaleHandle(const std::string& what);
};

struct Value {
  std::string_view field;
  std::string_view text;
};

// A declared table: its parent table, "" for a top-level table.
struct TableDefinition {
  std::string_view table;
  std::string_view parent;
};

struct FieldDefinition {
  std::string_view table;
  std::string_view field;
  std::string_view unit;
  std::string_view type;
};

// Why a text cannot be stored in its place in a document (the rules at the
// top of this file), or null when it can. The reasons are short sentences
// such as "it holds an apostrophe, which ends an attribute".
KUV_DOCUMENT_API const char* WhyNotStorableValue(std::string_view text);
KUV_DOCUMENT_API const char* WhyNotStorableAttribute(std::string_view text);
KUV_DOCUMENT_API const char* WhyNotStorableUnit(std::string_view text);
KUV_DOCUMENT_API const char* WhyNotStorableName(std::string_view text);

// An indexed sequence of handles or values, walked without copies. Its
// size is the one when it was made; an item that has gone since (its owner
// removed, or the sequence shortened) throws rather than being read.
template <typename Item>
class Items {
 public:
  // The item at index of the owner seen in generation; throws StaleHandle
  // or std::out_of_range when there is none any more.
  using ItemAt = Item (*)(const void* owner, std::uint32_t generation, std::size_t index);

  Items(const void* owner, std::uint32_t generation, std::size_t size, ItemAt at)
      : owner_(owner), generation_(generation), size_(size), at_(at) {}
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Item operator[](std::size_t index) const { return at_(owner_, generation_, index); }
  Item at(std::size_t index) const {
    if (index >= size_) throw std::out_of_range("kuv: index out of range");
    return at_(owner_, generation_, index);
  }

  class iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Item;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Item;

    iterator(const Items* items, std::size_t index) : items_(items), index_(index) {}
    Item operator*() const { return (*items_)[index_]; }
    iterator& operator++() {
      ++index_;
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++index_;
      return before;
    }
    bool operator==(const iterator& other) const { return index_ == other.index_; }
    bool operator!=(const iterator& other) const { return index_ != other.index_; }

   private:
    const Items* items_;
    std::size_t index_;
  };
  iterator begin() const { return iterator(this, 0); }
  iterator end() const { return iterator(this, size_); }

 private:
  const void* owner_;
  std::uint32_t generation_;
  std::size_t size_;
  ItemAt at_;
};

class Row;

// A table node: a name and its rows.
class KUV_DOCUMENT_API Table {
 public:
  explicit Table(CTableNode* node);
  std::string_view name() const;
  Items<Row> rows() const;
  // The row whose child tables hold this table; nullopt at the top level.
  std::optional<Row> parent_row() const;
  // Appends an empty row.
  Row AddRow();
  // Removes the row at index with all it holds; handles into it become
  // stale. std::out_of_range for an index beyond the rows.
  void RemoveRow(std::size_t index);

  bool operator==(const Table& other) const {
    return node_ == other.node_ && generation_ == other.generation_;
  }
  bool operator!=(const Table& other) const { return !(*this == other); }

 private:
  friend class Row;
  CTableNode* live() const;  // the node; throws StaleHandle when it is gone
  CTableNode* node_;
  std::uint32_t generation_;
};

// A row: its values, then its child tables.
class KUV_DOCUMENT_API Row {
 public:
  explicit Row(CRowNode* node);
  Items<Value> values() const;
  Items<Table> child_tables() const;
  // The table whose rows hold this row.
  Table table() const;
  // Appends a value. Refusal for a field name or text that a document
  // cannot hold, and for a value that could not be read back in this place
  // (the shapes at the top of this file).
  void AddValue(std::string_view field, std::string_view text);
  // Appends a child table; Refusal for a name that a document cannot hold.
  Table AddChildTable(std::string_view name);
  // Replaces the text of the value at index (its place in values()); the
  // field stays. Refusal for a text a document cannot hold.
  void SetValue(std::size_t index, std::string_view text);
  // Removes the value at index. Refusal for the first value of a row that
  // holds others, unless it is a table's only row: the row would begin
  // with another field, and be read back as part of another row.
  void RemoveValue(std::size_t index);
  // Removes the child table at index with all it holds; handles into it
  // become stale.
  void RemoveChildTable(std::size_t index);

  bool operator==(const Row& other) const {
    return node_ == other.node_ && generation_ == other.generation_;
  }
  bool operator!=(const Row& other) const { return !(*this == other); }

 private:
  friend class Table;
  CRowNode* live() const;  // the node; throws StaleHandle when it is gone
  CRowNode* node_;
  std::uint32_t generation_;
};

class Template;

// A business object: five header texts, its data description and its
// tables.
class KUV_DOCUMENT_API BusinessObject {
 public:
  explicit BusinessObject(CBusinessObject* object);

  std::string_view id() const;
  std::string_view author() const;
  std::string_view version() const;
  std::string_view well_id() const;
  std::string_view date() const;
  // Each refuses a text a document cannot hold.
  void set_id(std::string_view text);
  void set_author(std::string_view text);
  void set_version(std::string_view text);
  void set_well_id(std::string_view text);
  void set_date(std::string_view text);

  // The definitions in the order a saved document lists them.
  std::vector<TableDefinition> table_definitions() const;
  std::vector<FieldDefinition> field_definitions() const;
  // A table's declared parent ("" for a top-level table); nullopt when the
  // table is not declared.
  std::optional<std::string_view> parent_of(std::string_view table) const;
  std::optional<FieldDefinition> field_definition(std::string_view table,
                                                  std::string_view field) const;
  // The kind of value the field's declared type names (KindOfType); kText
  // for a field that is not declared.
  ValueKind field_kind(std::string_view table, std::string_view field) const;

  // Declares a table as KuvCreateTableDef does. Refusal when a non-empty
  // parent is not declared, the name is taken, or a name cannot be stored.
  void DefineTable(std::string_view table, std::string_view parent);
  // Declares a field as KuvCreateFieldDef does. Refusal when it is
  // declared already (the first declaration stays), when the field bears
  // the name of a declared table, or a text cannot be stored.
  void DefineField(std::string_view table, std::string_view field, std::string_view unit,
                   std::string_view type);
  // Store a definition as given, replacing one under the same name, with
  // no rule but that a document can hold its texts (Refusal otherwise):
  // for restoring a data description exactly.
  void SetTableDefinition(std::string_view table, std::string_view parent);
  void SetFieldDefinition(std::string_view table, std::string_view field, std::string_view unit,
                          std::string_view type);
  // Refusal when there is no such definition.
  void RemoveTableDefinition(std::string_view table);
  void RemoveFieldDefinition(std::string_view table, std::string_view field);

  // The top-level tables.
  Items<Table> tables() const;
  // Appends a top-level table; Refusal for a name a document cannot hold.
  Table AddTable(std::string_view name);
  // Removes the top-level table at index with all it holds; handles into
  // it become stale. std::out_of_range for an index beyond the tables.
  void RemoveTable(std::size_t index);
  // Deletes every table (handles into them become invalid) and sends the
  // next Put to the top level.
  void ClearTables();

  // Puts one value by the object's declarations, as KuvPutValue does:
  // values come in document order, tables and rows open by the TableDefs,
  // and a repeat of a row's first field starts the next row. The position
  // of the next value belongs to the object; it starts at the top level.
  // Refusal when the table or field is not declared, the value has no
  // place, its place could not be read back, or a text cannot be stored.
  void Put(std::string_view table, std::string_view field, std::string_view value);
  // The next Put starts at the top level again.
  void ResetPutPosition();

  // Rewrites the object as KuvPutObject does: new Author, Version and
  // WellID, Date stamped with the current local time, tables deleted, and
  // the template's definitions for its ID merged into its own.
  void Rewrite(std::string_view author, std::string_view version, std::string_view well_id,
               const Template* with_definitions_of = nullptr);

  // The problem a document holding only this object would have when
  // saved; nullopt when it would read back as it is.
  std::optional<ReadBackProblem> FindReadBackProblem() const;

  bool operator==(const BusinessObject& other) const {
    return object_ == other.object_ && generation_ == other.generation_;
  }
  bool operator!=(const BusinessObject& other) const { return !(*this == other); }

 private:
  friend class Document;
  friend class DocumentWriter;
  CBusinessObject* live() const;  // the object; throws StaleHandle when it is gone
  CBusinessObject* object_;
  std::uint32_t generation_;
};

// A document in memory: business objects in order, and the version text of
// the root tag it was read with.
class KUV_DOCUMENT_API Document {
 public:
  // An empty document.
  Document();
  ~Document();
  Document(Document&& other) noexcept;
  Document& operator=(Document&& other) noexcept;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Reads the document at path. Throws Error with code 1 when the file
  // cannot be opened (its file_problem() and reason() say why: missing, a
  // folder, no access, held by another program), 2, 3, 4 or 6 when it
  // cannot be read.
  static Document Open(const std::string& path);
  // Reads a document from its bytes, with the same errors but 1.
  static Document Parse(std::string_view bytes);
  // The same, appending to *notes what the reading took leniently.
  static Document Open(const std::string& path, std::vector<ReadNote>* notes);
  static Document Parse(std::string_view bytes, std::vector<ReadNote>* notes);

  // Writes the document to path as KuvSave does: an existing file is
  // replaced only once the new one is complete and durable (through a
  // symbolic link, the file it names), keeping its permissions. Throws
  // Error with code 5 when the document would not read back as it is (the
  // message says where and why) or the file cannot be written; the file is
  // then as it was.
  void Save(const std::string& path) const;
  // Where the document, once saved, would first read back other than it
  // is, and why; nullopt when it reads back as it is. Every save asks this
  // first and refuses such a document.
  std::optional<ReadBackProblem> FindReadBackProblem() const;
  // The bytes that Save writes on POSIX systems: lines end in LF (Save on
  // Windows ends them in CR LF, as its text files do), and a CR LF inside
  // a text is written CR CR LF, so that Parse gives every text back. Error
  // code 5 for a document that would not read back as it is.
  std::string Serialize() const;
  // Writes the bytes that Save writes on this system to out, piece by
  // piece, so that a host can store them where and how it likes. Throws
  // Error with code 5, before writing anything, for a document that would
  // not read back as it is, and when out fails.
  void Write(std::ostream& out) const;

  // The root tag's version text as read ("2.0'" for a document this
  // library wrote); empty for a new document. Save always writes 2.0.
  const std::string& version() const;
  // Whether the document ended with its closing root tag. Reading accepts
  // a document that stops after any closing tag (a file cut at a line end
  // reads without error); this tells such a file from a whole one. True
  // for a new document.
  bool complete() const;

  Items<BusinessObject> objects() const;
  std::size_t size() const;
  // The first object with exactly this ID (case-sensitive).
  std::optional<BusinessObject> Find(std::string_view id) const;

  // Appends an object as KuvCreateObject does: Date stamped with the
  // current local time, the template's definitions for its ID copied when
  // a template is given. Refusal when the ID is taken or a text cannot be
  // stored.
  BusinessObject CreateObject(std::string_view id, std::string_view author,
                              std::string_view version, std::string_view well_id,
                              const Template* with_definitions_of = nullptr);
  // Removes the object and everything it holds; handles into it become
  // stale. Refusal when the object is not one of this document's.
  void Remove(BusinessObject object);

 private:
  friend class Template;
  friend class BusinessObject;
  class State;
  std::unique_ptr<CObjectStore> store_;
  std::unique_ptr<State> state_;  // what the document API keeps beside the store
  bool read_ = false;             // read from a file or bytes rather than made new
};

// Writes a document to a stream one business object at a time, so that a
// host can produce a document larger than it wants to hold: build an
// object (in a Document of its own), write it, drop it. The bytes equal
// those Document::Write gives for a document holding the same objects in
// the same order.
class KUV_DOCUMENT_API DocumentWriter {
 public:
  // Writes the document's opening lines to out, which must outlive the
  // writer.
  explicit DocumentWriter(std::ostream& out);
  ~DocumentWriter();
  DocumentWriter(const DocumentWriter&) = delete;
  DocumentWriter& operator=(const DocumentWriter&) = delete;

  // Writes one object. Error code 5, before anything of it is written, when
  // the object would not read back as it is.
  void Write(const BusinessObject& object);
  // Writes the closing root tag and flushes out. Throws Error with code 5
  // when anything could not be written. Without it, the document stays
  // cut (its last line the end of an object).
  void Finish();

 private:
  class Output;
  std::unique_ptr<Output> output_;
};

// A template (Standard.kvt): the data description of every kind of
// business object, read and checked as KuvAttach does.
class KUV_DOCUMENT_API Template {
 public:
  // Reads the template at path and checks that its version is 3.61 or
  // higher. Throws Error: 1 to 6 as a document read; 7, with the message
  // that KuvAttach gives, when the version is older.
  static Template Open(const std::string& path);
  // The path registered for the C interface, when there is one: the value
  // FileName of HKEY_LOCAL_MACHINE\Software\KUV\Template on Windows,
  // elsewhere the file KUV/Template/FileName under $XDG_CONFIG_HOME (or
  // $HOME/.config), cut at its first zero byte.
  static std::optional<std::string> RegisteredPath();
  // Registers path there, replacing the value at once (a reader sees the
  // old path or the new one), as KuvAttach stores the file its dialog
  // chose. Throws std::runtime_error when the value cannot be written.
  static void Register(const std::string& path);

  const std::string& path() const { return path_; }
  const std::string& version() const { return document_.version(); }
  const Document& document() const { return document_; }

  // The field's definition under the first template object with this ID
  // that declares it, as KuvGetFieldDef finds it.
  std::optional<FieldDefinition> field_definition(std::string_view object_id,
                                                  std::string_view table,
                                                  std::string_view field) const;

 private:
  friend class Document;
  friend class BusinessObject;
  Template(Document document, std::string path)
      : document_(std::move(document)), path_(std::move(path)) {}
  Document document_;
  std::string path_;
};

}  // namespace kuv

#endif  // KUV_DOCUMENT_HPP_
