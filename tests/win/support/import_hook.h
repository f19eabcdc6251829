// Stands in for one function that this test program imports from a system DLL, for the
// calls the program's own code makes through its import table, until the hook goes. It lets a
// test see calls whose effect Wine does not show (GDI's batching, the default window
// procedure's handling of a system command) without any seam in the code under test.
#pragma once

#include <windows.h>

class ImportHook {
 public:
  // `dll` as the program imports it ("gdi32.dll"), `function` by name. Fails the test and
  // hooks nothing when the program does not import it.
  ImportHook(const char* dll, const char* function, void* replacement);
  ~ImportHook();
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  // The function the program imported, for a replacement that passes calls on.
  template <typename Function>
  Function Original() const {
    return reinterpret_cast<Function>(original_);
  }
  bool Hooked() const { return slot_ != nullptr; }

 private:
  void Write(void* value);

  void** slot_ = nullptr;
  void* original_ = nullptr;
};
