#include "saver/vellixfrm.h"

#include <cstdlib>
#include <utility>

#include "base/globals.h"
#include "forms/application.h"
#include "platform/monitors.h"
#include "platform/saver_services.h"
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
  // The rain draws straight onto the window between messages: keep one DC for its life.
  layout.classStyle = CS_OWNDC;
  return layout;
}

CursorPoint ToCursorPoint(POINT point) { return {point.x, point.y}; }

}  // namespace

TVellixForm::TVellixForm(TApplication* owner, SettingsApplier applySettings)
    : TForm(owner, VellixLayout()), applySettings_(std::move(applySettings)) {
  IsPrimary = true;
}

TVellixForm::TVellixForm(TApplication* owner, SettingsApplier applySettings, const RECT& rect)
    : TForm(owner, VellixLayout()), applySettings_(std::move(applySettings)) {
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
    RECT host{};
    ::GetWindowRect(PreviewParent, &host);
    return RECT{0, 0, host.right - host.left, host.bottom - host.top};
  }
  if (!IsPrimary) return ScreenRect;

  if (Monitors.List.empty()) {
    // No monitor reported: cover the whole desktop rather than nothing.
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  }
  for (std::size_t i = 1; i < Monitors.List.size(); ++i) {
    auto* secondary = Owner()->NewForm<TVellixForm>(applySettings_, Monitors.List[i]->Rect);
    secondary->Show();
    SecondaryForms->push_back(secondary);
  }
  return Monitors.List.front()->Rect;
}

void TVellixForm::BuildRainField() {
  canvas_ = std::make_unique<WindowCanvas>(Handle());
  RainField = std::make_unique<Vellix>(*canvas_, images_, ScreenRect.right - ScreenRect.left,
                                       ScreenRect.bottom - ScreenRect.top);
}

void TVellixForm::FormCreate() {
  if (IsPrimary) SecondaryForms = std::make_unique<std::vector<TVellixForm*>>();
  ::GetCursorPos(&CursorStart);
  ScreenRect = ChooseRect();
  SetBounds(ScreenRect);
  BuildRainField();
  ReloadSettings();
  if (IsPrimary) {
    if (!PreviewParent && RunAsSaver) SaverRunningOn();
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
  const InputResponse response = RespondToInput(message.message, InitMessage,
                                                ToCursorPoint(cursor), ToCursorPoint(CursorStart));
  if (response.reloadSettings) ReloadSettings();
  if (response.close) Close();
}

void TVellixForm::FormCloseQuery(bool& canClose) {
  if (!PreviewParent && RunAsSaver) {
    canClose = VerifySaverPassword(Handle());
    if (!canClose) ::GetCursorPos(&CursorStart);
  }
}

void TVellixForm::FormClose(CloseAction&) {
  if (!PreviewParent) SaverRunningOff();
  RainField.reset();
  if (!PreviewParent) ::SetCursorPos(CursorStart.x, CursorStart.y);
}

void TVellixForm::IdleStep(TApplication*, bool& done) {
  // A system preview whose host has gone (the settings page closed or switched savers) must
  // not linger holding the preview mutex: the next preview would find it and show nothing.
  if (PreviewParent && RunAsSaver && !::IsWindow(PreviewParent)) {
    Close();
    return;
  }
  if (RainField) RainField->timer.Poll();
  if (IsPrimary && SecondaryForms) {
    for (TVellixForm* secondary : *SecondaryForms) {
      if (secondary->RainField) secondary->RainField->timer.Poll();
    }
  }
  done = false;
  ::Sleep(5);
}

void TVellixForm::FormDestroy() {
  if (IsPrimary) SecondaryForms.reset();
  // The field draws on the canvas, and the canvas is the window's own DC: both go while the
  // window still exists.
  RainField.reset();
  canvas_.reset();
}

void TVellixForm::ReloadSettings() {
  if (RainField && applySettings_) applySettings_(*RainField);
}
