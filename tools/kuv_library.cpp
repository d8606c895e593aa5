#include "kuv_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <string>

#include "tool_error.h"
#include "tool_location.h"

namespace kuv::tool {

namespace {

#ifdef _WIN32
using LibraryHandle = HMODULE;

LibraryHandle Open(const std::string& path) {
  HMODULE handle = ::LoadLibraryA(path.c_str());
  if (handle == nullptr) {
    throw DataError("cannot load the kuv library " + path + " (error " +
                    std::to_string(::GetLastError()) + ")");
  }
  return handle;
}

// void (*)() is the one function type every other converts to and from
// without a warning.
using AnyFunction = void (*)();

AnyFunction Find(LibraryHandle handle, const char* name) {
  return reinterpret_cast<AnyFunction>(::GetProcAddress(handle, name));
}
#else
using LibraryHandle = void*;

LibraryHandle Open(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    throw DataError("cannot load the kuv library: " + std::string(reason ? reason : path));
  }
  return handle;
}

void* Find(LibraryHandle handle, const char* name) { return ::dlsym(handle, name); }
#endif

template <typename Function>
void Resolve(LibraryHandle handle, const char* name, Function* target) {
  const auto symbol = Find(handle, name);
  if (symbol == nullptr) {
    throw DataError(std::string("the kuv library lacks the function ") + name);
  }
  *target = reinterpret_cast<Function>(symbol);
}

KuvLibrary Load() {
  // Never closed: the library's unload step runs when the process exits.
  const LibraryHandle handle = Open(ShippedLibraryPath());
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
