// Creating, rewriting and deleting business objects of the data store, and
// adding table and field definitions to the object being built.
#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvCreateObject(const char* id, const char* author, const char* version, const char* wellId) {
  if (!kuv::AllGiven(id, author, version, wellId)) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    return state.CreateObject(id, author, version, wellId) ? 1 : 0;
  });
}

int KuvPutObject(const char* id, const char* author, const char* version, const char* wellId) {
  if (!kuv::AllGiven(id, author, version, wellId)) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    return state.RewriteObject(id, author, version, wellId) ? 1 : 0;
  });
}

int KuvDeleteObject(const char* id) {
  if (id == nullptr) return 0;
  return kuv::WhenAttached(
      [&](kuv::LibraryState& state) { return state.DeleteObject(id) ? 1 : 0; });
}

int KuvCreateTableDef(const char* table, const char* parent) {
  if (!kuv::AllGiven(table, parent)) return 0;
  return kuv::WhenAttached(
      [&](kuv::LibraryState& state) { return state.DefineTable(table, parent) ? 1 : 0; });
}

int KuvCreateFieldDef(const char* table, const char* field, const char* unit, const char* type) {
  if (!kuv::AllGiven(table, field, unit, type)) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    return state.DefineField(table, field, unit, type) ? 1 : 0;
  });
}
