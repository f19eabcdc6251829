// Walks the program's import descriptors to the slot of the function, which the loader filled
// with its address, and writes the replacement there (the import table is read-only once
// loaded, so each write lifts the protection of that one slot for a moment).
#include "support/import_hook.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <typename T>
T* At(HMODULE base, DWORD offset) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(base) + offset);
}

void** FindSlot(const char* dll, const char* function) {
  HMODULE base = ::GetModuleHandleA(nullptr);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = At<const IMAGE_NT_HEADERS>(base, dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return nullptr;
  for (auto* descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); descriptor->Name; ++descriptor) {
    if (::lstrcmpiA(At<const char>(base, descriptor->Name), dll) != 0) continue;
    auto* slots = At<IMAGE_THUNK_DATA>(base, descriptor->FirstThunk);
    const auto* names = descriptor->OriginalFirstThunk ? At<IMAGE_THUNK_DATA>(base, descriptor->OriginalFirstThunk) : slots;
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = At<const IMAGE_IMPORT_BY_NAME>(base, static_cast<DWORD>(names->u1.AddressOfData));
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
        return reinterpret_cast<void**>(&slots->u1.Function);
    }
  }
  return nullptr;
}

}  // namespace

ImportHook::ImportHook(const char* dll, const char* function, void* replacement) {
  void** slot = FindSlot(dll, function);
  if (!slot) {
    ADD_FAILURE() << "this program does not import " << function << " from " << dll;
    return;
  }
  slot_ = slot;
  original_ = *slot_;
  Write(replacement);
}

ImportHook::~ImportHook() {
  if (slot_) Write(original_);
}

void ImportHook::Write(void* value) {
  DWORD protection = 0;
  ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
  *slot_ = value;
  ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
}
