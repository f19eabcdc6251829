// The settings dialog as the user first sees it, read back from Wine's real windows: the form's
// frame, caption and size, every control's class, place, size and caption, the tab order and
// the focus, and, with nothing stored, the sliders' and colour panels' built-in settings; and the
// same layout again, font and preview included, after the dialog moves to a monitor of other DPI.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/win_handles.h"
#include "dialog_fixture.h"
#include "engine/vellix.h"
#include "saver/vellixfrm.h"

namespace {

// How a control must look to the system and to test tools.
enum class Look { DefaultPushButton, PushButton, GroupBox, Slider, Panel, RightText, LeftText, CentredText };

struct ExpectedControl {
  const char* name;
  const TControl& (*control)(const TSetupFrm&);
  Look look;
  RECT bounds;          // left, top, width, height in client pixels at 96 DPI
  const char* caption;  // null: checked on its own
};

#define MEMBER(name) #name, [](const TSetupFrm& dialog) -> const TControl& { return dialog.name; }

constexpr RECT InGroupBox(int left, int top, int width, int height) { return {9 + left, 164 + top, width, height}; }

// The dialog's layout in client pixels at 96 DPI; the colour panels and their labels sit in
// the group box, whose client origin is (9, 164).
const ExpectedControl kControls[] = {
    {MEMBER(Label1), Look::RightText, {-8, 13, 72, 13}, "Speed"},
    {MEMBER(Label2), Look::RightText, {-8, 44, 72, 13}, "Density"},
    {MEMBER(Label3), Look::RightText, {-8, 77, 72, 13}, "Balance"},
    {MEMBER(Label4), Look::RightText, {-8, 109, 72, 13}, "Noise"},
    {MEMBER(Label10), Look::RightText, {-8, 139, 72, 13}, "Inversion"},
    {MEMBER(TrackSpeed), Look::Slider, {72, 3, 217, 26}, ""},
    {MEMBER(TrackDensity), Look::Slider, {72, 34, 217, 26}, ""},
    {MEMBER(TrackBalance), Look::Slider, {72, 67, 217, 26}, ""},
    {MEMBER(TrackNoise), Look::Slider, {72, 99, 217, 26}, ""},
    {MEMBER(TrackInversion), Look::Slider, {72, 129, 217, 26}, ""},
    {MEMBER(GroupBox1), Look::GroupBox, {9, 164, 278, 50}, " Colors "},
    {MEMBER(Label6), Look::LeftText, InGroupBox(16, 20, 33, 13), "Normal"},
    {MEMBER(Label7), Look::LeftText, InGroupBox(112, 20, 33, 13), "Light"},
    {MEMBER(Label9), Look::LeftText, InGroupBox(200, 20, 33, 13), "Dark"},
    {MEMBER(NormalButton), Look::Panel, InGroupBox(56, 13, 30, 29), ""},
    {MEMBER(LightButton), Look::Panel, InGroupBox(144, 13, 30, 29), ""},
    {MEMBER(DarkButton), Look::Panel, InGroupBox(232, 13, 30, 29), ""},
    {MEMBER(PanelVellix), Look::Panel, {296, 15, 220, 165}, ""},
    {MEMBER(Label5), Look::CentredText, {18, 225, 489, 21}, nullptr},
    {MEMBER(ButtonDefault), Look::PushButton, {285, 253, 75, 25}, "Default"},
    {MEMBER(ButtonCancel), Look::PushButton, {365, 253, 75, 25}, "Cancel"},
    {MEMBER(ButtonOk), Look::DefaultPushButton, {445, 253, 75, 25}, "Ok"},
};

#undef MEMBER

std::string ClassOf(HWND window) {
  char name[128] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

const char* ClassFor(Look look) {
  switch (look) {
    case Look::DefaultPushButton:
    case Look::PushButton:
    case Look::GroupBox: return "Button";
    case Look::Slider: return TRACKBAR_CLASSA;
    case Look::Panel: return "TPanel";
    default: return "Static";
  }
}

// The style bits that make each kind of control what it is.
void ExpectStyleOf(Look look, LONG style) {
  const bool tabStop = look == Look::DefaultPushButton || look == Look::PushButton || look == Look::Slider;
  EXPECT_EQ((style & WS_TABSTOP) != 0, tabStop);
  EXPECT_TRUE(style & WS_VISIBLE);
  switch (look) {
    case Look::DefaultPushButton: EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON); break;
    case Look::PushButton: EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON); break;
    case Look::GroupBox: EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX); break;
    case Look::Slider:
      EXPECT_EQ(style & (TBS_VERT | TBS_TOP | TBS_BOTH | TBS_NOTICKS | TBS_AUTOTICKS | TBS_ENABLESELRANGE),
                TBS_TOP | TBS_AUTOTICKS);
      break;
    case Look::RightText: EXPECT_EQ(style & SS_TYPEMASK, SS_RIGHT); break;
    case Look::CentredText: EXPECT_EQ(style & SS_TYPEMASK, SS_CENTER); break;
    case Look::LeftText: EXPECT_TRUE((style & SS_TYPEMASK) == SS_LEFT || (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP); break;
    case Look::Panel: break;
  }
}

