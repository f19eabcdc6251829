// The settings dialog, which is also the settings model: the eight settings live in its five
// sliders and three colour panels. Shown, it edits them with a live preview that rebuilds about
// once a second after a change; hidden and short-lived, it loads the stored settings for a
// saver window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/win_handles.h"
#include "forms/controls.h"
#include "forms/form.h"
#include "settings/design_values.h"
#include "settings/setting_controls.h"
#include "settings/settings_preview.h"
#include "settings/settings_store.h"

class Vellix;

class TSetupFrm : public TForm, private SettingControls {
 public:
  // `store` holds the stored settings; `preview` is the live preview the shown dialog opens;
  // `ownerWindow`: the window of another program that opened the dialog (the system's Screen
  // Saver Settings), which owns it, or null.
  TSetupFrm(TApplication* owner, SettingsStore& store, SettingsPreview& preview, HWND ownerWindow = nullptr);

  // Configures a rain field with the controls' current values.
  void ApplySettings(Vellix& rainField);

  // The values as the controls hold them (the settings model).
  const SettingControls& Settings() const { return *this; }
  SettingControls& Settings() { return *this; }

  TTrackBar TrackSpeed;
  TLabel Label1;
  TTrackBar TrackDensity;
  TTrackBar TrackBalance;
  TLabel Label2;
  TLabel Label3;
  TButton ButtonOk;
  TButton ButtonCancel;
  TTrackBar TrackNoise;
  TLabel Label4;
  TLabel Label5;
  TGroupBox GroupBox1;
  TLabel Label6;
  TLabel Label7;
  TPanel NormalButton;
  TPanel LightButton;
  TColorDialog ColorDialog;
  TButton ButtonDefault;
  TPanel PanelVellix;
  TTimer Timer1;
  TLabel Label9;
  TPanel DarkButton;
  TLabel Label10;
  TTrackBar TrackInversion;
  bool SettingsChanged = false;
  DesignValues Defaults;  // DefSpeed ... DefNormalColor, captured at creation

 protected:
  void CreateControls() override;
  void FormCreate() override;
  void FormShow() override;
  void FormClose(CloseAction& action) override;
  void FormDpiChanged() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ButtonOkClick();
  void NormalButtonClick(TPanel& sender);
  void ButtonDefaultClick();
  void Timer1Timer();
  void TrackChange();
  void ButtonClicked(TButton& button);

  // SettingControls: the settings as the controls hold them.
  std::int32_t Get(SettingId id) const override;
  void Set(SettingId id, std::int32_t value) override;
  TTrackBar* SliderFor(SettingId id);
  TPanel* PanelFor(SettingId id);
  TControl* ControlFor(int id);
  UniqueFont DialogFont() const;
  // Widens every label in the group box whose caption is wider than its place, to the right and
  // no further than the group box: the captions stay whole in any font at any DPI.
  void FitLabelCaptions();

  SettingsStore& store_;
  SettingsPreview& preview_;
  UniqueFont font_;
};
