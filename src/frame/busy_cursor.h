// Shows the wait cursor for as long as it lives; the previous cursor comes
// back on every way out of the scope.
#ifndef KUV_FRAME_BUSY_CURSOR_H_
#define KUV_FRAME_BUSY_CURSOR_H_

#include "platform/platform.h"

namespace kuv {

class CBusyCursor {
 public:
  explicit CBusyCursor(platform::Platform& platform)
      : platform_(platform), previous_(platform.ShowWaitCursor()) {}
  ~CBusyCursor() { platform_.RestoreCursor(previous_); }
  CBusyCursor(const CBusyCursor&) = delete;
  CBusyCursor& operator=(const CBusyCursor&) = delete;

 private:
  platform::Platform& platform_;
  void* previous_;
};

}  // namespace kuv

#endif  // KUV_FRAME_BUSY_CURSOR_H_
