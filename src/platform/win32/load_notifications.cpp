// The DLL entry point: process attach is the load notification, and its
// refusal refuses the load; process detach is the unload notification.
// Thread notifications need nothing. The library above the platform takes
// them (LibraryLoaded, LibraryUnloading).
#include <windows.h>

#include "platform/platform.h"

// No exception may leave the entry point: one during the load step (out of
// memory) refuses the load like any other failure.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH:
        return kuv::platform::LibraryLoaded() ? TRUE : FALSE;
      case DLL_PROCESS_DETACH:
        kuv::platform::LibraryUnloading();
        return TRUE;
      default:
        return TRUE;
    }
  } catch (...) {
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
  }
}
