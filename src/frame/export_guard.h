// Every export runs its body through one of these guards, so that no
// exception (std::bad_alloc included) ever crosses into the host: it
// becomes the result 0.
#ifndef KUV_FRAME_EXPORT_GUARD_H_
#define KUV_FRAME_EXPORT_GUARD_H_

#include "frame/library_state.h"

namespace kuv {

template <typename Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return 0;
  }
}

// Runs body with the state record; 0 when the library is unusable.
template <typename Body>
int WithState(Body&& body) noexcept {
  return Guarded([&]() -> int {
    LibraryState* state = CurrentState();
    return state == nullptr ? 0 : body(*state);
  });
}

// Runs body with the state record of an attached library; 0 otherwise.
template <typename Body>
int WhenAttached(Body&& body) noexcept {
  return WithState([&](LibraryState& state) -> int {
    return state.attached ? body(state) : 0;
  });
}

// Publishes a call's error record as the current one for the call's
// duration.
class CurrentErrorScope {
 public:
  CurrentErrorScope(LibraryState& state, CErrorInfo& error) : state_(state) {
    state_.currentError = &error;
  }
  ~CurrentErrorScope() { state_.currentError = nullptr; }
  CurrentErrorScope(const CurrentErrorScope&) = delete;
  CurrentErrorScope& operator=(const CurrentErrorScope&) = delete;

 private:
  LibraryState& state_;
};

}  // namespace kuv

#endif  // KUV_FRAME_EXPORT_GUARD_H_
