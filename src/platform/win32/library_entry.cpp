// The DLL entry point: the load step runs on process attach and a failure
// refuses the load; the unload step runs on process detach. Thread
// notifications need nothing.
#include "frame/library_state.h"
#include "platform/platform.h"

// After our headers: windows.h names LoadLibrary as a macro.
#include <windows.h>
#undef LoadLibrary

// No exception may leave the entry point: one during the load step (out of
// memory) refuses the load like any other failure.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  try {
    switch (reason) {
      case DLL_PROCESS_ATTACH:
        return kuv::LoadLibrary(kuv::platform::DefaultPlatform()) ? TRUE : FALSE;
      case DLL_PROCESS_DETACH:
        kuv::UnloadLibrary();
        return TRUE;
      default:
        return TRUE;
    }
  } catch (...) {
    return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
  }
}
