// The settings dialog as the user first sees it, read back from Wine's real windows: the form's
// frame, caption and size, every control's class, place, size and caption, every caption whole,
// the tab order and the focus, and, with nothing stored, the sliders' and colour panels' built-in
// settings; and, after the dialog moves to monitors of 125 %, 150 %, 175 %, 200 % and 300 %, a
// layout that still holds together (every control inside, none over another, every caption whole,
// the tab order kept), its font (the outline one away from 96 DPI) and its preview at the new
// scale, and the 96-DPI layout, in its bitmap font, again once it is back.
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

// How wide and high a control's text is in the font it draws with, measured here with the
// system's text metrics rather than by the dialog's code.
SIZE TextExtentOf(HWND control) {
  const std::string text = TextOf(control);
  HDC dc = ::GetDC(control);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ previous = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, previous);
  ::ReleaseDC(control, dc);
  return size;
}

// How far right a label's caption reaches in ink: the text drawn in the label's font into a
// memory image, read back for its last lit column. The blank a font leaves after the last
// character may be clipped without cutting anything.
int InkWidthOf(HWND control) {
  const std::string text = TextOf(control);
  const SIZE extent = TextExtentOf(control);
  if (text.empty() || extent.cx <= 0) return 0;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP image = ::CreateCompatibleBitmap(screen, extent.cx, extent.cy);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ oldImage = ::SelectObject(dc, image);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = ::SelectObject(dc, font ? font : ::GetStockObject(SYSTEM_FONT));
  const RECT all{0, 0, extent.cx, extent.cy};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
  int width = 0;
  for (int x = 0; x < extent.cx; ++x)
    for (int y = 0; y < extent.cy; ++y)
      if (::GetPixel(dc, x, y) != RGB(255, 255, 255)) width = x + 1;
  ::SelectObject(dc, oldFont);
  ::SelectObject(dc, oldImage);
  ::DeleteObject(image);
  ::DeleteDC(dc);
  return width;
}

bool IsLabel(Look look) { return look == Look::RightText || look == Look::LeftText || look == Look::CentredText; }

// Where a control shows something: a left- or right-aligned label only where its caption's ink
// lies (the design's label boxes reach a pixel into the colour panels beside them), any other
// control all over its box.
RECT ShownPlace(HWND dialog, const ExpectedControl& expected, HWND control) {
  RECT place = PlaceIn(dialog, control);
  if (expected.look == Look::LeftText) place.right = InkWidthOf(control);
  if (expected.look == Look::RightText) {
    place.left += place.right - InkWidthOf(control);
    place.right = InkWidthOf(control);
  }
  return place;
}

// At 96 DPI every control sits exactly where the layout puts it; a label in the group box may
// only be wider than the layout's width, when its caption needs it.
void ExpectDesignPlace(HWND dialog, const ExpectedControl& expected, HWND control) {
  const RECT measured = PlaceIn(dialog, control);
  RECT want = expected.bounds;
  if (expected.look == Look::LeftText && measured.right > want.right) {
    EXPECT_LE(measured.right, InkWidthOf(control)) << "wider than its caption needs";
    want.right = measured.right;
  }
  EXPECT_EQ(Describe(measured), Describe(want));
}

// The font a control draws its text with, as it was asked for.
LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// "MS Sans Serif" is drawn for 96 DPI only; at every other DPI its outline twin.
std::string DialogFaceAt(int dpi) { return dpi == 96 ? "MS Sans Serif" : "Microsoft Sans Serif"; }

// Every caption whole: a label's ink fits its box, a button's and the group box's text fits
// inside their frames.
void ExpectCaptionFits(const ExpectedControl& expected, HWND control, int dpi) {
  if (TextOf(control).empty()) return;
  const SIZE text = TextExtentOf(control);
  RECT box{};
  ::GetClientRect(control, &box);
  const int width = IsLabel(expected.look) ? InkWidthOf(control) : text.cx + 2 * ::GetSystemMetricsForDpi(SM_CXEDGE, dpi);
  EXPECT_LE(width, box.right) << "'" << TextOf(control) << "' is cut";
  EXPECT_LE(text.cy, box.bottom) << "'" << TextOf(control) << "' is cut";
}

bool Overlap(const RECT& a, const RECT& b) {  // left, top, width, height
  return a.left < b.left + b.right && b.left < a.left + a.right && a.top < b.top + b.bottom &&
         b.top < a.top + a.bottom;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.right <= outer.left + outer.right &&
         inner.top + inner.bottom <= outer.top + outer.bottom;
}

// A colour panel or its label, which the layout puts inside the group box.
bool SitsInGroupBox(const ExpectedControl& expected) {
  return expected.look != Look::GroupBox && Inside(expected.bounds, InGroupBox(0, 0, 278, 50));
}

// Tab goes from Ok through Cancel, the sliders and Default back to Ok.
void ExpectTabOrder(const TSetupFrm& dialog) {
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

    // The design's 524 x 280 at 96 DPI, at the DPI of the screen the dialog opens on.
    const int dpi = ::GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSX);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, ::MulDiv(524, dpi, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(280, dpi, 96));

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

      ExpectDesignPlace(dialog.Handle(), expected, control);
      ExpectCaptionFits(expected, control, dialog.Dpi());
      if (!TextOf(control).empty()) {
        EXPECT_EQ(std::string(FontOf(control).lfFaceName), DialogFaceAt(dialog.Dpi()));
      }
      std::printf("  %-15s %-18s layout %s\n", expected.name, Describe(PlaceIn(dialog.Handle(), control)).c_str(),
                  Describe(expected.bounds).c_str());

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
    ExpectTabOrder(dialog);
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
      EXPECT_EQ(ask(TBM_GETTHUMBLENGTH), ::MulDiv(14, dialog.Dpi(), 96));
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

