// The entry's last line of defence, run in this process exactly as the program runs it: a failure
// that leaves a run mode, a standard exception (out of memory, a length error) or anything else
// thrown, is shown in the exception box with a clear text, and the entry still returns 0.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <thread>

#include "app/entry.h"
#include "app/saver_wiring.h"
#include "base/globals.h"
#include "forms/application.h"
#include "saver/vellixfrm.h"
#include "settings/registry_store.h"
#include "support/message_box.h"

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

}  // namespace
