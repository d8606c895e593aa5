// Reads the business objects of the library's data store, one at a time,
// through the object walk and the value enumeration.
#ifndef KUV_TOOLS_CONTENT_READER_H_
#define KUV_TOOLS_CONTENT_READER_H_

#include <string>

#include "kuv_library.h"
#include "object_content.h"

namespace kuv::tool {

// The next object of the walk that KuvGetNextObject keeps, with its values
// rebuilt into tables and rows. The definitions are those the interface
// can show: the field definitions (unit and type) of every field that holds
// a value, and the parent of every table that holds one, as the object
// declares it. False after the last object.
bool ReadNextObject(const KuvLibrary& kuv, ObjectContent* object);

// The header of the next object of the walk, its values left unread.
bool ReadNextHeader(const KuvLibrary& kuv, ObjectHeader* header);

// The definitions and content of the current object (the one the walk
// delivered last), as ReadNextObject gives them.
void ReadCurrentObject(const KuvLibrary& kuv, ObjectContent* object);

// Moves the walk to the first object with this ID and reads its header;
// false when there is none.
bool SelectObject(const KuvLibrary& kuv, const std::string& id, ObjectHeader* header);

// The number of values of the current object, counted without keeping them.
long long CountValuesOfCurrentObject(const KuvLibrary& kuv);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CONTENT_READER_H_
