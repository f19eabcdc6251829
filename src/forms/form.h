// A top-level or child window with the handlers a form needs: creation, show, close query,
// close and destruction, and a hook on the window-creation parameters. The window procedure
// only routes messages to these handlers; an exception leaving a handler goes to the
// application's exception box and the program goes on.
#pragma once

#include <windows.h>

#include <string>

class TApplication;

enum class BorderStyle { None, Dialog };
enum class FormPosition { Designed, ScreenCenter };
// What closing does with a form: nothing (stays open), or hide it; the main form ends the loop.
enum class CloseAction { None, Hide };

// Modal results, the values of the standard dialog commands.
constexpr int mrNone = 0;
constexpr int mrOk = IDOK;
constexpr int mrCancel = IDCANCEL;

// What a form looks like before its creation handler runs; kept as data by each form.
struct FormLayout {
  const char* className = "TForm";
  std::string caption;
  BorderStyle border = BorderStyle::Dialog;
  HBRUSH background = nullptr;  // class brush that erases the client area
  bool stayOnTop = false;
  bool cursorHidden = false;
  int left = 0, top = 0, clientWidth = 0, clientHeight = 0;  // at 96 pixels per inch
  // ScreenCenter: centred on the screen, or over `ownerWindow` (on its monitor) when it has one.
  FormPosition position = FormPosition::Designed;
  // A window of another program that owns the form, as the system's Screen Saver Settings owns
  // the dialog it opens: null for the application's own window. It is disabled while the form
  // runs modally, and a scaling form opens at the DPI of its monitor.
  HWND ownerWindow = nullptr;
  bool scaleWithDpi = false;
  bool dialogKeys = false;  // Tab, Enter and Esc move and press as in a dialog box
  bool taskBarButton = true;  // showing the form shows the application's task-bar window
  UINT classStyle = 0;
};

struct CreateParamsRecord {
  std::string caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = 0, height = 0;
  HWND parent = nullptr;
};

class TForm {
 public:
  TForm(TApplication* owner, FormLayout layout);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // Called by the application once the object is complete: makes the window, then runs FormCreate.
  void Create();
  // Called by the application before deleting the form: runs FormDestroy, then destroys the window.
  void Destroy();

  HWND Handle() const { return handle_; }
  TApplication* Owner() const { return owner_; }
  static TForm* FromHandle(HWND window);

  void Show();
  void Hide();
  bool Visible() const;
  void Close();
  int ShowModal();
  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResult() const { return modalResult_; }
  void SetBounds(const RECT& bounds);
  void BringToFront();
  // The cursor shown over the client area: none (hidden) or the class's arrow.
  void SetCursorHidden(bool hidden) { layout_.cursorHidden = hidden; }
  bool WantsDialogKeys() const { return layout_.dialogKeys; }
  // Pixels at 96 DPI scaled to the form's DPI (1:1 unless the layout scales). A scaling form
  // takes the DPI of the monitor it opens on, and follows WM_DPICHANGED.
  int Scale(int pixels) const;
  int Dpi() const { return dpi_; }
  // The control that takes the focus whenever the form is activated; the form keeps track of
  // it as the focus moves, so switching away and back returns to the same control.
  void SetActiveControl(HWND control) { activeControl_ = control; }

 protected:
  virtual void CreateParams(CreateParamsRecord& params);
  // Builds the form's controls from its layout, after the window exists and before FormCreate.
  virtual void CreateControls() {}
  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
  virtual void FormClose(CloseAction& action) { (void)action; }
  virtual void FormDestroy() {}
  // A scaling form moved to a monitor of other DPI: Scale already gives the new sizes; the form
  // lays its controls out again. The window then takes the rectangle the system suggests, which
  // the form has sized to its layout at the new DPI (WM_GETDPISCALEDSIZE).
  virtual void FormDpiChanged() {}
  // Messages a form handles itself (control notifications, timers); true when handled.
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool CloseQuery();
  void CloseModal();
  const char* RegisterWindowClass();
  // The window's size around the layout's client area at `dpi`, with the frame drawn at `dpi`.
  SIZE FrameSizeAt(int dpi, DWORD style, DWORD exStyle) const;
  // The owner window when it is a window; null otherwise.
  HWND OwnerWindow() const;

  TApplication* owner_;
  FormLayout layout_;
  HWND handle_ = nullptr;
  int modalResult_ = mrNone;
  bool modal_ = false;
  bool destroying_ = false;
  int dpi_ = 96;
  HWND activeControl_ = nullptr;
};
