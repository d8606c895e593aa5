#include "frame/library_state.h"

#include <cstring>

namespace kuv {

namespace {
constexpr const char* kTemplateValueName = "FileName";

}  // namespace

namespace detail {
LibraryState* g_state = nullptr;
}  // namespace detail
using detail::g_state;

bool LoadLibrary(platform::Platform& platform) {
  UnloadLibrary();
  auto state = std::make_unique<LibraryState>(platform);
  std::unique_ptr<platform::RegistryKey> key = platform.OpenTemplateKey();
  if (!key) key = platform.CreateTemplateKey();
  if (!key) return false;
  if (std::optional<std::string> path = key->QueryValue(kTemplateValueName)) {
    state->templatePath = path->substr(0, path->find('\0'));
  }
  key.reset();
  g_state = state.release();
  return true;
}

void UnloadLibrary() {
  if (g_state == nullptr) return;
  Detach(*g_state);
  delete g_state;
  g_state = nullptr;
}

void ObjectNameList::Assign(const CObjectStore& store) {
  Free();
  copies_.reserve(store.objects().size());
  pointers_.reserve(store.objects().size() + 1);  // never a null array
  for (const auto& object : store.objects()) {
    auto copy = std::make_unique<char[]>(object->id.size() + 1);
    std::memcpy(copy.get(), object->id.c_str(), object->id.size() + 1);
    pointers_.push_back(copy.get());
    copies_.push_back(std::move(copy));
  }
}

void ObjectNameList::Free() {
  pointers_.clear();
  pointers_.shrink_to_fit();
  copies_.clear();
  copies_.shrink_to_fit();
}

void Detach(LibraryState& state) {
  state.valueList.reset();
  state.ClearDataStore();
  state.templateStore.Clear();
  state.dataStream.reset();
  for (SlotBuffer& slot : state.slots) slot.Free();
  state.objectNames.Free();
  state.attached = false;
}

}  // namespace kuv
