#include "app/entry.h"

#include <string>

#include "app/command_line.h"
#include "app/saver_wiring.h"
#include "base/exception.h"
#include "base/globals.h"
#include "base/win_handles.h"
#include "forms/application.h"
#include "platform/saver_services.h"
#include "platform/window_dpi.h"
#include "saver/vellixfrm.h"
#include "settings/setupform.h"

namespace {

HWND WindowFromNumber(const std::string& argumentText) {
  // Window handles travel as signed 32-bit numbers; sign-extend as the system does.
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(StrToInt(NumberText(argumentText))));
}

// Takes the named mutex; an empty handle when another instance already holds one by that name.
// When the mutex cannot be made at all, the mode runs without one.
bool TakeInstanceMutex(const char* name, UniqueKernelHandle& kept) {
  UniqueKernelHandle mutex(::CreateMutexA(nullptr, TRUE, name));
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
  kept = std::move(mutex);
  return true;
}

// The window the system's Screen Saver Settings opens the dialog for (/c:N or /c N): the dialog
// belongs to it. Without a number, or with one that is no window, the dialog opens on its own:
// the number is never an error.
HWND SettingsOwner(const std::string& argumentText) {
  try {
    HWND window = WindowFromNumber(argumentText);
    return ::IsWindow(window) ? window : nullptr;
  } catch (const Exception&) {
    return nullptr;
  }
}

void RunSettings(SaverWiring& wiring, HWND ownerWindow) {
  SetupFrm = wiring.NewSetupForm(ownerWindow);
  SetupFrm->ShowModal();
  Application->DestroyForm(SetupFrm);
  SetupFrm = nullptr;
}

// A system preview runs with its host's DPI awareness, for the whole of its life. A child window
// must share its parent's awareness: the system refuses a child of another awareness under a
// parent that does not ask for mixed hosting (nothing tells whether a host of another process
// does), and from Windows 10 1703 creating one under a parent of another process resets the
// awareness of the whole process. With the host's awareness the preview is made, sized and drawn
// in the host's own pixels: sharp at the host's DPI when the host is aware, stretched together
// with the host when it is not, and filling the host either way. The idle loop reads the host's
// size and DPI outside any message of the preview, so the thread keeps that awareness until the
// preview ends, not just while the window is created. Full-screen windows keep the process's own
// per-monitor awareness.
//
// A preview that cannot have its host's awareness, or whose window did not come out with the
// host's awareness and DPI, would draw in the wrong pixels: it ends quietly, as when its window
// cannot be made. It runs in the background behind the system's settings page, where an error
// box would only stand in the user's way, and the page starts another preview when it needs one.
//
// The full-screen path, also taken by a preview (PreviewParent decides which). False when
// another instance of the same kind runs: nothing is shown then.
bool RunSaver(SaverWiring& wiring, UniqueKernelHandle& kept) {
  if (PreviewParent) {
    if (!TakeInstanceMutex("VellixMutex", kept)) {
      // A second preview: let the running saver pick up changed settings, then leave.
      ::PostMessageA(HWND_BROADCAST, InitMessage, 0, 0);
      return false;
    }
  } else if (!TakeInstanceMutex("VellixMutex2", kept)) {
    return false;
  }
  const ThreadDpiAwarenessOf hostAwareness(PreviewParent);  // nothing for full-screen windows
  if (hostAwareness.Refused()) return true;
  Application->CreateForm(VellixForm, wiring.Applier());
  if (PreviewParent && !SharesDpiOf(VellixForm->Handle(), PreviewParent)) return true;
  Application->Run();
  return true;
}

}  // namespace

int LumivexEntry(const char* argumentText, SaverWiring& wiring) {
  InitMessage = ::RegisterWindowMessageA("LumivexInit");
  Application->SetTitle("Lumivex Screensaver");
  UniqueKernelHandle kept;

  // Every failure, ours or the standard library's (out of memory, a length error), ends in the
  // exception box, and the process still ends with 0: nothing leaves through std::terminate.
  Application->Guard([&] {
    const std::string arguments = argumentText ? argumentText : "";
    switch (ModeOf(arguments)) {
      case RunMode::kPasswordChange:
        try {
          ChangeSaverPassword(WindowFromNumber(arguments));
        } catch (...) {
          // A bad handle or a failing system dialog: nothing to tell the user.
        }
        break;
      case RunMode::kSettings:
        RunSettings(wiring, SettingsOwner(arguments));
        break;
      case RunMode::kPreview:
        PreviewParent = WindowFromNumber(arguments);
        RunAsSaver = true;
        try {
          RunSaver(wiring, kept);
        } catch (...) {
          // The preview's window could not be made (its host went while it started, or the system
          // would not make it): nobody is there to tell. A box would wait behind the settings page,
          // keeping the preview mutex so that no later preview could start. It ends at once.
        }
        break;
      case RunMode::kSaver:
        RunAsSaver = true;
        RunSaver(wiring, kept);
        break;
      case RunMode::kPlain:
        RunSaver(wiring, kept);
        break;
    }
  });
  kept.Reset();
  ::ShowWindow(Application->Handle(), SW_HIDE);
  return 0;
}
