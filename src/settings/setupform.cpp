#include "settings/setupform.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "base/dpi_lookup.h"
#include "engine/vellix.h"
#include "settings/configure_args.h"
#include "settings/settings_persistence.h"
#include "settings/setupform_layout.h"

namespace {

FormLayout SetupLayout(HWND ownerWindow) {
  FormLayout layout;
  layout.ownerWindow = ownerWindow;
  layout.className = "TSetupFrm";
  layout.caption = "Lumivex Settings";
  layout.border = BorderStyle::Dialog;
  layout.background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  layout.stayOnTop = true;
  layout.clientWidth = kSetupClientWidth;
  layout.clientHeight = kSetupClientHeight;
  layout.position = FormPosition::ScreenCenter;
  layout.scaleWithDpi = true;
  layout.dialogKeys = true;
  return layout;
}

constexpr UINT_PTR kTimer1Id = 1;

// Sliders and panels draw no text of their own; every other control takes the dialog's font.
bool ShowsText(SetupControlKind kind) {
  return kind != SetupControlKind::Slider && kind != SetupControlKind::ColourPanel &&
         kind != SetupControlKind::PreviewPanel;
}

}  // namespace

TSetupFrm::TSetupFrm(TApplication* owner, SettingsStore& store, SettingsPreview& preview, HWND ownerWindow)
    : TForm(owner, SetupLayout(ownerWindow)), store_(store), preview_(preview) {}

TTrackBar* TSetupFrm::SliderFor(SettingId id) {
  switch (id) {
    case SettingId::Speed: return &TrackSpeed;
    case SettingId::Density: return &TrackDensity;
    case SettingId::Balance: return &TrackBalance;
    case SettingId::Noise: return &TrackNoise;
    case SettingId::Inversion: return &TrackInversion;
    default: return nullptr;
  }
}

TPanel* TSetupFrm::PanelFor(SettingId id) {
  switch (id) {
    case SettingId::NormalColor: return &NormalButton;
    case SettingId::LightColor: return &LightButton;
    case SettingId::DarkColor: return &DarkButton;
    default: return nullptr;
  }
}

