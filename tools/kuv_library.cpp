#include "kuv_library.h"

#include <dlfcn.h>

#include <string>

#include "tool_error.h"
#include "tool_location.h"

namespace kuv::tool {

namespace {

template <typename Function>
void Resolve(void* handle, const char* name, Function* target) {
  void* symbol = ::dlsym(handle, name);
  if (symbol == nullptr) {
    throw DataError(std::string("the kuv library lacks the function ") + name);
  }
  *target = reinterpret_cast<Function>(symbol);
}

KuvLibrary Load() {
  const std::string path = ShippedLibraryPath();
  // Never closed: the library's unload step runs when the process exits.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    throw DataError("cannot load the kuv library: " + std::string(reason ? reason : path));
  }
  KuvLibrary library{};
#define KUV_RESOLVE(name) Resolve(handle, #name, &library.name)
  KUV_RESOLVE(KuvAttach);
  KUV_RESOLVE(KuvDetach);
  KUV_RESOLVE(KuvOpen);
  KUV_RESOLVE(KuvSave);
  KUV_RESOLVE(KuvObjectList);
  KUV_RESOLVE(KuvObjectExists);
  KUV_RESOLVE(KuvGetNextObject);
  KUV_RESOLVE(KuvIsParent);
  KUV_RESOLVE(KuvGetFieldDef);
  KUV_RESOLVE(KuvGetNextValue);
  KUV_RESOLVE(KuvCreateObject);
  KUV_RESOLVE(KuvPutObject);
  KUV_RESOLVE(KuvDeleteObject);
  KUV_RESOLVE(KuvCreateTableDef);
  KUV_RESOLVE(KuvCreateFieldDef);
  KUV_RESOLVE(KuvPutValue);
  KUV_RESOLVE(KuvDateToString);
  KUV_RESOLVE(KuvStringToDate);
#undef KUV_RESOLVE
  return library;
}

}  // namespace

const KuvLibrary& LoadKuvLibrary() {
  static const KuvLibrary library = Load();
  return library;
}

}  // namespace kuv::tool
