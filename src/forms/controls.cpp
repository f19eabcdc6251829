#include "forms/controls.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "base/exception.h"
#include "base/win_handles.h"
#include "forms/form.h"

TControl::TControl(TControl&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

TControl& TControl::operator=(TControl&& other) noexcept {
  if (this != &other) {
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void TControl::CreateChild(TForm& form, int id, const char* className, const std::string& text,
                           DWORD style, const ControlBounds& bounds, HFONT font) {
  id_ = id;
  handle_ = ::CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                              form.Scale(bounds.left), form.Scale(bounds.top), form.Scale(bounds.width),
                              form.Scale(bounds.height), form.Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                              nullptr);
  if (!handle_) throw Exception(std::string("Error creating window of class ") + className);
  if (font) ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TControl::Place(const TForm& form, const ControlBounds& bounds) {
  ::SetWindowPos(handle_, nullptr, form.Scale(bounds.left), form.Scale(bounds.top), form.Scale(bounds.width),
                 form.Scale(bounds.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetFont(HFONT font) { ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void TLabel::Create(TForm& form, int id, const std::string& caption, Alignment alignment, bool wordWrap,
                    const ControlBounds& bounds, HFONT font) {
  DWORD style = SS_NOPREFIX;
  switch (alignment) {
    case Alignment::Left: style |= wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP; break;
    case Alignment::Right: style |= SS_RIGHT; break;
    case Alignment::Centre: style |= SS_CENTER; break;
  }
  CreateChild(form, id, "STATIC", caption, style, bounds, font);
}

int TLabel::CaptionWidth() const {
  char text[256] = {};
  const int length = ::GetWindowTextA(Handle(), text, sizeof text);
  if (length == 0) return 0;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  ScopedSelect selectFont(dc.Get(), font ? font : ::GetStockObject(SYSTEM_FONT));
  SIZE size{};
  ::GetTextExtentPoint32A(dc.Get(), text, length, &size);
  if (size.cx <= 0 || size.cy <= 0) return 0;
  // The text drawn white on black into a 32-bit image, read back for its last lit column.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueBitmap image(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!image || !bits) return size.cx;
  ScopedSelect selectImage(dc.Get(), image.Get());
  ::SetBkColor(dc.Get(), RGB(0, 0, 0));
  ::SetTextColor(dc.Get(), RGB(255, 255, 255));
  const RECT all{0, 0, size.cx, size.cy};
  ::ExtTextOutA(dc.Get(), 0, 0, ETO_OPAQUE, &all, text, length, nullptr);
  ::GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (int x = size.cx - 1; x >= 0; --x)
    for (int y = 0; y < size.cy; ++y)
      if (pixels[y * size.cx + x] & 0x00FFFFFF) return x + 1;
  return 0;
}

void TGroupBox::Create(TForm& form, int id, const std::string& caption, const ControlBounds& bounds,
                       HFONT font) {
  CreateChild(form, id, "BUTTON", caption, BS_GROUPBOX | WS_CLIPSIBLINGS, bounds, font);
}

void TButton::Create(TForm& form, int id, const std::string& caption, bool isDefault, int modalResult,
                     const ControlBounds& bounds, HFONT font) {
  modalResult_ = modalResult;
  CreateChild(form, id, "BUTTON", caption,
              WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), bounds, font);
}

void TTrackBar::Create(TForm& form, int id, const Settings& settings, const ControlBounds& bounds) {
  minimum_ = settings.minimum;
  maximum_ = settings.maximum;
  CreateChild(form, id, TRACKBAR_CLASSA, "",
              WS_TABSTOP | TBS_HORZ | TBS_TOP | TBS_AUTOTICKS | TBS_FIXEDLENGTH, bounds, nullptr);
  HWND bar = Handle();
  ::SendMessageA(bar, TBM_SETRANGEMIN, FALSE, minimum_);
  ::SendMessageA(bar, TBM_SETRANGEMAX, FALSE, maximum_);
  ::SendMessageA(bar, TBM_SETTICFREQ, settings.tickFrequency, 0);
  ::SendMessageA(bar, TBM_SETPAGESIZE, 0, settings.pageSize);
  ::SendMessageA(bar, TBM_SETLINESIZE, 0, 1);
  ::SendMessageA(bar, TBM_SETTHUMBLENGTH, form.Scale(14), 0);
  ::SendMessageA(bar, TBM_SETPOS, TRUE, settings.position);
}

std::int32_t TTrackBar::Position() const {
  return static_cast<std::int32_t>(::SendMessageA(Handle(), TBM_GETPOS, 0, 0));
}

void TTrackBar::SetPosition(std::int32_t position) {
  const std::int32_t clamped = std::clamp(position, minimum_, maximum_);
  if (clamped == Position()) return;
  ::SendMessageA(Handle(), TBM_SETPOS, TRUE, clamped);
  if (OnChange) OnChange(*this);
}

void TTrackBar::Scrolled() {
  if (OnChange) OnChange(*this);
}

namespace {
const char kPanelClass[] = "TPanel";
}

void TPanel::Create(TForm& form, int id, std::uint32_t color, bool raised, const ControlBounds& bounds) {
  static const bool registered = [] {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TPanel::WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPanelClass;
    return ::RegisterClassExA(&windowClass) != 0;
  }();
  (void)registered;
  color_ = color;
  raised_ = raised;
  CreateChild(form, id, kPanelClass, "", WS_CLIPCHILDREN, bounds, nullptr);
  Adopt();
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

TPanel::TPanel(TPanel&& other) noexcept
    : TControl(std::move(other)), color_(other.color_), raised_(other.raised_), pressed_(other.pressed_) {
  Adopt();
}

TPanel& TPanel::operator=(TPanel&& other) noexcept {
  TControl::operator=(std::move(other));
  color_ = other.color_;
  raised_ = other.raised_;
  pressed_ = other.pressed_;
  Adopt();
  return *this;
}

void TPanel::Adopt() {
  if (Handle()) ::SetWindowLongPtrA(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TPanel::SetColor(std::uint32_t color) {
  color_ = color;
  if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT CALLBACK TPanel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* panel = reinterpret_cast<TPanel*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT client;
      ::GetClientRect(window, &client);
      if (panel) {
        // Only the low three bytes are a colour; the stored value keeps its top byte.
        UniqueBrush brush(::CreateSolidBrush(panel->color_ & 0x00FFFFFF));
        RECT inside = client;
        if (panel->raised_) {
          ::DrawEdge(dc, &inside, EDGE_RAISED, BF_RECT | BF_ADJUST);
        }
        ::FillRect(dc, &inside, brush.Get());
      }
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
      // Held until the release, so that the release comes here wherever it happens.
      ::SetCapture(window);
      if (panel) panel->pressed_ = true;
      return 0;
    case WM_LBUTTONUP: {
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT client;
      ::GetClientRect(window, &client);
      const bool clicked = panel && panel->pressed_ && ::PtInRect(&client, at);
      if (panel) panel->pressed_ = false;
      if (::GetCapture() == window) ::ReleaseCapture();
      if (clicked) {
        ::SendMessageA(::GetParent(window), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(window), STN_CLICKED),
                       reinterpret_cast<LPARAM>(window));
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      // Another window took the mouse (a menu, a dialog): the press is void.
      if (panel) panel->pressed_ = false;
      return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

TTimer::~TTimer() { Kill(); }

TTimer::TTimer(TTimer&& other) noexcept
    : OnTimer(std::move(other.OnTimer)),
      window_(std::exchange(other.window_, nullptr)),
      id_(std::exchange(other.id_, 0)) {}

TTimer& TTimer::operator=(TTimer&& other) noexcept {
  if (this != &other) {
    Kill();
    OnTimer = std::move(other.OnTimer);
    window_ = std::exchange(other.window_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void TTimer::Kill() {
  if (window_ && ::IsWindow(window_)) ::KillTimer(window_, id_);
  window_ = nullptr;
}

void TTimer::Create(TForm& form, UINT_PTR id, UINT intervalMs) {
  Kill();
  window_ = form.Handle();
  id_ = id;
  ::SetTimer(window_, id_, intervalMs, nullptr);
}

bool TColorDialog::Execute(HWND owner) {
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.rgbResult = Color;
  choose.lpCustColors = customColors_.data();
  choose.Flags = Flags;
  if (!::ChooseColorA(&choose)) return false;
  Color = choose.rgbResult;
  return true;
}
