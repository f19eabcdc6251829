// What a message box of this process showed, read and dismissed from another thread while the
// box's own modal loop runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

struct MessageBoxSeen {
  bool found = false;
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
  // Captions of the process's other visible top-level windows that still took input while the
  // box was up.
  std::vector<std::string> enabledBeneath;
};

// Waits up to 30 s (or until `stop`) for a visible dialog box of this process, reads it and
// presses its last button.
MessageBoxSeen ReadAndDismissMessageBox(const std::atomic<bool>& stop);