// The dialog moves to monitors of 125 % to 300 %, then back to 100 %. At every scale the
// layout is checked for what the user needs, not against a recomputation of itself: the client
// area is the design's at that DPI, every control shows inside it and over no other (a control in
// the group box lies inside the group box), every caption is whole, the tab order holds, and the
// preview fills its panel with the small sheet made for that scale. Back at 96 DPI every control
// is where the design puts it.
TEST_F(SetupLayoutTest, LayoutFontAndPreviewFollowTheDpiOfTheMonitor) {
  const struct {
    int dpi, previewCellWidth, previewCellHeight;
  } monitors[] = {{120, 5, 8}, {144, 6, 9}, {168, 7, 11}, {192, 8, 12}, {288, 12, 18}, {96, 4, 6}};
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    for (const auto& monitor : monitors) {
      const int dpi = monitor.dpi;
      SCOPED_TRACE(std::to_string(dpi) + " DPI");
      // Asked for its size at the new DPI, the dialog answers its layout's client area at that DPI
      // inside the frame the system draws there, not its whole window scaled in proportion.
      SIZE scaled{};
      EXPECT_TRUE(::SendMessageA(dialog.Handle(), WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&scaled)));
      RECT framed{0, 0, ::MulDiv(524, dpi, 96), ::MulDiv(280, dpi, 96)};
      ::AdjustWindowRectExForDpi(&framed, static_cast<DWORD>(::GetWindowLongA(dialog.Handle(), GWL_STYLE)), FALSE,
                                 static_cast<DWORD>(::GetWindowLongA(dialog.Handle(), GWL_EXSTYLE)), dpi);
      EXPECT_EQ(scaled.cx, framed.right - framed.left);
      EXPECT_EQ(scaled.cy, framed.bottom - framed.top);

      // The rectangle the system suggests: the same frame around the client area at the new DPI.
      RECT window{}, client{};
      ::GetWindowRect(dialog.Handle(), &window);
      ::GetClientRect(dialog.Handle(), &client);
      const RECT suggested{window.left, window.top,
                           window.left + (window.right - window.left - client.right) + ::MulDiv(524, dpi, 96),
                           window.top + (window.bottom - window.top - client.bottom) + ::MulDiv(280, dpi, 96)};
      ::SendMessageA(dialog.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

      ::GetWindowRect(dialog.Handle(), &window);
      EXPECT_EQ(Describe(window), Describe(suggested));
      ::GetClientRect(dialog.Handle(), &client);
      EXPECT_EQ(client.right, ::MulDiv(524, dpi, 96));
      EXPECT_EQ(client.bottom, ::MulDiv(280, dpi, 96));
      const RECT clientArea{0, 0, client.right, client.bottom};
      const RECT groupBox = PlaceIn(dialog.Handle(), dialog.GroupBox1.Handle());

      for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.name);
        HWND control = expected.control(dialog).Handle();
        // The design starts the right-aligned labels' boxes left of the client area; what they
        // show lies inside it.
        const RECT place = ShownPlace(dialog.Handle(), expected, control);
        if (dpi == 96) ExpectDesignPlace(dialog.Handle(), expected, control);
        EXPECT_TRUE(Inside(place, clientArea)) << Describe(place);
        if (SitsInGroupBox(expected)) {
          EXPECT_TRUE(Inside(place, groupBox)) << Describe(place);
        }
        for (const ExpectedControl& other : kControls) {
          const bool withItsGroupBox = (SitsInGroupBox(expected) && other.look == Look::GroupBox) ||
                                       (SitsInGroupBox(other) && expected.look == Look::GroupBox);
          if (&other == &expected || withItsGroupBox) continue;
          EXPECT_FALSE(Overlap(place, ShownPlace(dialog.Handle(), other, other.control(dialog).Handle())))
              << "over " << other.name;
        }
        ExpectCaptionFits(expected, control, dpi);
        if (expected.look != Look::Slider && expected.look != Look::Panel) {
          const LOGFONTA font = FontOf(control);
          EXPECT_EQ(font.lfHeight, -::MulDiv(11, dpi, 96));
          EXPECT_EQ(std::string(font.lfFaceName), DialogFaceAt(dpi));
        }
        if (expected.look == Look::Slider) {
          EXPECT_EQ(::SendMessageA(control, TBM_GETTHUMBLENGTH, 0, 0), ::MulDiv(14, dpi, 96));
        }
      }
      ExpectTabOrder(dialog);

      // The preview fills its panel with the small sheet of this scale, and the rain goes on.
      ASSERT_NE(VellixForm, nullptr);
      RECT panel{}, preview{};
      ::GetClientRect(dialog.PanelVellix.Handle(), &panel);
      ::GetWindowRect(VellixForm->Handle(), &preview);
      ::MapWindowPoints(nullptr, dialog.PanelVellix.Handle(), reinterpret_cast<POINT*>(&preview), 2);
      EXPECT_EQ(Describe(preview), Describe(panel));
      ASSERT_NE(VellixForm->RainField, nullptr);
      Vellix& rain = *VellixForm->RainField;
      EXPECT_EQ(rain.BaseSheet().cellWidth, monitor.previewCellWidth);
      EXPECT_EQ(rain.BaseSheet().cellHeight, monitor.previewCellHeight);
      EXPECT_EQ(rain.GridColumns(), panel.right / monitor.previewCellWidth + 1);
      EXPECT_EQ(rain.GridRows(), panel.bottom / monitor.previewCellHeight + 1);
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