// A control's place in its dialog's client area.
RECT PlaceIn(HWND dialog, HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string Describe(const RECT& bounds) {
  return std::to_string(bounds.left) + ", " + std::to_string(bounds.top) + ", " + std::to_string(bounds.right) + ", " +
         std::to_string(bounds.bottom);
}

class SetupLayoutTest : public SetupDialogTest {};

TEST_F(SetupLayoutTest, FormIsAFixedTopmostDialogCentredOnTheScreen) {
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    HWND window = dialog.Handle();
    EXPECT_EQ(ClassOf(window), "TSetupFrm");
    EXPECT_EQ(TextOf(window), "Lumivex Settings");
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);  // the close box
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD));
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);

    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, dialog.Scale(524));
    EXPECT_EQ(client.bottom, dialog.Scale(280));
    EXPECT_EQ(dialog.Scale(524), ::MulDiv(524, ::GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSX), 96));

    RECT frame{};
    ::GetWindowRect(window, &frame);
    EXPECT_NEAR(frame.left + frame.right, ::GetSystemMetrics(SM_CXSCREEN), 1);
    EXPECT_NEAR(frame.top + frame.bottom, ::GetSystemMetrics(SM_CYSCREEN), 1);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  });
}

TEST_F(SetupLayoutTest, EveryControlSitsWhereTheLayoutPutsIt) {
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    std::printf("Controls as measured in the running dialog (client pixels: left, top, width, height):\n");
    for (const ExpectedControl& expected : kControls) {
      SCOPED_TRACE(expected.name);
      HWND control = expected.control(dialog).Handle();
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(::GetParent(control), dialog.Handle());
      EXPECT_STRCASEEQ(ClassOf(control).c_str(), ClassFor(expected.look));
      ExpectStyleOf(expected.look, ::GetWindowLongA(control, GWL_STYLE));

      const RECT measured = PlaceIn(dialog.Handle(), control);
      const RECT& at96 = expected.bounds;
      const RECT scaled{dialog.Scale(at96.left), dialog.Scale(at96.top), dialog.Scale(at96.right),
                        dialog.Scale(at96.bottom)};
      EXPECT_EQ(Describe(measured), Describe(scaled));
      std::printf("  %-15s %-18s layout %s\n", expected.name, Describe(measured).c_str(), Describe(at96).c_str());

      if (expected.caption) {
        EXPECT_EQ(TextOf(control), expected.caption);
      } else {
        const std::string line = TextOf(control);
        EXPECT_NE(line.find("Lumivex"), std::string::npos) << line;
        EXPECT_NE(line.find("2.53"), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
      }
    }
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
}

TEST_F(SetupLayoutTest, OkHasTheFocusWhenTheDialogOpens) {
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == dialog.ButtonOk.Handle(); }, 5000))
        << "the focus is on a " << ClassOf(::GetFocus()) << " '" << TextOf(::GetFocus()) << "'";
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
}

