// idle_pace.exe: the saver's idle loop as it runs, measured from inside. A full-screen saver
// window with its real idle handler and pause runs for a few seconds at each of two settings
// (the design settings and Speed 200, the shortest step interval); the program counts the idle
// passes and the rain steps and prints the pass period and the steps per second beside what the
// step interval asks for and what the pacer's rule gives with the measured pass period.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/globals.h"
#include "common/memory_setting_controls.h"
#include "engine/tick_count.h"
#include "engine/vellix.h"
#include "forms/application.h"
#include "platform/idle_pause.h"
#include "platform/precise_clock.h"
#include "saver/vellixfrm.h"
#include "settings/configure_args.h"

namespace {

constexpr double kSecondsPerRow = 6.0;

struct Row {
  const char* name;
  std::int32_t speed;
};

struct Figures {
  int interval = 0;
  double medianPassMs = 0;
  double meanPassMs = 0;
  double stepsPerSecond = 0;
};

std::int32_t speed = 150;

void ApplySpeed(Vellix& rainField) {
  MemorySettingControls controls;
  controls.Set(SettingId::Speed, speed);
  ConfigureRainField(rainField, ConfigureArgsFrom(controls));
}

std::vector<int> FallerRows(const Vellix& rain) {
  std::vector<int> rows;
  for (const Drop& drop : rain.Fallers()) rows.push_back(drop.row);
  return rows;
}

Figures Measure(std::int32_t rowSpeed) {
  speed = rowSpeed;
  TApplication application;
  application.CreateForm(VellixForm, &ApplySpeed);
  VellixForm->Show();
  Figures figures;
  {
    MemorySettingControls controls;
    controls.Set(SettingId::Speed, speed);
    figures.interval = ConfigureArgsFrom(controls).stepInterval;
  }

  // Every idle pass is timed and, since each step moves every faller a row, counted as a step
  // when the fallers moved.
  std::vector<double> passes;
  int steps = 0;
  std::int64_t last = 0;
  std::vector<int> rows;
  IdleHandler idle = application.OnIdle;
  application.OnIdle = [&](TApplication* sender, bool& done) {
    idle(sender, done);
    const std::int64_t now = PreciseTime100ns();
    if (last) passes.push_back((now - last) / 1e4);
    last = now;
    if (VellixForm->RainField) {
      std::vector<int> movedRows = FallerRows(*VellixForm->RainField);
      if (movedRows != rows) ++steps;
      rows = std::move(movedRows);
    }
  };
  const std::int64_t start = PreciseTime100ns();
  const std::int64_t end = start + static_cast<std::int64_t>(kSecondsPerRow * 1e7);
  while (PreciseTime100ns() < end && !application.Terminated()) application.HandleMessage();
  const double seconds = (PreciseTime100ns() - start) / 1e7;
  if (application.Terminated()) std::printf("(the saver closed early, after %.1f s)\n", seconds);

  std::vector<double> sorted = passes;
  std::sort(sorted.begin(), sorted.end());
  if (!sorted.empty()) {
    figures.medianPassMs = sorted[sorted.size() / 2];
    double sum = 0;
    for (double pass : passes) sum += pass;
    figures.meanPassMs = sum / passes.size();
  }
  figures.stepsPerSecond = steps / seconds;
  VellixForm = nullptr;
  MSG quit;
  while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  return figures;
}

const char* PauseName(IdlePause::Kind kind) {
  switch (kind) {
    case IdlePause::Kind::HighResolutionTimer: return "high-resolution waitable timer";
    case IdlePause::Kind::TimerPeriod: return "plain waitable timer, timer resolution raised to 1 ms";
    case IdlePause::Kind::Tick: return "the wait's own time-out at the system's resolution";
  }
  return "?";
}

}  // namespace

int main() {
  SetTickSource(&PreciseTickCount);
  const Row rows[] = {{"design (Speed 150)", 150}, {"Speed 200", 200}};
  std::printf("== Idle loop and pacing, in-process under Wine, %g s per row ==\n", kSecondsPerRow);
  std::printf("pause: %s\n", PauseName(ProcessIdlePause().WaitsWith()));
  std::printf("%-20s%10s%14s%14s%10s%12s%12s\n", "settings", "step ms", "pass ms med", "pass ms mean", "steps/s",
              "interval", "pacer rule");
  for (const Row& row : rows) {
    const Figures f = Measure(row.speed);
    // The pacer fires on the first pass at least one interval after the pass that fired last.
    const double rule = f.medianPassMs > 0 ? 1000.0 / (std::ceil(f.interval / f.medianPassMs) * f.medianPassMs) : 0;
    std::printf("%-20s%10d%14.2f%14.2f%10.1f%12.1f%12.1f\n", row.name, f.interval, f.medianPassMs, f.meanPassMs,
                f.stepsPerSecond, 1000.0 / f.interval, rule);
  }
  std::printf("pass ms: time between idle passes; interval: steps/s the step interval asks for;\n"
              "pacer rule: steps/s the pacer gives when it is polled once per median pass.\n");
  return 0;
}
