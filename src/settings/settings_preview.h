// The settings dialog's live preview as the dialog sees it: a window inside the dialog's preview
// panel that holds a rain field. The window itself belongs to a layer above the dialog, so the
// dialog is handed this at start-up and never names the window's type.
#pragma once

#include <windows.h>

class Vellix;

class SettingsPreview {
 public:
  virtual ~SettingsPreview() = default;
  // Makes and shows the preview inside `panel`, unless a preview exists already.
  virtual void Open(HWND panel) = 0;
  // The preview's window and rain field; null while there is none.
  virtual HWND Window() const = 0;
  virtual Vellix* RainField() const = 0;
  // Makes the preview fill its panel again after the panel changed size, with a rain field
  // rebuilt for the new size.
  virtual void FillPanel() = 0;
  // Blackens the preview at once, rain and all.
  virtual void Wipe() = 0;
  virtual void Close() = 0;
};
