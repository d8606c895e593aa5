// What the shared library does when it is loaded and unloaded: the load
// step reads the registered template's path; a failed load step refuses
// the load where the system lets it (Windows), and leaves every export
// returning 0 elsewhere.
#include "frame/library_state.h"
#include "platform/platform.h"

namespace kuv::platform {

bool LibraryLoaded() { return kuv::LoadLibrary(DefaultPlatform()); }

void LibraryUnloading() { kuv::UnloadLibrary(); }

}  // namespace kuv::platform