// 8 point at the form's DPI, for every control that shows text. "MS Sans Serif" is a bitmap font
// drawn for 96 DPI: at any other DPI the system would take one of its few fixed sizes (or scale it
// by whole multiples), without ClearType, and the text would not follow the layout's scale. There
// the dialog takes "Microsoft Sans Serif", the outline font of the same design, which the system
// itself puts in its place for dialogs.
UniqueFont TSetupFrm::DialogFont() const {
  const char* face = Dpi() == 96 ? "MS Sans Serif" : "Microsoft Sans Serif";
  return UniqueFont(::CreateFontA(-Scale(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face));
}

void TSetupFrm::CreateControls() {
  font_ = DialogFont();
  HFONT font = font_.Get();
  for (const SetupControlLayout& control : kSetupLayout) {
    const ControlBounds bounds = ClientBounds(control);
    switch (control.kind) {
      case SetupControlKind::OkButton:
        ButtonOk.Create(*this, control.id, control.caption, true, mrOk, bounds, font);
        break;
      case SetupControlKind::CancelButton:
        ButtonCancel.Create(*this, control.id, control.caption, false, mrCancel, bounds, font);
        break;
      case SetupControlKind::RestoreDefaultsButton:
        ButtonDefault.Create(*this, control.id, control.caption, false, mrNone, bounds, font);
        break;
      case SetupControlKind::Slider: {
        const SettingInfo& setting = InfoOf(*control.setting);
        TTrackBar* slider = SliderFor(*control.setting);
        slider->Create(*this, control.id,
                       {setting.minimum, setting.maximum, setting.designValue, control.pageSize, control.tickEvery},
                       bounds);
        slider->OnChange = [this](TTrackBar&) { TrackChange(); };
        break;
      }
      case SetupControlKind::GroupBox:
        GroupBox1.Create(*this, control.id, control.caption, bounds, font);
        break;
      case SetupControlKind::ColourPanel:
        PanelFor(*control.setting)
            ->Create(*this, control.id, static_cast<std::uint32_t>(InfoOf(*control.setting).designValue), true, bounds);
        break;
      case SetupControlKind::PreviewPanel:
        PanelVellix.Create(*this, control.id, 0x00000000, false, bounds);
        break;
      case SetupControlKind::RightLabel:
      case SetupControlKind::LeftLabel:
      case SetupControlKind::CentredLabel: {
        auto* label = static_cast<TLabel*>(ControlFor(control.id));
        const auto alignment = control.kind == SetupControlKind::RightLabel  ? TLabel::Alignment::Right
                               : control.kind == SetupControlKind::LeftLabel ? TLabel::Alignment::Left
                                                                              : TLabel::Alignment::Centre;
        label->Create(*this, control.id, control.caption, alignment,
                      control.kind == SetupControlKind::CentredLabel, bounds, font);
        break;
      }
    }
  }
  FitLabelCaptions();
  SetActiveControl(ButtonOk.Handle());
  Timer1.Create(*this, kTimer1Id, kTimer1Interval);
  Timer1.OnTimer = [this] { Timer1Timer(); };
  SettingsChanged = false;
}

void TSetupFrm::FormDpiChanged() {
  // The same rule as at creation: the table's 96-DPI places, the font and the sliders' thumbs
  // scaled to the new DPI. The old font goes only once no control holds it any more.
  UniqueFont font = DialogFont();
  for (const SetupControlLayout& control : kSetupLayout) {
    TControl* window = ControlFor(control.id);
    window->Place(*this, ClientBounds(control));
    if (ShowsText(control.kind)) window->SetFont(font.Get());
    if (control.kind == SetupControlKind::Slider) {
      ::SendMessageA(window->Handle(), TBM_SETTHUMBLENGTH, Scale(14), 0);
    }
  }
  font_ = std::move(font);
  FitLabelCaptions();
  preview_.FillPanel();
}

// The labels keep their places, scaled to the DPI; only one whose caption would be cut changes.
// The font that stands in for "MS Sans Serif" differs between systems, and a 33-pixel label is
// several pixels short of "Normal" in some of them. Such a label grows to the right, within the
// group box and up to the colour panel beside it; where even that room is short (the panel
// comes a pixel too soon at some DPIs), it takes the missing pixels from the free space on its
// left rather than cut the caption or run under the panel.
void TSetupFrm::FitLabelCaptions() {
  const int edge = SystemMetricForDpi(SM_CXEDGE, Dpi());
  for (const SetupControlLayout& control : kSetupLayout) {
    if (control.kind != SetupControlKind::LeftLabel || !control.inGroupBox) continue;
    auto* label = static_cast<TLabel*>(ControlFor(control.id));
    const ControlBounds bounds = ClientBounds(control);
    int leftLimit = Scale(kGroupBox1Bounds.left) + edge;
    int rightLimit = Scale(kGroupBox1Bounds.left + kGroupBox1Bounds.width) - edge;
    for (const SetupControlLayout& other : kSetupLayout) {
      const ControlBounds place = ClientBounds(other);
      const bool sameRow = place.top < bounds.top + bounds.height && bounds.top < place.top + place.height;
      if (!other.inGroupBox || !sameRow || other.id == control.id) continue;
      if (place.left > bounds.left) rightLimit = std::min(rightLimit, Scale(place.left));
      if (place.left < bounds.left) leftLimit = std::max(leftLimit, Scale(place.left + place.width));
    }
    const int needed = label->CaptionWidth();
    int left = Scale(bounds.left);
    const int right = std::max(left + Scale(bounds.width), std::min(left + needed, rightLimit));
    if (right - left < needed) left = std::max(leftLimit, std::min(left, right - needed));
    ::SetWindowPos(label->Handle(), nullptr, left, Scale(bounds.top), right - left, Scale(bounds.height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

TControl* TSetupFrm::ControlFor(int id) {
  switch (id) {
    case kButtonOk: return &ButtonOk;
    case kButtonCancel: return &ButtonCancel;
    case kButtonDefault: return &ButtonDefault;
    case kTrackSpeed: return &TrackSpeed;
    case kTrackDensity: return &TrackDensity;
    case kTrackBalance: return &TrackBalance;
    case kTrackNoise: return &TrackNoise;
    case kTrackInversion: return &TrackInversion;
    case kGroupBox1: return &GroupBox1;
    case kNormalButton: return &NormalButton;
    case kLightButton: return &LightButton;
    case kDarkButton: return &DarkButton;
    case kPanelVellix: return &PanelVellix;
    case kLabel1: return &Label1;
    case kLabel2: return &Label2;
    case kLabel3: return &Label3;
    case kLabel4: return &Label4;
    case kLabel5: return &Label5;
    case kLabel6: return &Label6;
    case kLabel7: return &Label7;
    case kLabel9: return &Label9;
    case kLabel10: return &Label10;
    default: return nullptr;
  }
}

std::int32_t TSetupFrm::Get(SettingId id) const {
  auto* self = const_cast<TSetupFrm*>(this);
  if (TTrackBar* slider = self->SliderFor(id)) return slider->Position();
  return static_cast<std::int32_t>(self->PanelFor(id)->Color());
}

void TSetupFrm::Set(SettingId id, std::int32_t value) {
  if (TTrackBar* slider = SliderFor(id)) {
    slider->SetPosition(value);
  } else {
    PanelFor(id)->SetColor(static_cast<std::uint32_t>(value));
  }
}

void TSetupFrm::FormCreate() {
  Defaults = CaptureDesignValues(Settings());
  LoadSettings(store_, Settings());
}

void TSetupFrm::ApplySettings(Vellix& rainField) {
  ConfigureRainField(rainField, ConfigureArgsFrom(Settings()));
}

void TSetupFrm::FormShow() {
  preview_.Open(PanelVellix.Handle());
  SettingsChanged = false;
}

void TSetupFrm::FormClose(CloseAction&) { preview_.Close(); }

void TSetupFrm::TrackChange() { SettingsChanged = true; }

void TSetupFrm::ButtonOkClick() { StoreSettings(store_, Settings()); }

void TSetupFrm::NormalButtonClick(TPanel& sender) {
  ColorDialog.Color = sender.Color();
  ColorDialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_PREVENTFULLOPEN | CC_ANYCOLOR;
  if (ColorDialog.Execute(Handle())) sender.SetColor(ColorDialog.Color);
  SettingsChanged = true;
}

void TSetupFrm::ButtonDefaultClick() {
  RestoreDesignValues(Defaults, Settings());
  SettingsChanged = true;
}

void TSetupFrm::Timer1Timer() {
  if (!SettingsChanged) return;
  if (preview_.Window()) {
    // Wipe the old rain at once: the new field starts on a black panel.
    preview_.Wipe();
    if (Vellix* rainField = preview_.RainField()) ApplySettings(*rainField);
  }
  SettingsChanged = false;
}

void TSetupFrm::ButtonClicked(TButton& button) {
  // As with the framework's buttons, the modal result is set before the click handler runs,
  // so the dialog closes even when the handler fails.
  if (button.ModalResult() != mrNone) SetModalResult(button.ModalResult());
  if (&button == &ButtonOk) ButtonOkClick();
  if (&button == &ButtonDefault) ButtonDefaultClick();
}

bool TSetupFrm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case DM_GETDEFID:
      result = MAKELRESULT(kButtonOk, DC_HASDEFID);
      return true;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (code != BN_CLICKED) return false;  // STN_CLICKED has the same value
      switch (id) {
        case kButtonOk: ButtonClicked(ButtonOk); return true;
        case kButtonCancel: ButtonClicked(ButtonCancel); return true;
        case kButtonDefault: ButtonClicked(ButtonDefault); return true;
        case kNormalButton: NormalButtonClick(NormalButton); return true;
        case kLightButton: NormalButtonClick(LightButton); return true;
        case kDarkButton: NormalButtonClick(DarkButton); return true;
      }
      return false;
    }
    case WM_HSCROLL: {
      for (TTrackBar* slider : {&TrackSpeed, &TrackDensity, &TrackBalance, &TrackNoise, &TrackInversion}) {
        if (reinterpret_cast<HWND>(lParam) == slider->Handle()) slider->Scrolled();
      }
      result = 0;
      return true;
    }
    case WM_TIMER:
      if (wParam == Timer1.Id() && Timer1.OnTimer) {
        Timer1.OnTimer();
        return true;
      }
      return false;
  }
  return false;
}
