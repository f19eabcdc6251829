// The entry's last line of defence, run in this process exactly as the program runs it: a failure
// that leaves a run mode, a standard exception (out of memory, a length error) or anything else
// thrown, is shown in the exception box with a clear text, and the entry still returns 0; but a
// system preview whose window cannot be made ends quietly, with no box behind the settings page.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/entry.h"
#include "app/saver_wiring.h"
#include "base/globals.h"
#include "forms/application.h"
#include "saver/vellixfrm.h"
#include "settings/registry_store.h"
#include "support/import_hook.h"
#include "support/message_box.h"
#include "support/test_window.h"

namespace {

enum class Failure { OutOfMemory, LengthError, NotAnException };

// The next allocation of this many bytes fails, once, in the way `failure` says.
std::atomic<std::size_t> failingSize{0};
std::atomic<Failure> failure{Failure::OutOfMemory};

}  // namespace

void* operator new(std::size_t size) {
  if (size != 0 && failingSize.load() == size && failingSize.exchange(0) == size) {
    switch (failure.load()) {
      case Failure::OutOfMemory: throw std::bad_alloc();
      case Failure::LengthError: throw std::length_error("vector::reserve");
      case Failure::NotAnException: throw 42;
    }
  }
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

TEST(EntryTest, FailuresEndInTheExceptionBoxAndTheEntryReturnsZero) {
  struct Case {
    const char* name;
    Failure failure;
    const char* text;
  };
  const Case cases[] = {
      {"out of memory", Failure::OutOfMemory, "Out of memory."},
      {"length error", Failure::LengthError, "Out of memory."},
      {"not an exception", Failure::NotAnException, "Unexpected failure."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegistryStore store;
    SaverWiring wiring(store);
    TApplication application;
    std::atomic<bool> stop{false}, returned{false};
    MessageBoxSeen box;
    std::thread reader([&, thread = ::GetCurrentThreadId()] {
      box = ReadAndDismissMessageBox(stop);
      // Should the saver run instead of failing, a key press ends it: the test fails, not hangs.
      for (const ULONGLONG deadline = ::GetTickCount64() + 30000; !returned && ::GetTickCount64() < deadline;) {
        ::Sleep(20);
      }
      if (!returned) ::PostThreadMessageA(thread, WM_KEYDOWN, VK_SPACE, 0);
    });
    // The saver's main window is the first thing of its size the full-screen mode makes.
    failure = c.failure;
    failingSize = sizeof(TVellixForm);
    const int code = LumivexEntry("/s", wiring);
    returned = true;
    const bool trapSprung = failingSize == 0;
    failingSize = 0;
    stop = true;
    reader.join();

    EXPECT_TRUE(trapSprung);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(box.found) << "no exception box appeared";
    EXPECT_EQ(box.caption, "Lumivex Screensaver");
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(VellixForm, nullptr);
    RunAsSaver = false;
  }
}

// The system makes no saver window (as when it refuses a child of another awareness under the
// host); every other window is made as usual.
decltype(&::CreateWindowExA) realCreateWindowEx = nullptr;

HWND WINAPI CreateWindowExWithoutSaverWindows(DWORD exStyle, LPCSTR className, LPCSTR caption, DWORD style, int x,
                                              int y, int width, int height, HWND parent, HMENU menu,
                                              HINSTANCE instance, LPVOID parameter) {
  if (!IS_INTRESOURCE(className) && std::string(className) == "TVellixForm") {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return realCreateWindowEx(exStyle, className, caption, style, x, y, width, height, parent, menu, instance,
                            parameter);
}

TEST(EntryTest, APreviewWhoseWindowCannotBeMadeWhileItsHostLivesEndsQuietly) {
  RegistryStore store;
  SaverWiring wiring(store);
  TApplication application;
  TestWindow host(20, 20, 200, 150);
  ImportHook hook("user32.dll", "CreateWindowExA", reinterpret_cast<void*>(&CreateWindowExWithoutSaverWindows));
  ASSERT_TRUE(hook.Hooked());
  realCreateWindowEx = hook.Original<decltype(&::CreateWindowExA)>();

  std::atomic<bool> stop{false};
  MessageBoxSeen box;
  std::thread reader([&] { box = ReadAndDismissMessageBox(stop); });
  const std::string arguments = "/p " + std::to_string(static_cast<int>(reinterpret_cast<INT_PTR>(host.Handle())));
  const int code = LumivexEntry(arguments.c_str(), wiring);
  stop = true;
  reader.join();

  EXPECT_EQ(code, 0);
  EXPECT_FALSE(box.found) << "a box said: " << box.text;
  EXPECT_TRUE(::IsWindow(host.Handle()));
  PreviewParent = nullptr;
  RunAsSaver = false;
  VellixForm = nullptr;
}

}  // namespace
