// Load and unload notifications of the shared library: the load step runs
// when the library is loaded into a process, the unload step when it is
// unloaded. A failed load step leaves every export returning 0.
#include "frame/library_state.h"
#include "platform/platform.h"

namespace {

__attribute__((constructor)) void OnLibraryLoad() {
  kuv::LoadLibrary(kuv::platform::DefaultPlatform());
}

__attribute__((destructor)) void OnLibraryUnload() { kuv::UnloadLibrary(); }

}  // namespace
