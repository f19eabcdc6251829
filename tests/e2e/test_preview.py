"""The system's preview (/p <host>): a child window that fills its host, ignores input, leaves
the running flag alone and ends when its host goes; a second preview broadcasts "LumivexInit"
and ends at once; a full-screen saver starts while a preview runs."""

import time

import pytest

from conftest import (SAVER_CLASS, WS_CHILD, WS_POPUP, of_class, wait_for, wait_for_windows)

HOST_SIZE = (333, 222)  # odd sizes, so that a preview of some fixed size cannot pass
HOST_AT = (100, 120)
WM_KEYDOWN, VK_A = 0x0100, 0x41


@pytest.fixture
def host(helper):
    return helper.host(*HOST_SIZE, *HOST_AT)


def start_preview(desk, helper, host):
    preview = desk.start("/p", host)
    [window] = wait_for_windows(helper, SAVER_CLASS, parent=host)
    return preview, window


def test_preview_is_a_child_filling_its_host(desk, helper, host):
    preview, window = start_preview(desk, helper, host)
    windows = helper.windows()
    [host_window] = [w for w in windows if w["hwnd"] == host]
    assert window["style"] & WS_CHILD and not window["style"] & WS_POPUP
    assert window["client"] == host_window["client"] == list(HOST_SIZE)
    assert window["rect"] == host_window["rect"]
    assert len(of_class(windows, SAVER_CLASS)) == 1, "a preview makes no full-screen window"
    assert desk.running_flag() == 0
    assert preview.running


def test_preview_ignores_input(desk, helper, host):
    preview, window = start_preview(desk, helper, host)
    inside = (HOST_AT[0] + HOST_SIZE[0] // 2, HOST_AT[1] + HOST_SIZE[1] // 2)
    helper.set_cursor(*inside)
    desk.move_to(inside[0] + 40, inside[1] + 40)
    desk.click(1)
    desk.click(3)
    desk.key("a")
    helper.post(window["hwnd"], WM_KEYDOWN, VK_A, 1)
    # What a preview draws does not reach the X screen under Wine: its window is probed instead.
    assert desk.answers(preview, window["hwnd"]), "the preview closed on input"
    assert of_class(helper.windows(), SAVER_CLASS, visible=True)


def test_second_preview_broadcasts_and_ends_at_once(desk, helper, host):
    first, _ = start_preview(desk, helper, host)
    other_host = helper.host(200, 150, 600, 120)
    second = desk.start("/p", other_host)
    assert second.wait_exit() == 0
    wait_for(lambda: helper.heard(other_host) > 0, timeout=30,
             what='"LumivexInit" to reach the host windows')
    assert not [w for w in helper.windows() if w["parent"] == other_host]
    assert first.running


def test_saver_starts_while_a_preview_runs(desk, helper, host):
    preview, _ = start_preview(desk, helper, host)
    saver = desk.start("/s")
    [full_screen] = wait_for_windows(helper, SAVER_CLASS, parent=0)
    assert full_screen["style"] & WS_POPUP
    assert full_screen["rect"] == [0, 0, *desk.session.screen_size]

    desk.key("a")
    assert saver.wait_exit() == 0
    assert preview.running
    assert [w for w in helper.windows() if w["class"] == SAVER_CLASS and w["parent"] == host]


@pytest.mark.parametrize("stage", ["before its window is made", "while its window is made",
                                   "once it runs"])
def test_preview_ends_and_frees_its_mutex_whenever_its_host_goes(desk, helper, stage):
    """The host may go at any moment of the preview's start (the user switches savers in the
    settings page): the preview must end at once, without a message box, and free the preview
    mutex, or the next preview would find it held and show nothing."""
    if stage == "before its window is made":
        host = helper.host(*HOST_SIZE, *HOST_AT)
        helper.destroy(host)
        preview = desk.start("/p", host)
        gone_at = time.monotonic()
    elif stage == "while its window is made":
        host = int(helper.ask("fragilehost", *HOST_SIZE, *HOST_AT))  # goes at WM_PARENTNOTIFY
        preview = desk.start("/p", host)
        wait_for(lambda: host not in [w["hwnd"] for w in helper.windows()], timeout=60,
                 interval=0.02, what="the host to go while the preview makes its window")
        gone_at = time.monotonic()
    else:
        host = helper.host(*HOST_SIZE, *HOST_AT)
        preview, _ = start_preview(desk, helper, host)
        helper.destroy(host)
        gone_at = time.monotonic()
    assert preview.wait_exit() == 0
    print(f"{stage}: ended {time.monotonic() - gone_at:.2f} s after its host went")
    assert not of_class(helper.windows(), SAVER_CLASS)
    assert helper.dialogs() == [], "a message box was left behind"
    assert helper.ask("mutex", "VellixMutex") == "free"
    # So the next preview runs rather than broadcasting and ending.
    start_preview(desk, helper, helper.host(200, 150, 600, 120))
