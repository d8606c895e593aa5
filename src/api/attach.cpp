// KuvAttach: reads the template and attaches the library.
#include <string>

#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvAttach(char** errorMessage) {
  if (errorMessage == nullptr) return 0;
  return kuv::WithState([&](kuv::LibraryState& state) {
    std::string message;
    const bool attached = state.Attach(message);
    *errorMessage = state.HandOut(0, message);
    return attached ? 1 : 0;
  });
}
