// The shared library's load and unload notifications on POSIX systems: the
// library above the platform takes them (LibraryLoaded, LibraryUnloading).
#include "platform/platform.h"

namespace {

__attribute__((constructor)) void OnLibraryLoad() { kuv::platform::LibraryLoaded(); }

__attribute__((destructor)) void OnLibraryUnload() { kuv::platform::LibraryUnloading(); }

}  // namespace
