#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvDetach(void) {
  return kuv::WithState([](kuv::LibraryState& state) {
    state.Detach();
    return 1;
  });
}
