"""lumivex -wayland on GNOME Shell, which has no layer shell: a full-screen window on the monitor
that covers the top bar, in whole cells of the glyph sheet; a key, a pointer move of more than
5 pixels, or a window opened over it (it takes the keyboard) ends it with 0."""

import subprocess

from conftest import KEY_A, KEY_WINDOW, still_running_after, wait_for


def test_the_rain_covers_the_top_bar_in_whole_cells_and_a_key_ends_it(desk):
    lumivex = desk.start("-speed", "200")
    desk.rain_shows()   # every cell, those of the top bar's rows too
    desk.shell.key(KEY_A)
    assert lumivex.wait_exit() == (0, "")


def test_only_a_move_of_more_than_5_pixels_ends_it(desk):
    lumivex = desk.start("-speed", "200")
    desk.rain_shows()
    # The first motion may be the pointer's entry; 1 + 3 pixels are within 5 of it either way.
    desk.shell.move(1, 0)
    desk.shell.move(3, 0)
    assert still_running_after(lumivex), lumivex.wait_exit()
    desk.shell.move(3, 0)
    assert lumivex.wait_exit() == (0, "")


def test_a_window_opened_over_it_ends_it(desk):
    lumivex = desk.start("-speed", "200")
    desk.rain_shows()
    window = subprocess.Popen([str(KEY_WINDOW)], env=desk.shell.env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        assert lumivex.wait_exit() == (0, "")
        wait_for(lambda: window.stdout.readline().strip() == "enter", timeout=30,
                 what="the window to have the keyboard")
    finally:
        window.kill()
        window.wait()
