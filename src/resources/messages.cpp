#include "resources/messages.h"

namespace kuv::resources {

namespace {

struct Entry {
  int code;
  const char* text;
};

constexpr Entry kStringTable[] = {
    {1, "Failed to open input file."},
    {2, "File is corrupted."},
    {3, "This is not a KUV file ( missing KUV declaration statement )."},
    {4, "Token is invalid."},
    {5, "Error opening file for save."},
    {6, "Business Object incorrectly defined in file"},
    {7, "The standard.kvt version is out of date.\nPlease get the newer version from Brenlow support."},
};

}  // namespace

const char* MessageText(int code) {
  for (const Entry& entry : kStringTable) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

}  // namespace kuv::resources
