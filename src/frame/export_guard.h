// Every export runs its body through one of these guards, so that no
// exception (std::bad_alloc included) ever crosses into the host: it
// becomes the result 0.
#ifndef KUV_FRAME_EXPORT_GUARD_H_
#define KUV_FRAME_EXPORT_GUARD_H_

#include "frame/library_state.h"

namespace kuv {

// Whether the caller gave every pointer.
template <typename... Pointers>
bool AllGiven(const Pointers*... pointers) {
  return ((pointers != nullptr) && ...);
}

template <typename Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return 0;
  }
}

// Runs body with the state; 0 when the library is unusable.
template <typename Body>
int WithState(Body&& body) noexcept {
  return Guarded([&]() -> int {
    LibraryState* state = CurrentState();
    return state == nullptr ? 0 : body(*state);
  });
}

// Runs body with the state of an attached library; 0 otherwise.
template <typename Body>
int WhenAttached(Body&& body) noexcept {
  return WithState([&](LibraryState& state) -> int { return state.attached() ? body(state) : 0; });
}

}  // namespace kuv

#endif  // KUV_FRAME_EXPORT_GUARD_H_
