// The library's exports, reached through the shared library loaded at run
// time. The tool loads it only once its own configuration is in place,
// since the library reads the registered template path when it is loaded.
#ifndef KUV_TOOLS_KUV_LIBRARY_H_
#define KUV_TOOLS_KUV_LIBRARY_H_

#include "kuv/kuv.h"

namespace kuv::tool {

// One pointer per export of kuv.h, named like the export.
struct KuvLibrary {
  decltype(&::KuvAttach) KuvAttach;
  decltype(&::KuvDetach) KuvDetach;
  decltype(&::KuvOpen) KuvOpen;
  decltype(&::KuvSave) KuvSave;
  decltype(&::KuvObjectList) KuvObjectList;
  decltype(&::KuvObjectExists) KuvObjectExists;
  decltype(&::KuvGetNextObject) KuvGetNextObject;
  decltype(&::KuvIsParent) KuvIsParent;
  decltype(&::KuvGetFieldDef) KuvGetFieldDef;
  decltype(&::KuvGetNextValue) KuvGetNextValue;
  decltype(&::KuvCreateObject) KuvCreateObject;
  decltype(&::KuvPutObject) KuvPutObject;
  decltype(&::KuvDeleteObject) KuvDeleteObject;
  decltype(&::KuvCreateTableDef) KuvCreateTableDef;
  decltype(&::KuvCreateFieldDef) KuvCreateFieldDef;
  decltype(&::KuvPutValue) KuvPutValue;
  decltype(&::KuvDateToString) KuvDateToString;
  decltype(&::KuvStringToDate) KuvStringToDate;
};

// Loads the shared library (once per process) and resolves every export.
// Throws a ToolError when the library or one of its exports is missing.
// The library stays loaded until the process ends, so that its unload step
// runs at exit.
const KuvLibrary& LoadKuvLibrary();

}  // namespace kuv::tool

#endif  // KUV_TOOLS_KUV_LIBRARY_H_
