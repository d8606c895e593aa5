// The IDs handed out by KuvObjectList: an array of separately allocated,
// zero-terminated copies, owned until the next KuvObjectList or KuvDetach.
#ifndef KUV_FRAME_OBJECT_NAME_LIST_H_
#define KUV_FRAME_OBJECT_NAME_LIST_H_

#include <memory>
#include <vector>

#include "model/object_store.h"

namespace kuv {

class ObjectNameList {
 public:
  // Replaces the copies with those of the store's IDs, in store order.
  void Assign(const CObjectStore& store);
  void Free();
  // Never null, even for no names.
  char** array() { return pointers_.data(); }
  int count() const { return static_cast<int>(pointers_.size()); }

 private:
  std::vector<std::unique_ptr<char[]>> copies_;
  std::vector<char*> pointers_;
};

}  // namespace kuv

#endif  // KUV_FRAME_OBJECT_NAME_LIST_H_
