"""The saver's password check, with our fake provider PASSWORD.CPL in the system folder: with
"ScreenSaveUsePassword" set, the saver asks the provider before it closes and runs on while the
provider refuses; with the value 0, absent, or in the plain mode, the provider is never loaded."""

import pytest

from conftest import SAVER_CLASS, wait_for, wait_for_windows

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
VALUE = "ScreenSaveUsePassword"
START = (500, 400)
WM_CLOSE = 0x0010


class Provider:
    """The fake provider's two files beside the saver: its answer, and its log."""

    def __init__(self, folder):
        self.log = folder / "password.log"
        self.answer_file = folder / "password.answer"
        self.modal_file = folder / "password.modal"

    def answer(self, text):
        self.answer_file.write_text(text)

    def show_prompt_for(self, milliseconds):
        """Makes the provider show a modal prompt of its own for that long before answering."""
        self.modal_file.write_text(str(milliseconds))

    def lines(self):
        return self.log.read_text().splitlines() if self.log.exists() else []

    def questions(self):
        return [line for line in self.lines() if line.startswith("asked")]


@pytest.fixture
def provider(desk):
    provider = Provider(desk.system_folder)
    provider.log.unlink(missing_ok=True)
    provider.answer("no")
    provider.modal_file.unlink(missing_ok=True)
    yield provider
    provider.modal_file.unlink(missing_ok=True)
    set_password_option(desk, None)


def set_password_option(desk, value):
    """Sets "ScreenSaveUsePassword" to (type, data), or removes it for None."""
    if value is None:
        desk.session.reg("delete", DESKTOP_KEY, "/v", VALUE, "/f", absent=True)
    else:
        kind, data = value
        desk.registry("add", DESKTOP_KEY, "/v", VALUE, "/t", kind, "/d", data, "/f")


def start_saver(desk, helper, *switches):
    helper.set_cursor(*START)
    saver = desk.start(*switches)
    [window] = wait_for_windows(helper, SAVER_CLASS)
    return saver, window["hwnd"]


def wait_for_questions(provider, count):
    return wait_for(lambda: len(provider.questions()) >= count and provider.questions(),
                    timeout=30, what=f"the password provider to be asked {count} time(s)")


@pytest.mark.parametrize("value", [("REG_DWORD", "1"), ("REG_SZ", "1")], ids=["dword", "text"])
def test_saver_runs_on_until_the_provider_agrees(desk, helper, provider, value):
    set_password_option(desk, value)
    saver, window = start_saver(desk, helper, "/s")

    desk.key("a")
    assert wait_for_questions(provider, 1) == [f"asked {window}"]
    assert saver.keeps_running(), "the saver closed although the provider said no"

    provider.answer("yes")
    desk.key("a")
    assert saver.wait_exit() == 0
    assert len(provider.questions()) == 2
    assert "loaded" in provider.lines()  # so that its absence below means something
    assert desk.running_flag() == 0


def test_after_a_refusal_the_mouse_counts_from_where_it_stands(desk, helper, provider):
    set_password_option(desk, ("REG_DWORD", "1"))
    saver, _ = start_saver(desk, helper, "/s")
    refused_at = (START[0] + 6, START[1])

    desk.move_to(*refused_at)
    wait_for_questions(provider, 1)
    desk.move_to(refused_at[0] + 5, refused_at[1] + 5)  # 11 px from the start, 5 from here
    assert saver.keeps_running()
    assert len(provider.questions()) == 1

    provider.answer("yes")
    desk.key("a")
    assert saver.wait_exit() == 0
    assert helper.cursor() == refused_at


@pytest.mark.parametrize("switches, value", [
    (("/s",), ("REG_DWORD", "0")),
    (("/s",), None),
    ((), ("REG_DWORD", "1")),  # the plain mode never asks
], ids=["saver, value 0", "saver, no value", "plain, value 1"])
def test_no_password_means_the_provider_is_never_loaded(desk, helper, provider, switches, value):
    set_password_option(desk, value)
    saver, _ = start_saver(desk, helper, *switches)
    desk.key("a")
    assert saver.wait_exit() == 0
    assert provider.lines() == []


def test_a_prompt_that_pumps_messages_is_never_asked_again_while_it_asks(desk, helper, provider):
    """A real provider shows its own modal prompt and dispatches the saver's messages while
    it is up. Input that keeps coming meanwhile (keys, clicks, moves, a close request) must
    not ask the provider a second time before it has answered."""
    set_password_option(desk, ("REG_DWORD", "1"))
    provider.show_prompt_for(4000)
    saver, window = start_saver(desk, helper, "/s")

    desk.key("a")
    wait_for_questions(provider, 1)
    for step in range(6):  # all within the prompt's four seconds
        desk.key("b")
        desk.click(1)
        desk.move_to(START[0] + 40 * (step + 1), START[1] + 30)
        helper.post(window, WM_CLOSE)
    wait_for(lambda: "answered no" in provider.lines(), timeout=30, what="the first answer")
    assert saver.keeps_running(), "the saver closed although the provider said no"
    assert_asked_one_at_a_time(provider.lines())

    provider.answer("yes")
    desk.key("a")
    assert saver.wait_exit() == 0
    lines = provider.lines()
    assert_asked_one_at_a_time(lines)
    assert [line for line in lines if line.startswith("answered")][-1] == "answered yes"


def assert_asked_one_at_a_time(lines):
    """Every question is answered before the next one is asked."""
    events = [line.split()[0] for line in lines if line.startswith(("asked", "answered"))]
    assert events == ["asked", "answered"] * (len(events) // 2), lines