TEST_F(SetupLayoutTest, TabVisitsTheButtonsAndSlidersInOrder) {
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    HWND ok = dialog.ButtonOk.Handle();
    const std::vector<HWND> order = {dialog.ButtonCancel.Handle(), dialog.TrackSpeed.Handle(),
                                     dialog.TrackDensity.Handle(), dialog.TrackBalance.Handle(),
                                     dialog.TrackNoise.Handle(),   dialog.TrackInversion.Handle(),
                                     dialog.ButtonDefault.Handle(), ok};
    HWND at = ok;
    for (std::size_t step = 0; step < order.size(); ++step) {
      at = ::GetNextDlgTabItem(dialog.Handle(), at, FALSE);
      EXPECT_EQ(at, order[step]) << "tab stop " << step + 1 << " is a " << ClassOf(at) << " '" << TextOf(at) << "'";
    }
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
}

TEST_F(SetupLayoutTest, WithNothingStoredTheControlsHoldTheBuiltInSettings) {
  struct Slider {
    const char* name;
    TTrackBar TSetupFrm::*member;
    int minimum, maximum, position, pageSize, tickEvery;
  };
  const Slider sliders[] = {
      {"TrackSpeed", &TSetupFrm::TrackSpeed, 100, 200, 150, 5, 10},
      {"TrackDensity", &TSetupFrm::TrackDensity, 0, 200, 20, 10, 20},
      {"TrackBalance", &TSetupFrm::TrackBalance, -100, 100, -30, 10, 20},
      {"TrackNoise", &TSetupFrm::TrackNoise, 0, 500, 250, 10, 50},
      {"TrackInversion", &TSetupFrm::TrackInversion, 0, 200, 0, 10, 20},
  };
  struct Swatch {
    const char* name;
    TPanel TSetupFrm::*member;
    Color colour;
  };
  const Swatch swatches[] = {
      {"NormalButton", &TSetupFrm::NormalButton, 0x00009000},
      {"LightButton", &TSetupFrm::LightButton, 0x0088FF88},
      {"DarkButton", &TSetupFrm::DarkButton, 0x00006000},
  };

  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    for (const Slider& slider : sliders) {
      SCOPED_TRACE(slider.name);
      HWND bar = (dialog.*slider.member).Handle();
      auto ask = [bar](UINT message, WPARAM wParam = 0) {
        return static_cast<int>(::SendMessageA(bar, message, wParam, 0));
      };
      EXPECT_EQ(ask(TBM_GETRANGEMIN), slider.minimum);
      EXPECT_EQ(ask(TBM_GETRANGEMAX), slider.maximum);
      EXPECT_EQ(ask(TBM_GETPOS), slider.position);
      EXPECT_EQ(ask(TBM_GETPAGESIZE), slider.pageSize);
      EXPECT_EQ(ask(TBM_GETLINESIZE), 1);
      EXPECT_EQ(ask(TBM_GETTHUMBLENGTH), dialog.Scale(14));
      // Automatic ticks: both ends, and one at every interval in between (which the control
      // hands out in an order of its own).
      std::vector<int> between, expected;
      for (int index = 0; index < ask(TBM_GETNUMTICS) - 2; ++index) between.push_back(ask(TBM_GETTIC, index));
      std::sort(between.begin(), between.end());
      for (int tick = slider.minimum + slider.tickEvery; tick < slider.maximum; tick += slider.tickEvery)
        expected.push_back(tick);
      EXPECT_EQ(between, expected);
      EXPECT_EQ(ask(TBM_GETSELSTART), ask(TBM_GETSELEND));  // no selection range
    }
    for (const Swatch& swatch : swatches) {
      SCOPED_TRACE(swatch.name);
      const TPanel& panel = dialog.*swatch.member;
      EXPECT_EQ(panel.Color(), swatch.colour);
      // The swatch shows its colour inside a raised bevel.
      Picture picture;
      EXPECT_TRUE(PumpUntil([&] {
        picture = ClientPicture(panel.Handle());
        return picture.At(picture.width / 2, picture.height / 2) == swatch.colour;
      })) << std::hex << "centre pixel " << picture.At(picture.width / 2, picture.height / 2);
      EXPECT_NE(picture.At(0, 0), swatch.colour);
      EXPECT_NE(picture.At(picture.width - 1, picture.height - 1), swatch.colour);
    }
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
}

