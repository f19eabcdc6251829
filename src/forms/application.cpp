#include "forms/application.h"

#include <commctrl.h>

#include <algorithm>
#include <new>
#include <stdexcept>

#include "base/exception.h"
#include "forms/form.h"

TApplication* Application = nullptr;

namespace {

const char kApplicationClass[] = "TApplication";

LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateApplicationWindow(const std::string& title) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &ApplicationWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(100));
  windowClass.lpszClassName = kApplicationClass;
  ::RegisterClassExA(&windowClass);
  // A captioned window of no size: invisible on screen, it carries the task-bar button.
  return ::CreateWindowExA(0, kApplicationClass, title.c_str(),
                           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                           ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2,
                           0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

std::string ExceptionBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

TApplication::TApplication() {
  // Trackbars live in the common controls library, which registers them on request.
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&classes);
  window_ = CreateApplicationWindow(title_);
  Application = this;
}

TApplication::~TApplication() {
  // Forms go first, newest first, each through its destruction handler.
  while (!forms_.empty()) DestroyForm(forms_.back().get());
  if (window_) ::DestroyWindow(window_);
  if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (window_) ::SetWindowTextA(window_, title_.c_str());
}

void TApplication::Adopt(std::unique_ptr<TForm> form) { forms_.push_back(std::move(form)); }

void TApplication::DestroyForm(TForm* form) {
  auto found = std::find_if(forms_.begin(), forms_.end(),
                            [form](const std::unique_ptr<TForm>& owned) { return owned.get() == form; });
  if (found == forms_.end()) return;
  std::unique_ptr<TForm> doomed = std::move(*found);
  forms_.erase(found);
  if (mainForm_ == form) mainForm_ = nullptr;
  doomed->Destroy();
}

std::string FailureText() {
  try {
    throw;
  } catch (const Exception& error) {
    return error.Message();
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::length_error&) {
    // A container asked for more than it can ever hold: to the user, memory ran out.
    return "Out of memory";
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "Unexpected failure";
  }
}

void TApplication::ShowException(const std::string& message) {
  // Task-modal: every window of this thread takes no input while the box is up, so that the
  // button whose failure it reports cannot be pressed again behind it.
  ::MessageBoxA(nullptr, ExceptionBoxText(message).c_str(), title_.c_str(),
                MB_OK | MB_ICONERROR | MB_TOPMOST | MB_TASKMODAL);
}

void TApplication::Guard(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    // Exceptions must not unwind through the system's frames; the loop goes on.
    ShowException(FailureText());
  }
}

void TApplication::Run() {
  if (mainForm_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  ::PostQuitMessage(0);
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) Guard([&] { OnMessage(msg, handled); });
  if (handled) return true;
  if (msg.hwnd && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    TForm* form = TForm::FromHandle(root);
    if (form && form->WantsDialogKeys() && ::IsDialogMessageA(root, &msg)) return true;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
  return true;
}

void TApplication::Idle() {
  bool done = true;
  if (OnIdle) Guard([&] { OnIdle(this, done); });
  if (done) ::WaitMessage();
}
