#include "saver/vellixfrm.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "base/globals.h"
#include "engine/tick_count.h"
#include "forms/application.h"
#include "platform/idle_pause.h"
#include "platform/monitors.h"
#include "platform/saver_services.h"
#include "platform/window_dpi.h"
#include "saver/input_rules.h"

namespace {

FormLayout VellixLayout() {
  FormLayout layout;
  layout.className = "TVellixForm";
  layout.border = BorderStyle::None;
  layout.background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  layout.stayOnTop = true;
  layout.cursorHidden = true;
  layout.taskBarButton = false;  // a saver never shows in the task bar
  layout.left = 432;
  layout.top = 206;
  layout.clientWidth = 322;
  layout.clientHeight = 411;
  // Each step's cells are copied onto the window between messages: keep one DC for its life.
  layout.classStyle = CS_OWNDC;
  return layout;
}

CursorPoint ToCursorPoint(POINT point) { return {point.x, point.y}; }

// Consecutive polls of a pacer are at least this far apart.
constexpr int kShortestPauseMs = 5;
// The longest pause, whatever the step interval: the loop still looks at a preview's host
// that often.
constexpr int kLongestPauseMs = 100;

// The part of the host a preview fills: its client area, inside any border the host has. A
// host that is gone gives an empty one.
RECT HostClientRect(HWND host) {
  RECT client{};
  if (!::GetClientRect(host, &client)) return RECT{};
  return client;
}

bool SameSize(const RECT& a, const RECT& b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

}  // namespace

TVellixForm::TVellixForm(TApplication* owner, SettingsApplier applySettings, int dpi)
    : TForm(owner, VellixLayout()), applySettings_(std::move(applySettings)), dpi_(dpi) {
  IsPrimary = true;
}

TVellixForm::TVellixForm(TApplication* owner, SettingsApplier applySettings, const RECT& rect, int dpi)
    : TForm(owner, VellixLayout()), applySettings_(std::move(applySettings)), dpi_(dpi) {
  IsPrimary = false;
  ScreenRect = rect;
}

void TVellixForm::CreateParams(CreateParamsRecord& params) {
  TForm::CreateParams(params);
  if (PreviewParent) {
    params.parent = PreviewParent;
    params.style = (params.style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
    params.exStyle &= ~WS_EX_TOPMOST;
  }
}

RECT TVellixForm::ChooseRect() {
  if (PreviewParent) {
    SetCursorHidden(false);
    return HostClientRect(PreviewParent);
  }
  if (!IsPrimary) return ScreenRect;

  // No monitor reported: cover the whole desktop rather than nothing.
  if (Monitors.List.empty()) return VirtualScreenRect();
  for (std::size_t i = 1; i < Monitors.List.size(); ++i) AddSecondary(Monitors.List[i]->Rect, Monitors.List[i]->Dpi);
  dpi_ = Monitors.List.front()->Dpi;
  return Monitors.List.front()->Rect;
}

// A preview works at its host's scale: the host was made for the monitor it is on, and the
// preview is created with the host's DPI awareness (see the preview mode), so the host's DPI is
// the one its pixels are counted in.
int TVellixForm::PreviewHostDpi() const { return WindowDpi(PreviewParent); }

int TVellixForm::CurrentDpi() const {
  if (dpi_ > 0) return dpi_;
  if (PreviewParent) return PreviewHostDpi();
  return WindowDpi(Handle());
}

void TVellixForm::AddSecondary(const RECT& rect, int dpi) {
  auto* secondary = Owner()->NewForm<TVellixForm>(applySettings_, rect, dpi);
  secondary->UsePowerStatus(powerStatus_);
  secondary->Show();
  SecondaryForms->push_back(secondary);
}

void TVellixForm::BuildRainField() {
  // The new field is complete before the old one goes, and the old field goes before the
  // picture it draws into: a failure leaves the window with its old field, still whole.
  const std::int32_t step = ScaleStepForDpi(CurrentDpi());
  auto canvas = std::make_unique<WindowPicture>(Handle());
  auto field = std::make_unique<Vellix>(*canvas, images_, ScreenRect.right - ScreenRect.left,
                                        ScreenRect.bottom - ScreenRect.top, step);
  RainField = std::move(field);
  canvas_ = std::move(canvas);
  scaleStep_ = step;
  FollowPresentRate();
}

void TVellixForm::FormCreate() {
  if (IsPrimary) SecondaryForms = std::make_unique<std::vector<TVellixForm*>>();
  TakeCursorStart();
  ScreenRect = ChooseRect();
  SetBounds(ScreenRect);
  BuildRainField();
  ReloadSettings();
  if (IsPrimary) {
    if (!PreviewParent && RunAsSaver) SaverRunningOn();
    displayWatch_ = std::make_unique<DisplayStateWatch>(Handle());
    energySaverWatch_ = std::make_unique<EnergySaverWatch>(Handle());
    Owner()->OnIdle = [this](TApplication* sender, bool& done) { IdleStep(sender, done); };
  }
}

void TVellixForm::FormShow() {
  SetBounds(ScreenRect);
  if (!SetupFrm) ::ShowWindow(Owner()->Handle(), SW_HIDE);
  if (!PreviewParent && IsPrimary) {
    Owner()->OnMessage = [this](MSG& message, bool& handled) { ProcessInput(message, handled); };
    BringToFront();
  }
}

void TVellixForm::ProcessInput(MSG& message, bool&) {
  POINT cursor{};
  if (message.message == WM_MOUSEMOVE) ::GetCursorPos(&cursor);
  const InputResponse response = RespondToInput(message.message, InitMessage, ToCursorPoint(cursor),
                                                ToCursorPoint(CursorStart), cursorStartDpi_);
  if (response.reloadSettings) {
    // Every monitor shows the same settings: the secondary windows reload with the primary.
    ReloadSettings();
    if (SecondaryForms) {
      for (TVellixForm* secondary : *SecondaryForms) secondary->ReloadSettings();
    }
  }
  if (response.close) Close();
}

// The cursor is read in the pixels of the monitor it is on (the saver is aware of each monitor's
// scale), so the tolerance of a mouse move is that of the monitor where the cursor started.
void TVellixForm::TakeCursorStart() {
  ::GetCursorPos(&CursorStart);
  cursorStartDpi_ = MonitorDpiAt(CursorStart);
}

void TVellixForm::FormCloseQuery(bool& canClose) {
  if (!PreviewParent && RunAsSaver) {
    // A password prompt dispatches our messages while it is up; a close request among them
    // must not open a second prompt over the first, nor close the saver behind its back.
    if (askingPassword_) {
      canClose = false;
      return;
    }
    askingPassword_ = true;
    struct Asked {
      bool& flag;
      ~Asked() { flag = false; }
    } asked{askingPassword_};
    canClose = VerifySaverPassword(Handle());
    if (!canClose) TakeCursorStart();
  }
}

void TVellixForm::FormClose(CloseAction&) {
  foregroundLock_.reset();
  displayWatch_.reset();
  energySaverWatch_.reset();
  if (!PreviewParent) SaverRunningOff();
  RainField.reset();
  canvas_.reset();
  if (!PreviewParent) ::SetCursorPos(CursorStart.x, CursorStart.y);
}

void TVellixForm::IdleStep(TApplication*, bool& done) {
  // A system preview whose host has gone (the settings page closed or switched savers) must
  // not linger holding the preview mutex: the next preview would find it and show nothing.
  if (PreviewParent && RunAsSaver && !::IsWindow(PreviewParent)) {
    Close();
    return;
  }
  if (PreviewParent) FollowHost();
  // With the display off nothing is polled or drawn, and the loop sleeps until a message comes.
  if (displayOff_) {
    done = true;
    return;
  }
  StepRain();
  if (IsPrimary && SecondaryForms) {
    for (TVellixForm* secondary : *SecondaryForms) secondary->StepRain();
  }
  done = false;
  ProcessIdlePause().Wait(PauseBeforeNextPass());
}

// A message ends the pause at once, so nothing waits longer for it; what the pause saves is
// the passes that would only find nothing due yet, each of them a wake-up of the processor.
int TVellixForm::PauseBeforeNextPass() const {
  int pause = std::min(kLongestPauseMs, MillisecondsToNextWork());
  if (IsPrimary && SecondaryForms) {
    for (const TVellixForm* secondary : *SecondaryForms) pause = std::min(pause, secondary->MillisecondsToNextWork());
  }
  return std::max(pause, kShortestPauseMs);
}

int TVellixForm::MillisecondsToNextWork() const {
  if (!RainField) return kLongestPauseMs;
  return ::MillisecondsToNextWork(RainField->timer.MillisecondsToDue(), presents_.MillisecondsToDue(TickCount()),
                                  canvas_->HasChanges());
}

// A host may change size while the preview runs (a settings page laid out again, a resizable
// host): the preview keeps filling its client area, with a field built for the new size.
void TVellixForm::FollowHost() {
  const RECT client = HostClientRect(PreviewParent);
  if (client.right <= 0 || client.bottom <= 0 || SameSize(client, ScreenRect)) return;
  PlaceAt(client);
}

// A due present is made before the idle pass goes on, so the steps it shows are on the
// window when the loop next looks at its queue.
void TVellixForm::StepRain() {
  if (!RainField) return;
  RainField->timer.Poll();
  if (presents_.Poll(TickCount(), canvas_->HasChanges())) canvas_->Present();
}

// A preview is a small picture in a dialog; a full-screen window shows no more than its monitor.
void TVellixForm::FollowPresentRate() {
  PresentLimits limits;
  limits.preview = PreviewParent != nullptr;
  limits.refreshHz = limits.preview ? 0 : Monitors.RefreshAt(ScreenRect);
  limits.savingBattery = EnergySaverOn(powerStatus_);
  presents_.SetRate(::PresentsPerSecond(limits));
}

void TVellixForm::FollowPowerStatus() {
  FollowPresentRate();
  if (IsPrimary && SecondaryForms) {
    for (TVellixForm* secondary : *SecondaryForms) secondary->FollowPresentRate();
  }
}

void TVellixForm::UsePowerStatus(PowerStatusReader reader) {
  powerStatus_ = reader;
  if (IsPrimary && SecondaryForms) {
    for (TVellixForm* secondary : *SecondaryForms) secondary->powerStatus_ = reader;
  }
  FollowPowerStatus();
}

void TVellixForm::WipeRain() {
  if (canvas_) {
    canvas_->Clear();
    canvas_->Present();
  } else if (Handle()) {
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ::UpdateWindow(Handle());
  }
}

void TVellixForm::FormDestroy() {
  foregroundLock_.reset();
  displayWatch_.reset();
  energySaverWatch_.reset();
  if (IsPrimary) SecondaryForms.reset();
  // The field draws on the canvas, and the canvas shows through the window's own DC: both go
  // while the window still exists.
  RainField.reset();
  canvas_.reset();
}

void TVellixForm::ReloadSettings() {
  if (RainField && applySettings_) applySettings_(*RainField);
}

// The window repaints from the picture it keeps, so an uncovered part shows the rain that was
// there; without a picture (before the field is built, after closing) it is erased to black.
bool TVellixForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      if (!canvas_) return false;
      result = 1;  // the paint that follows covers every pixel
      return true;
    case WM_PAINT:
      if (!canvas_) return false;
      {
        PaintScope paint(Handle());
        canvas_->Paint(paint.Dc(), paint.Area());
      }
      result = 0;
      return true;
    case WM_POWERBROADCAST:
      if (const auto state = DisplayStateOf(wParam, lParam); state && IsPrimary) {
        DisplayStateChanged(*state);
        result = TRUE;
        return true;
      }
      if (PowerStatusMayHaveChanged(wParam, lParam) && IsPrimary) {
        FollowPowerStatus();
        result = TRUE;
        return true;
      }
      return false;
    case WM_ACTIVATE:
      // The primary window is active, so the saver has the foreground: from now on no program may
      // take it behind the user's back (the system lets one, long after the last input, and it
      // would end the saver). A window that still gets it (the user pressed Alt or clicked, which
      // lifts the lock) ends the saver as below. A preview and the settings dialog never lock:
      // the user is working beside them. Not before the window is complete, nor once it closed.
      if (LOWORD(wParam) != WA_INACTIVE && IsPrimary && !PreviewParent && RainField &&
          !(foregroundLock_ && foregroundLock_->Locked())) {
        foregroundLock_ = std::make_unique<ForegroundLock>();
      }
      return false;
    case WM_ACTIVATEAPP:
      // Another program took the foreground (its dialog, a notification that takes the focus):
      // the keys the user presses now go to it, so they could no longer end the saver that
      // still covers it. The system sends this straight to the window procedure, past the
      // message filter. Activation moving between our own windows (another monitor's, the
      // password prompt) sends none. Closed through the queue, so that a password prompt is not
      // shown in the middle of the system's activation change.
      if (!wParam && IsPrimary && !PreviewParent) ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
      return false;
    case WM_SYSCOMMAND:
      // The system asks the foreground window to start the screen saver; over a running saver
      // that would start a second one.
      if (!PreviewParent && (wParam & 0xFFF0) == SC_SCREENSAVE) {
        result = 0;
        return true;
      }
      return false;
    case WM_DPICHANGED:
      // The scale of the monitor changed, or the window is now on a monitor of another scale. A
      // full-screen window stays on the rectangle of its monitor (the monitor list says where),
      // so the system's suggested rectangle is not taken: only the rain follows the new scale.
      if (PreviewParent) return false;
      FollowDpi(LOWORD(wParam));
      result = 0;
      return true;
    case WM_DPICHANGED_AFTERPARENT:
      // A preview's host changed its scale: take it again from the host.
      if (PreviewParent && dpi_ == 0) FollowDpi(0);
      return false;
    case WM_DISPLAYCHANGE:
      if (IsPrimary && !PreviewParent) {
        Monitors.Rebuild();
        FollowMonitors();
      }
      return false;
  }
  return false;
}

void TVellixForm::DisplayStateChanged(DisplayState state) {
  const bool wasOff = displayOff_;
  displayOff_ = state == DisplayState::Off;
  if (!wasOff || displayOff_) return;
  // Back on: wake the loop, which waits for a message while the display is off. The pacers
  // then fire at most once each and go on from there, without catching up. A monitor that
  // slept may come back to another place in the list, so the list is read again.
  ::PostMessageA(Handle(), WM_NULL, 0, 0);
  if (!PreviewParent) {
    Monitors.Rebuild();
    FollowMonitors();
  }
}
