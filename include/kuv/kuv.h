/*
 * kuv: read, edit and write well-data interchange documents.
 *
 * The library keeps one document (the data store) and one template
 * (Standard.kvt, the template store) in memory for the whole process.
 * Every function returns 1 for success and 0 for failure.
 *
 * Returned strings. Text comes back through seven library-owned buffers
 * ("slots", numbered 0 to 6). A returned pointer stays valid until the next
 * call of any function that fills the same slot, or until KuvDetach. The
 * caller never frees it. An empty text comes back as a pointer to a zero
 * byte, never as NULL.
 *
 * Out-parameters are written only on success, except where a function says
 * otherwise. A NULL pointer for a required argument or out-parameter makes
 * the call return 0 and write nothing.
 *
 * Texts a document can hold. The format escapes nothing, so the editing
 * functions refuse (result 0, nothing changed) a text that would be saved
 * and read back as something else:
 *   - a value (KuvPutValue) may not hold "<";
 *   - an attribute text (the ID, Author, Version and WellID of
 *     KuvCreateObject and KuvPutObject; the unit and type of
 *     KuvCreateFieldDef) may not hold an apostrophe or ">", may not contain
 *     "FieldDef" or "TableDef", and may not end in "=";
 *   - a unit may not hold a tab either, which parts it from the type in a
 *     field's definition;
 *   - a table or field name (KuvCreateTableDef, KuvCreateFieldDef,
 *     KuvPutValue) may hold nothing a unit may not (a tab parts a table
 *     from its field in a definition), nor "<"; it may not begin with "/",
 *     "!" or "?", nor be "DataDescription".
 * Everything else is stored byte for byte: blanks, tabs in values and
 * types, line breaks (a CR LF included) and bytes above 127.
 *
 * Saving checks the whole data store before the file is replaced: a
 * document that would read back as another (a nested table without rows,
 * a row that does not begin with the field that begins its table's rows,
 * an empty row, texts read leniently that the format cannot write back) is
 * refused, and KuvSave says where and why.
 *
 * Attachment. KuvAttach must succeed before the other functions work; until
 * then (and after KuvDetach) every function except KuvDetach,
 * KuvGetFieldDef, KuvDateToString and KuvStringToDate returns 0.
 *
 * Threads. Calls must not overlap: the host calls one function at a time.
 */
#ifndef KUV_KUV_H_
#define KUV_KUV_H_

#if defined(_WIN32)
#if defined(KUV_BUILDING_LIBRARY)
#define KUV_API __declspec(dllexport)
#else
#define KUV_API
#endif
#else
#define KUV_API __attribute__((visibility("default")))
#endif

/* Calling convention. On Windows every function is __cdecl, the C
 * default: the caller removes the arguments, and kuv.dll exports each
 * function under its plain name ("KuvOpen", never "_KuvOpen@12"), for
 * 32-bit (x86) and 64-bit (x64) hosts alike. KUV_CALL says so in every
 * declaration, so that a 32-bit host compiled with another default
 * (__stdcall through /Gz, say) still calls the functions correctly; a
 * host that loads them with GetProcAddress declares its function pointers
 * __cdecl too (decltype(&KuvOpen) does). x64 has only one convention, and
 * elsewhere KUV_CALL is empty. */
#if defined(_WIN32)
#define KUV_CALL __cdecl
#else
#define KUV_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Attachment -------------------------------------------------------- */

/* Finds the template (registry value, else the file dialog), reads it and
 * checks that its version is 3.61 or higher. Writes *errorMessage (slot 0)
 * on every call: the empty text on success, else "Already Attached",
 * "Template not opened" or an "Error : ..." message. Returns 1 when the
 * library is now attached. */
KUV_API int KUV_CALL KuvAttach(char** errorMessage);

/* Frees both stores, the value list, the object-name list and every slot,
 * closes a data file kept open by KuvOpen, and leaves the library detached.
 * Every pointer handed out before becomes invalid. Always returns 1. */
KUV_API int KUV_CALL KuvDetach(void);

/* ---- Files ------------------------------------------------------------- */

/* Reads the document at path into the data store, replacing what it held.
 * With keepOpen non-zero the file stays open, shared with nobody, until
 * KuvSave, KuvDetach or the next KuvOpen. When attached, writes
 * *errorMessage (slot 0) whatever the result: the empty text on success,
 * else the message of the error; what was read before an error stays in
 * the store. Returns 1 when the file was read without error. Resets every
 * object and value cursor. */
KUV_API int KUV_CALL KuvOpen(const char* path, char** errorMessage, int keepOpen);

/* Writes the data store to path. The existing file is replaced only once
 * the new one is completely written; on failure it is left as it was.
 * Through a symbolic link the file it names is replaced, keeping its
 * permissions; a target that is read-only (no write permission at all,
 * whoever runs the host) or not a regular file is refused.
 * Closes a data file kept open by KuvOpen first, so the same path can be
 * saved. When attached, writes *errorMessage (slot 0): the empty text on
 * success, else "Error : Error opening file for save.: " and the path;
 * for a document that would not read back as it is, the path is followed
 * by ": ", where it would first differ ("object 'Logs', table 'Run' >
 * 'Sample', row 3, field 'GR'"), ": " and why, and the file is left as
 * it was. Returns 1 when the document was written. */
KUV_API int KUV_CALL KuvSave(const char* path, char** errorMessage);

/* ---- Object queries ---------------------------------------------------- */

