// Where the saver window and the settings dialog meet. At run time each needs the other: the
// dialog shows a saver window as its live preview, and a saver window loads its settings through
// the open dialog or, when none is open, a hidden, short-lived one. Neither names the other;
// this is the one place that does, and the entry hands it to both. It works on the process's
// application object and must outlive every form of it.
#pragma once

#include "saver/vellixfrm.h"
#include "settings/settings_preview.h"
#include "settings/settings_store.h"

class TSetupFrm;
class Vellix;

class SaverWiring final : public SettingsPreview {
 public:
  explicit SaverWiring(SettingsStore& store) : store_(store) {}

  // A settings dialog owned by the application, reading and writing `store`; its window is owned
  // by `ownerWindow` when that is given (the window of the program that opened it).
  TSetupFrm* NewSetupForm(HWND ownerWindow = nullptr);
  // What every saver window is handed: ApplySettings below.
  SettingsApplier Applier();
  // Configures `rainField` with the open dialog's values (SetupFrm), or else with the stored
  // settings, read by a hidden temporary dialog that is gone again when this returns.
  void ApplySettings(Vellix& rainField);

  // The dialog's preview: VellixForm inside the dialog's preview panel.
  void Open(HWND panel) override;
  HWND Window() const override;
  Vellix* RainField() const override;
  void FillPanel() override;
  void Wipe() override;
  void Close() override;

 private:
  SettingsStore& store_;
};
