// The application object: one per process. It owns every form, runs the message loop with one
// message-filter slot (sees every queued message of every window of the process before it is
// dispatched) and one idle slot (called whenever the queue is empty), runs modal loops that call
// the same slots, keeps its own hidden task-bar window, and shows exceptions in its box.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TForm;
class TApplication;

using MessageHandler = std::function<void(MSG& message, bool& handled)>;
using IdleHandler = std::function<void(TApplication* sender, bool& done)>;

class TApplication {
 public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  void SetTitle(const std::string& title);

  // Makes a form owned by the application and runs its creation handler. `reference` is set
  // before the handler runs; the first form made this way becomes the main form.
  template <typename Form, typename... Args>
  void CreateForm(Form*& reference, Args&&... args) {
    auto form = std::make_unique<Form>(this, std::forward<Args>(args)...);
    reference = form.get();
    Adopt(std::move(form));
    reference->Create();
    if (!mainForm_) mainForm_ = reference;
  }
  // Makes a form owned by the application that never becomes the main form.
  template <typename Form, typename... Args>
  Form* NewForm(Args&&... args) {
    auto form = std::make_unique<Form>(this, std::forward<Args>(args)...);
    Form* raw = form.get();
    Adopt(std::move(form));
    raw->Create();
    return raw;
  }
  // Destroys a form before the application does (runs its destruction handler).
  void DestroyForm(TForm* form);

  TForm* MainForm() const { return mainForm_; }
  HWND Handle() const { return window_; }

  void Run();
  void HandleMessage();           // one message, or one idle pass when the queue is empty
  bool ProcessMessage(MSG& msg);  // false when the queue was empty
  void Terminate();
  bool Terminated() const { return terminated_; }

  MessageHandler OnMessage;
  IdleHandler OnIdle;

  // The exception box: title as caption, error icon, one OK button.
  void ShowException(const std::string& message);
  // Runs `action`; whatever it throws goes to the box, as FailureText puts it.
  void Guard(const std::function<void()>& action);

 private:
  void Adopt(std::unique_ptr<TForm> form);
  void Idle();

  std::string title_;
  HWND window_ = nullptr;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// The framework's single application instance (null before one is made).
extern TApplication* Application;

// What the box says about the exception being handled (call it inside a catch block): the
// message of an Exception, "Out of memory" for an allocation or length failure, the standard
// library's text of any other standard exception, "Unexpected failure" for anything else.
std::string FailureText();

// The exception box text: a full stop is appended when the last character sorts after ".".
std::string ExceptionBoxText(const std::string& message);