// The height of the font a control draws its text with.
int FontHeightOf(HWND control) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

TEST_F(SetupLayoutTest, ControlsFontAndPreviewFollowTheDpiOfTheMonitor) {
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    for (const int dpi : {144, 96}) {
      SCOPED_TRACE(dpi);
      const auto scaled = [dpi](int pixels) { return ::MulDiv(pixels, dpi, 96); };
      // The rectangle the system suggests: the same frame around the client area at the new DPI.
      RECT window{}, client{};
      ::GetWindowRect(dialog.Handle(), &window);
      ::GetClientRect(dialog.Handle(), &client);
      const RECT suggested{window.left, window.top,
                           window.left + (window.right - window.left - client.right) + scaled(524),
                           window.top + (window.bottom - window.top - client.bottom) + scaled(280)};
      ::SendMessageA(dialog.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

      ::GetWindowRect(dialog.Handle(), &window);
      EXPECT_EQ(Describe(window), Describe(suggested));
      ::GetClientRect(dialog.Handle(), &client);
      EXPECT_EQ(client.right, scaled(524));
      EXPECT_EQ(client.bottom, scaled(280));
      for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.name);
        HWND control = expected.control(dialog).Handle();
        const RECT& at96 = expected.bounds;
        const RECT want{scaled(at96.left), scaled(at96.top), scaled(at96.right), scaled(at96.bottom)};
        EXPECT_EQ(Describe(PlaceIn(dialog.Handle(), control)), Describe(want));
        if (expected.look != Look::Slider && expected.look != Look::Panel) {
          EXPECT_EQ(FontHeightOf(control), -scaled(11));
        }
        if (expected.look == Look::Slider) {
          EXPECT_EQ(::SendMessageA(control, TBM_GETTHUMBLENGTH, 0, 0), scaled(14));
        }
      }

      // The preview fills its panel with a rain field of that size, and the rain goes on.
      ASSERT_NE(VellixForm, nullptr);
      RECT panel{}, preview{};
      ::GetClientRect(dialog.PanelVellix.Handle(), &panel);
      ::GetWindowRect(VellixForm->Handle(), &preview);
      ::MapWindowPoints(nullptr, dialog.PanelVellix.Handle(), reinterpret_cast<POINT*>(&preview), 2);
      EXPECT_EQ(Describe(preview), Describe(panel));
      ASSERT_NE(VellixForm->RainField, nullptr);
      Vellix& rain = *VellixForm->RainField;
      EXPECT_EQ(rain.GridColumns(), panel.right / rain.BaseSheet().cellWidth + 1);
      EXPECT_EQ(rain.GridRows(), panel.bottom / rain.BaseSheet().cellHeight + 1);
      const std::vector<Drop> before = rain.Fallers();
      auto rowsOf = [](const std::vector<Drop>& drops) {
        std::vector<int> rows;
        for (const Drop& drop : drops) rows.push_back(drop.row);
        return rows;
      };
      EXPECT_TRUE(PumpUntil([&] { return rowsOf(VellixForm->RainField->Fallers()) != rowsOf(before); }));
    }
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
}

}  // namespace