/* Writes the number of business objects to *count and, to *names, an array
 * of their IDs in document order. The array and its strings belong to the
 * library and stay valid until the next KuvObjectList or KuvDetach. An
 * empty store gives count 0 and a valid (empty) array. */
KUV_API int KUV_CALL KuvObjectList(char*** names, int* count);

/* Returns 1 when the data store holds a business object with exactly this
 * ID (case-sensitive), else 0. */
KUV_API int KUV_CALL KuvObjectExists(const char* id);

/* Advances to the next business object and writes its ID (slot 0), Author
 * (slot 1), Version (slot 2), WellID (slot 3) and Date (slot 4). Returns 0
 * after the last object, and the call after that starts again with the
 * first. The object delivered last is the current object. */
KUV_API int KUV_CALL KuvGetNextObject(char** id, char** author, char** version,
                                      char** wellId, char** date);

/* Returns 1 when the current object's data description declares table
 * with exactly parent as its parent table; 0 otherwise, for empty names,
 * or when there is no current object. */
KUV_API int KUV_CALL KuvIsParent(const char* table, const char* parent);

/* Looks up the field's definition in the template, under the first
 * template object with this ID that defines it. Writes the type to *type
 * (slot 0) and the unit to *unit (slot 1). Needs no attachment. */
KUV_API int KUV_CALL KuvGetFieldDef(const char* objectId, const char* table,
                                    const char* field, char** type, char** unit);

/* ---- Value enumeration ------------------------------------------------- */

/* Delivers the next value of the current object, rows in depth-first
 * order: table (slot 0), field (slot 1), type (slot 4), unit (slot 3),
 * value (slot 2), parent table (slot 5, empty for a top-level table) and
 * the 0-based position of the value's row within its table. Returns 0
 * after the last value (the call after that starts again with the first)
 * and when there is no current object. The values are those the object
 * held when the first call after KuvGetNextObject, KuvOpen, KuvCreateObject
 * or KuvPutObject took its snapshot. */
KUV_API int KUV_CALL KuvGetNextValue(char** table, char** field, char** type,
                                     char** unit, char** value, char** parentTable,
                                     int* rowIndex);

/* ---- Object editing ---------------------------------------------------- */

/* Appends a business object with this ID, stamps its Date with the current
 * local time, copies the template's definitions for this ID and makes it
 * the object that definitions and values go to. Returns 0 when the ID is
 * already taken, or when a text is one a document cannot hold (see the
 * top of this file). */
KUV_API int KUV_CALL KuvCreateObject(const char* id, const char* author,
                                     const char* version, const char* wellId);

/* Rewrites the header of the existing object with this ID, stamps its
 * Date, deletes its tables, merges the template's definitions into its own
 * and makes it the object that values go to. Returns 0 when no object has
 * this ID, or when author, version or wellId is a text a document cannot
 * hold (see the top of this file). */
KUV_API int KUV_CALL KuvPutObject(const char* id, const char* author,
                                  const char* version, const char* wellId);

/* Removes the first business object with this ID and everything it holds.
 * Returns 0 when there is none. */
KUV_API int KUV_CALL KuvDeleteObject(const char* id);

/* Declares table in the object being built, with parent as its parent
 * table ("" for a top-level table). Returns 0 when there is no object
 * being built, when a non-empty parent is not a declared table, or when a
 * name is one a document cannot hold (see the top of this file). */
KUV_API int KUV_CALL KuvCreateTableDef(const char* table, const char* parent);

/* Declares field of table, with its unit and type, in the object being
 * built. Returns 0 when there is no object being built, when the field is
 * already declared for that table (the first declaration stays), when
 * the field bears the name of a declared table, or when a text is one a
 * document cannot hold (see the top of this file). */
KUV_API int KUV_CALL KuvCreateFieldDef(const char* table, const char* field,
                                       const char* unit, const char* type);

/* ---- Value insertion --------------------------------------------------- */

/* Adds one value to the object being built. Values come in document
 * order; the library opens top-level tables, child tables and rows from
 * the object's table declarations, and a repeat of a row's first field
 * starts the next row. Returns 0, changing nothing, when the table or the
 * field is not declared, the value has no place (a child table whose
 * parent table is not open), its place could not be read back from a
 * saved document, or a text is one a document cannot hold (a value with
 * "<"; see the top of this file). A place that could not be read back:
 * a child table that would open under a new row of its parent table with
 * no value of its own (put a value of the parent table first); a new row
 * of an enclosing table that would begin with another field than the one
 * that begins its rows; a field named like its own table. */
KUV_API int KUV_CALL KuvPutValue(const char* table, const char* field,
                                 const char* value);

/* ---- Date text --------------------------------------------------------- */

/* Formats the date as "YYYYMMDDTHH:MM:00000" and writes it to *text (slot
 * 0) whatever the result. Returns 1 when year is 1900..2500, month 1..12,
 * day 1..31, hour 0..23 and minute 0..59. Needs no attachment. */
KUV_API int KUV_CALL KuvDateToString(int year, int month, int day, int hour,
                                     int minute, char** text);

/* Reads a 20-character timestamp text. When text has exactly 20
 * characters all five parts are written, even out of range; otherwise
 * none is. Returns 1 when the length is 20 and every part is in the range
 * that KuvDateToString accepts. Needs no attachment. */
KUV_API int KUV_CALL KuvStringToDate(const char* text, int* year, int* month, int* day,
                                     int* hour, int* minute);

#ifdef __cplusplus
}
#endif

#endif /* KUV_KUV_H_ */
