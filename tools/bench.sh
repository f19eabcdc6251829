#!/usr/bin/env bash
# `make bench`: prints the speed figures of Lumivex. Each section measures one layer and
# prints its own table; none of them is a pass/fail test. Expects `make build` to have run.
set -euo pipefail
cd "$(dirname "$0")/.."

native_dir=${LUMIVEX_NATIVE_DIR:-build/native}
win_dir=${LUMIVEX_WIN_DIR:-build/win}

# The rain engine on memory images: Step against plain row copies (counter "ratio"),
# Configure for both glyph sheets.
bench_engine() {
  echo "== Rain engine, native, on memory images =="
  "$native_dir/bench/engine/bench_engine"
}

# The whole saver under Wine on Xvfb at the design and at the heaviest settings: CPU per wall
# second and its ratio to the bare idle loop (bench/idle_baseline.exe), steps per second read
# off the screen, peak memory; private session. Then the same at scale step 2: 192 DPI on a
# 2048 x 1536 display, the same grid in cells of 20 x 30.
bench_saver_under_wine() {
  echo
  /usr/bin/python3 tools/bench_saver.py "$win_dir"
}

# The X11 host (build/native/lumivex -root) on a private Xvfb at the design and heaviest
# settings, beside a bare X client that only waits on its connection; again at -scale 2 on a
# screen of four times the pixels.
bench_x11_host() {
  echo
  /usr/bin/python3 tools/bench_x11.py "$native_dir"
}

# The Wayland backend (build/native/lumivex -wayland) on a private headless sway at the design
# and heaviest settings: CPU of the client and of the compositor, frames per second, memory;
# then on a private headless KWin at scale 1 and 1.5, with the buffer pixels per output pixel.
bench_wayland_host() {
  echo
  /usr/bin/python3 tools/bench_wayland.py "$native_dir"
}

# The idle loop measured from inside the saver (bench/idle_pace.exe): which pause the system
# gave, the idle-pass period, and steps per second at the design settings and at Speed 200.
bench_idle_pace() {
  echo
  /usr/bin/python3 tests/harness/run_in_wine.py "$win_dir/bench/idle_pace.exe"
}

# One rain step inside the saver's process under Wine, split into drawing into the kept picture,
# presenting it and the message pass after it, in a burst and paced as the saver runs.
bench_step_cost() {
  echo
  /usr/bin/python3 tests/harness/run_in_wine.py "$win_dir/bench/step_cost.exe"
}

bench_engine
bench_saver_under_wine
bench_step_cost
bench_x11_host
bench_wayland_host
bench_idle_pace
