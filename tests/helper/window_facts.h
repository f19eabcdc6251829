// What the end-to-end tests can learn about the windows of a Wine session, read from outside
// the programs that own them: every window with its class, caption, styles and placement,
// the message boxes with their text, and the pressing of a button by its caption.
#pragma once

#include <windows.h>

#include <string>

// Window handles travel as decimal numbers, the form a screen saver gets on its command line.
std::string HandleText(HWND window);
HWND HandleFromText(const std::string& text);

// All windows, top-level and children at any depth, as a JSON array of objects.
std::string WindowListJson();

// The dialog-class windows (message boxes among them) with their static text and buttons.
std::string DialogListJson();

// Clicks the button captioned `caption` (accelerator ampersands ignored) inside `root`,
// or `root` itself when it is that button. False when there is no such button.
bool PressButton(HWND root, const std::wstring& caption);
