#include "app/saver_wiring.h"

#include "base/globals.h"
#include "forms/application.h"
#include "settings/setupform.h"

TSetupFrm* SaverWiring::NewSetupForm(HWND ownerWindow) {
  return Application->NewForm<TSetupFrm>(store_, *this, ownerWindow);
}

SettingsApplier SaverWiring::Applier() {
  return [this](Vellix& rainField) { ApplySettings(rainField); };
}

void SaverWiring::ApplySettings(Vellix& rainField) {
  if (SetupFrm) {
    SetupFrm->ApplySettings(rainField);
    return;
  }
  // No dialog open: a hidden, short-lived one reads the stored settings.
  TSetupFrm* temporary = NewSetupForm();
  SetupFrm = temporary;
  struct Release {
    TApplication& owner;
    TSetupFrm* form;
    ~Release() {
      SetupFrm = nullptr;
      owner.DestroyForm(form);
    }
  } release{*Application, temporary};
  temporary->ApplySettings(rainField);
}

void SaverWiring::Open(HWND panel) {
  if (VellixForm) return;
  PreviewParent = panel;
  // The preview draws at the dialog's scale, which follows the monitor the dialog is on.
  VellixForm = Application->NewForm<TVellixForm>(Applier(), SetupFrm ? SetupFrm->Dpi() : 0);
  VellixForm->Show();
}

HWND SaverWiring::Window() const { return VellixForm ? VellixForm->Handle() : nullptr; }

Vellix* SaverWiring::RainField() const { return VellixForm ? VellixForm->RainField.get() : nullptr; }

void SaverWiring::FillPanel() {
  if (!VellixForm || !PreviewParent) return;
  RECT panel{};
  ::GetClientRect(PreviewParent, &panel);
  VellixForm->PlaceAt(panel, SetupFrm ? SetupFrm->Dpi() : 0);
}

void SaverWiring::Wipe() {
  if (VellixForm) VellixForm->WipeRain();
}

void SaverWiring::Close() {
  if (VellixForm) VellixForm->Close();
}
