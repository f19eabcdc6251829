// The standard controls the settings dialog is made of. Sliders and buttons are the system's
// own trackbar and push-button controls, so the keyboard, screen readers and test tools see
// standard controls; the colour panel is a small window class of ours (a raised swatch).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// Where a control sits, in client pixels of its form at 96 DPI.
struct ControlBounds {
  int left, top, width, height;
};

class TForm;

// A control's window is a child of its form and is destroyed with it; the object is the one
// owner of its handle, so it moves but never copies.
class TControl {
 public:
  TControl() = default;
  virtual ~TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  TControl(TControl&& other) noexcept;
  TControl& operator=(TControl&& other) noexcept;

  HWND Handle() const { return handle_; }
  int Id() const { return id_; }
  // Moves the control to `bounds`, scaled by the form's DPI as at creation.
  void Place(const TForm& form, const ControlBounds& bounds);
  void SetFont(HFONT font);

 protected:
  // Makes the child window; bounds are scaled by the form's DPI.
  void CreateChild(TForm& form, int id, const char* className, const std::string& text, DWORD style,
                   const ControlBounds& bounds, HFONT font);

 private:
  HWND handle_ = nullptr;
  int id_ = 0;
};

class TLabel : public TControl {
 public:
  enum class Alignment { Left, Right, Centre };
  void Create(TForm& form, int id, const std::string& caption, Alignment alignment, bool wordWrap,
              const ControlBounds& bounds, HFONT font);
  // How far right the caption's ink reaches in the label's font, in pixels from its left: the
  // blank a font leaves after the last character may be clipped without cutting anything.
  int CaptionWidth() const;
};

class TGroupBox : public TControl {
 public:
  void Create(TForm& form, int id, const std::string& caption, const ControlBounds& bounds, HFONT font);
};

class TButton : public TControl {
 public:
  void Create(TForm& form, int id, const std::string& caption, bool isDefault, int modalResult,
              const ControlBounds& bounds, HFONT font);
  int ModalResult() const { return modalResult_; }

 private:
  int modalResult_ = 0;
};

// A horizontal trackbar. Setting the position clamps it; a change of position, and every scroll
// notification from the control itself, fires OnChange.
class TTrackBar : public TControl {
 public:
  struct Settings {
    std::int32_t minimum, maximum, position, pageSize, tickFrequency;
  };
  void Create(TForm& form, int id, const Settings& settings, const ControlBounds& bounds);
  std::int32_t Position() const;
  void SetPosition(std::int32_t position);
  // Called by the form for WM_HSCROLL from this control.
  void Scrolled();
  std::function<void(TTrackBar& sender)> OnChange;

 private:
  std::int32_t minimum_ = 0;
  std::int32_t maximum_ = 0;
};

// A coloured panel: a raised swatch that can be clicked, or a flat black host for a child window.
// A click reaches the form as WM_COMMAND with the panel's id, like a button's: as with a button,
// only a left press on the panel followed by its release on the panel is a click (the panel
// holds the mouse in between).
class TPanel : public TControl {
 public:
  TPanel() = default;
  // The window finds its panel through its user data, which a move points at the new object.
  TPanel(TPanel&& other) noexcept;
  TPanel& operator=(TPanel&& other) noexcept;

  void Create(TForm& form, int id, std::uint32_t color, bool raised, const ControlBounds& bounds);
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t color);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Adopt();
  std::uint32_t color_ = 0;
  bool raised_ = true;
  bool pressed_ = false;
};

// A window timer on its form; the form routes WM_TIMER with this id to OnTimer.
class TTimer {
 public:
  TTimer() = default;
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;
  TTimer(TTimer&& other) noexcept;
  TTimer& operator=(TTimer&& other) noexcept;

  void Create(TForm& form, UINT_PTR id, UINT intervalMs);
  UINT_PTR Id() const { return id_; }
  std::function<void()> OnTimer;

 private:
  void Kill();
  HWND window_ = nullptr;
  UINT_PTR id_ = 0;
};

// The system colour dialog with sixteen custom colours that start unset and last as long as
// the component.
class TColorDialog {
 public:
  TColorDialog() { customColors_.fill(0xFFFFFFFF); }
  std::uint32_t Color = 0;
  DWORD Flags = 0;
  bool Execute(HWND owner);

 private:
  std::array<COLORREF, 16> customColors_;
};
