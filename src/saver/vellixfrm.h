// The window the rain is drawn on: full-screen (a primary on the first monitor and one
// secondary per further monitor), a child of the system's preview host, or a child of the
// settings dialog's preview panel. Each window owns one rain field over its own canvas; the
// primary drives every field from the application's idle time and, full-screen, closes the
// saver on user input through the application's message filter, and when another program takes
// the foreground, which, full-screen, it keeps other programs from taking while it runs (the
// user's Alt or click lifts that lock). The primary stops every field while the display is off, the full-screen
// primary keeps one window on every monitor as monitors come and go, and a preview keeps filling
// its host's client area as the host changes size. Each window draws at the scale of the monitor
// it is on: its field takes the glyph sheet of that scale step, and is rebuilt when the step
// changes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "engine/present_pacer.h"
#include "engine/vellix.h"
#include "forms/form.h"
#include "platform/dib_image.h"
#include "platform/display_power.h"
#include "platform/foreground_lock.h"
#include "platform/power_status.h"
#include "platform/window_picture.h"

// Configures a rain field with the settings of the moment: the open settings dialog's values
// while one exists, otherwise the stored settings. Handed in by whoever wires the program.
using SettingsApplier = std::function<void(Vellix& rainField)>;

class TVellixForm : public TForm {
 public:
  // Primary window: the main saver window or the settings dialog's preview. `dpi`: the DPI the
  // window is shown at when its maker knows it (the dialog's, for its preview); 0: the window
  // finds out (a full-screen window from the monitor list, a preview from its host window).
  TVellixForm(TApplication* owner, SettingsApplier applySettings, int dpi = 0);
  // Secondary window on a further monitor, shown at `dpi` (0: not known, the window asks).
  TVellixForm(TApplication* owner, SettingsApplier applySettings, const RECT& rect, int dpi = 0);

  // Applies the settings dialog's values while one exists, otherwise the stored settings.
  void ReloadSettings();
  // Moves the window to `rect`, shown at `dpi` (0: as before); when its size or its scale step
  // changes, its rain field is rebuilt for them with the current settings.
  void PlaceAt(const RECT& rect, int dpi = 0);
  // The window is now shown at `dpi` (0: find out again); rebuilds the field, on black, when
  // that changes the scale step.
  void FollowDpi(int dpi);
  // The scale step the rain field was built for.
  std::int32_t ScaleStep() const { return scaleStep_; }
  // Full-screen primary only: one window on each rectangle of `Monitors`, the primary on the
  // first; secondary windows made, moved or destroyed to match.
  void FollowMonitors();
  // Blackens the whole window at once, rain and all; the field keeps its grid and actors.
  void WipeRain();
  // Where the window (and, for a primary, its secondaries) reads whether the system saves
  // energy; read again at once. Tests hand in their own reader.
  void UsePowerStatus(PowerStatusReader reader);
  // How many times a second the window may show what the rain drew.
  std::int32_t PresentsPerSecond() const { return presents_.Rate(); }

 private:
  // Declared before the rain field, so they outlive it: the field draws into the picture
  // the window keeps.
  DibImageFactory images_;
  std::unique_ptr<WindowPicture> canvas_;
  SettingsApplier applySettings_;

 public:
  POINT CursorStart{};
  bool IsPrimary = false;
  std::unique_ptr<std::vector<TVellixForm*>> SecondaryForms;
  RECT ScreenRect{};
  std::unique_ptr<Vellix> RainField;

 protected:
  void CreateParams(CreateParamsRecord& params) override;
  void FormCreate() override;
  void FormShow() override;
  void FormCloseQuery(bool& canClose) override;
  void FormClose(CloseAction& action) override;
  void FormDestroy() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ProcessInput(MSG& message, bool& handled);
  // Where the cursor stands now becomes the place mouse moves are measured from.
  void TakeCursorStart();
  void IdleStep(TApplication* sender, bool& done);
  RECT ChooseRect();
  // The DPI the window is shown at: the one it was told, else a preview's host's, else its own.
  int CurrentDpi() const;
  int PreviewHostDpi() const;
  void BuildRainField();
  // Starts the rain afresh on black with a field for the window's present size and scale.
  void RebuildRain();
  void AddSecondary(const RECT& rect, int dpi);
  // A preview only: takes the host's client size when it has changed.
  void FollowHost();
  void DisplayStateChanged(DisplayState state);
  // Polls the field's pacer, and shows on the window what the steps drew when a present is due.
  void StepRain();
  // How long the idle pass may pause before the next pass: until the nearest step is due, or
  // the nearest present that has something to show.
  int PauseBeforeNextPass() const;
  int MillisecondsToNextWork() const;
  // Takes the present rate of the window's monitor and of the system's power state.
  void FollowPresentRate();
  // The power state changed: every window of the saver takes its new rate.
  void FollowPowerStatus();

  std::unique_ptr<DisplayStateWatch> displayWatch_;  // primary windows only
  // Full-screen primary only, from the moment it has the foreground until the saver ends.
  std::unique_ptr<ForegroundLock> foregroundLock_;
  std::unique_ptr<EnergySaverWatch> energySaverWatch_;  // primary windows only
  PowerStatusReader powerStatus_ = &::GetSystemPowerStatus;
  PresentPacer presents_;
  int dpi_ = 0;  // the DPI the window was told it is shown at; 0: not told
  int cursorStartDpi_ = 0;  // the DPI of the monitor CursorStart lies on
  std::int32_t scaleStep_ = kDesignScaleStep;
  bool displayOff_ = false;
  // True while the password provider is asking; further close requests are refused meanwhile.
  bool askingPassword_ = false;
};
