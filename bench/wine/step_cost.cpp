// step_cost.exe: where one rain step's time goes inside the saver's process under Wine. A
// full-screen window of the saver's class style keeps a WindowPicture with a rain field at the
// design and at the heaviest settings, and each step is timed in three parts: drawing the step
// into the kept picture, presenting it on the window, and the message pass right after it, in
// which Wine hands the window's change to the X server.
//
// Each row runs twice: in a burst, one step after another, and paced as the saver runs, with an
// idle pause until the next step is due. The paced row is what the saver pays: while the process
// waits, the X server and everything else on the machine push the picture out of the caches,
// so the same step costs up to two to three times the burst figure. The pass is wall time and
// includes waiting for the servers; the other two parts are pure computation. Medians of many
// steps; the whole-process figures are tools/bench_saver.py's.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/vellix.h"
#include "platform/dib_image.h"
#include "platform/idle_pause.h"
#include "platform/precise_clock.h"
#include "platform/window_picture.h"

namespace {

const char kClassName[] = "LumivexStepCost";
// The warm-up runs in a burst whatever the row: it only brings the rain to its steady state.
constexpr int kWarmUpSteps = 300;
constexpr int kCountedSteps = 1500;
constexpr int kCountedPacedSteps = 300;  // 18 s at the design interval

struct Settings {
  const char* name;
  std::int32_t interval, fallers, erasers, risers, noise;
};

// Vellix::Configure's arguments at the design settings and with every slider at its most costly end.
const Settings kRows[] = {
    {"design", 60, 18, 32, 0, 250},
    {"heaviest", 10, 410, 0, 200, 500},
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(window, message, wParam, lParam);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

void Pump() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
}

double Microseconds(std::int64_t from, std::int64_t to) { return (to - from) / 10.0; }

void MeasureRow(HWND window, const Settings& settings, bool paced) {
  DibImageFactory images;
  WindowPicture picture(window);
  Vellix field(picture, images, picture.Width(), picture.Height());
  field.Configure(settings.interval, settings.fallers, settings.erasers, settings.risers, settings.noise,
                  0x00009000, 0x0088FF88, 0x00006000);
  std::vector<double> draw, show, pass;
  const int counted = paced ? kCountedPacedSteps : kCountedSteps;
  for (int step = 0; step < kWarmUpSteps + counted; ++step) {
    const std::int64_t t0 = PreciseTime100ns();
    field.OnSoftTimer();
    const std::int64_t t1 = PreciseTime100ns();
    picture.Present();
    const std::int64_t t2 = PreciseTime100ns();
    Pump();
    const std::int64_t t3 = PreciseTime100ns();
    if (step < kWarmUpSteps) continue;
    if (paced) {
      const int elapsedMs = static_cast<int>((t3 - t0) / 10'000);
      ProcessIdlePause().Wait(std::max(5, settings.interval - elapsedMs));
    }
    draw.push_back(Microseconds(t0, t1));
    show.push_back(Microseconds(t1, t2));
    pass.push_back(Microseconds(t2, t3));
  }
  std::printf("%-10s%-8s%10.1f%10.1f%10.1f%10.1f\n", settings.name, paced ? "paced" : "burst", Median(draw),
              Median(show), Median(draw) + Median(show), Median(pass));
}

}  // namespace

int main() {
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;  // as the saver window's class
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  if (!::RegisterClassA(&windowClass)) return 1;
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  HWND window = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "Lumivex step cost", WS_POPUP | WS_VISIBLE, 0, 0,
                                  width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  Pump();
  std::printf("== One rain step in-process under Wine, %dx%d, median microseconds of %d steps (paced: %d) ==\n",
              width, height, kCountedSteps, kCountedPacedSteps);
  std::printf("%-10s%-8s%10s%10s%10s%10s\n", "settings", "loop", "draw", "show", "step", "pass");
  for (const bool paced : {false, true}) {
    for (const Settings& row : kRows) MeasureRow(window, row, paced);
  }
  std::printf("draw: the step into the kept picture; show: presenting it on the window; step: both;\n"
              "pass: the message pass after it (wall time, servers included). burst: steps back to\n"
              "back; paced: an idle pause until the next step is due, as the saver runs.\n");
  ::DestroyWindow(window);
  return 0;
}
