#include "forms/form.h"

#include <algorithm>
#include <set>
#include <string>

#include "base/dpi_lookup.h"
#include "base/exception.h"
#include "forms/application.h"

namespace {

// The rectangle a window fills on the screen, and the work area of the monitor it is on (the
// screen without the task bar).
RECT WindowRectOf(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

RECT WorkAreaNear(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// `length` centred over the span from `low` to `high`, kept inside `areaLow` to `areaHigh` as far
// as it fits (its start first).
int CentreWithin(int low, int high, int length, int areaLow, int areaHigh) {
  const int start = low + (high - low - length) / 2;
  return std::max(areaLow, std::min(start, areaHigh - length));
}

}  // namespace

TForm::TForm(TApplication* owner, FormLayout layout) : owner_(owner), layout_(std::move(layout)) {
  // A form opened for another program's window comes up on that window's monitor.
  if (layout_.scaleWithDpi) {
    HWND ownerWindow = OwnerWindow();
    dpi_ = ownerWindow ? MonitorDpi(::MonitorFromWindow(ownerWindow, MONITOR_DEFAULTTONEAREST)) : SystemDpi();
  }
}

HWND TForm::OwnerWindow() const {
  return layout_.ownerWindow && ::IsWindow(layout_.ownerWindow) ? layout_.ownerWindow : nullptr;
}

SIZE TForm::FrameSizeAt(int dpi, DWORD style, DWORD exStyle) const {
  const int scale = layout_.scaleWithDpi ? dpi : 96;
  RECT frame{0, 0, ::MulDiv(layout_.clientWidth, scale, 96), ::MulDiv(layout_.clientHeight, scale, 96)};
  AdjustFrameForDpi(frame, style, exStyle, dpi);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

TForm::~TForm() {
  if (handle_) {
    ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    ::DestroyWindow(handle_);
  }
}

int TForm::Scale(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }

const char* TForm::RegisterWindowClass() {
  static std::set<std::string> registered;
  if (registered.insert(layout_.className).second) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = layout_.classStyle | CS_DBLCLKS;
    windowClass.lpfnWndProc = &TForm::WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hIcon = ::LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(100));
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = layout_.background;
    windowClass.lpszClassName = layout_.className;
    ::RegisterClassExA(&windowClass);
  }
  return layout_.className;
}

void TForm::CreateParams(CreateParamsRecord& params) {
  params.caption = layout_.caption;
  if (layout_.border == BorderStyle::None) {
    params.style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  } else {
    // No WS_CLIPCHILDREN: a group box paints only its frame, so the form must paint under it.
    params.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
    params.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  }
  if (layout_.stayOnTop) params.exStyle |= WS_EX_TOPMOST;

  const SIZE size = FrameSizeAt(dpi_, params.style, params.exStyle);
  params.width = size.cx;
  params.height = size.cy;
  HWND ownerWindow = OwnerWindow();
  if (layout_.position == FormPosition::ScreenCenter && ownerWindow) {
    // Over the window that opened it, and wholly on that window's monitor.
    const RECT over = WindowRectOf(ownerWindow);
    const RECT area = WorkAreaNear(ownerWindow);
    params.x = CentreWithin(over.left, over.right, params.width, area.left, area.right);
    params.y = CentreWithin(over.top, over.bottom, params.height, area.top, area.bottom);
  } else if (layout_.position == FormPosition::ScreenCenter) {
    params.x = (::GetSystemMetrics(SM_CXSCREEN) - params.width) / 2;
    params.y = (::GetSystemMetrics(SM_CYSCREEN) - params.height) / 2;
  } else {
    params.x = Scale(layout_.left);
    params.y = Scale(layout_.top);
  }
  // Owned by the window that opened it, or else by the application's window, which carries the
  // task-bar button.
  params.parent = ownerWindow ? ownerWindow : owner_ ? owner_->Handle() : nullptr;
}

void TForm::Create() {
  CreateParamsRecord params;
  CreateParams(params);
  handle_ = ::CreateWindowExA(params.exStyle, RegisterWindowClass(), params.caption.c_str(),
                              params.style, params.x, params.y, params.width, params.height,
                              params.parent, nullptr, ::GetModuleHandleA(nullptr), this);
  if (!handle_) throw Exception("Error creating window");
  if (layout_.scaleWithDpi && WindowDpi(handle_) != dpi_) {
    // Laid out for the monitor the window opens on: size and place it again at that DPI.
    dpi_ = WindowDpi(handle_);
    CreateParams(params);
    ::SetWindowPos(handle_, nullptr, params.x, params.y, params.width, params.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CreateControls();
  owner_->Guard([this] { FormCreate(); });
}

void TForm::Destroy() {
  destroying_ = true;
  owner_->Guard([this] { FormDestroy(); });
  if (handle_) ::DestroyWindow(handle_);
}

TForm* TForm::FromHandle(HWND window) {
  if (!window) return nullptr;
  // Only our own classes carry a form pointer; check the procedure before trusting the data.
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)) != &TForm::WindowProc) {
    return nullptr;
  }
  return reinterpret_cast<TForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool TForm::Visible() const { return handle_ && ::IsWindowVisible(handle_); }

void TForm::Show() {
  if (!handle_ || Visible()) return;
  const bool topLevel = (::GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) == 0;
  if (topLevel && layout_.taskBarButton && owner_->Handle()) ::ShowWindow(owner_->Handle(), SW_SHOWNA);
  owner_->Guard([this] { FormShow(); });
  ::ShowWindow(handle_, topLevel ? SW_SHOW : SW_SHOWNA);
}

void TForm::Hide() {
  if (handle_) ::ShowWindow(handle_, SW_HIDE);
}

void TForm::SetBounds(const RECT& bounds) {
  ::SetWindowPos(handle_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::BringToFront() {
  ::SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  FormCloseQuery(canClose);
  return canClose;
}

void TForm::Close() {
  if (modal_) {
    // The modal loop sees the result and closes the form through the same handlers.
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  CloseAction action = CloseAction::Hide;
  FormClose(action);
  if (action == CloseAction::None) return;
  if (owner_->MainForm() == this) {
    owner_->Terminate();
  } else {
    Hide();
  }
}

void TForm::CloseModal() {
  bool closing = false;
  owner_->Guard([&] { closing = CloseQuery(); });
  if (!closing) {
    modalResult_ = mrNone;
    return;
  }
  CloseAction action = CloseAction::Hide;
  owner_->Guard([&] { FormClose(action); });
  if (action == CloseAction::None) modalResult_ = mrNone;
}

int TForm::ShowModal() {
  // As a dialog box does, the form keeps the window that opened it from taking input while it
  // runs, and gives it input back before it hides, so that the activation returns to it. A window
  // that was disabled already is left as it is.
  struct DisabledOwner {
    HWND window;
    explicit DisabledOwner(HWND owner)
        : window(owner && ::IsWindowEnabled(owner) ? owner : nullptr) {
      if (window) ::EnableWindow(window, FALSE);
    }
    ~DisabledOwner() { Enable(); }
    void Enable() {
      if (window && ::IsWindow(window)) ::EnableWindow(window, TRUE);
      window = nullptr;
    }
  } disabledOwner(OwnerWindow());

  modal_ = true;
  modalResult_ = mrNone;
  Show();
  ::SetForegroundWindow(handle_);
  while (!owner_->Terminated()) {
    owner_->HandleMessage();
    if (modalResult_ != mrNone) {
      CloseModal();
      if (modalResult_ != mrNone) break;
    }
  }
  modal_ = false;
  disabledOwner.Enable();
  Hide();
  return modalResult_;
}

bool TForm::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT TForm::Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  bool handled = false;
  owner_->Guard([&] { handled = HandleMessage(message, wParam, lParam, result); });
  if (handled) return result;

  switch (message) {
    case WM_CLOSE:
      owner_->Guard([this] { Close(); });
      return 0;
    case WM_ACTIVATE:
      if (activeControl_) {
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focus = ::GetFocus();
          if (focus && ::IsChild(window, focus)) activeControl_ = focus;
        } else if (::IsWindow(activeControl_)) {
          ::SetFocus(activeControl_);
          return 0;
        }
      }
      break;
    case WM_GETDPISCALEDSIZE:
      if (layout_.scaleWithDpi) {
        // The system would scale the whole window, frame and all, in proportion: the frame does
        // not scale so, and the client area would come out a few pixels off the layout. Asked
        // for the layout's size at the new DPI instead, it suggests exactly that.
        *reinterpret_cast<SIZE*>(lParam) = FrameSizeAt(static_cast<int>(wParam),
                                                       static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)),
                                                       static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE)));
        return TRUE;
      }
      break;
    case WM_DPICHANGED:
      if (layout_.scaleWithDpi) {
        // Moved to a monitor of other scaling: lay out again at its DPI, in the system's rectangle.
        dpi_ = LOWORD(wParam);
        owner_->Guard([this] { FormDpiChanged(); });
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(layout_.cursorHidden ? nullptr : ::LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_DESTROY:
      // A main window destroyed from outside (a preview whose host went away) ends the program.
      if (!destroying_ && owner_->MainForm() == this) owner_->Terminate();
      break;
    case WM_NCDESTROY:
      handle_ = nullptr;
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* form = static_cast<TForm*>(create->lpCreateParams);
    form->handle_ = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return form->Route(window, message, wParam, lParam);
}
