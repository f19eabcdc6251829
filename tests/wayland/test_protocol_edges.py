"""What lumivex -wayland does at the protocols' edges that no compositor here produces, against
the stand-in compositor: a configure that leaves the size to the client, a fractional preferred
scale, a scale and size change told in several events, and the keyboard moving between our
surfaces or to a window that is not ours."""

import struct

import pytest

from conftest import EXIT_TIMEOUT, LUMIVEX, still_running, wait_for
from fake_compositor import BASE_GLOBALS, SET_BUFFER_SCALE, lumivex_on_fake

ONE_OUTPUT = BASE_GLOBALS + [(4, "wl_output", 4)]
FRACTIONAL = [(6, "wp_fractional_scale_manager_v1", 1)]
VIEWPORTER = [(7, "wp_viewporter", 1)]
ACK_CONFIGURE = 6             # zwlr_layer_surface_v1 request


def the_surface(fake):
    """(layer surface id, wl_surface id) of the one output's surface, once it has one."""
    layer, (surface, _) = wait_for(lambda: fake.layer_surfaces and next(iter(fake.layer_surfaces.items())),
                                   timeout=30, what="a layer surface")
    return layer, surface


def buffers_after(fake, mark, count, size, what):
    """The buffers made after the first `mark`, once `count` of them have `size`."""
    return wait_for(lambda: fake.buffers()[mark:].count(size) >= count and fake.buffers()[mark:], timeout=30,
                    what=what)


def buffer_scales(fake, surface):
    return [struct.unpack("<i", args)[0] for args in fake.requests_to(surface, SET_BUFFER_SCALE)]


def test_a_configure_of_0_x_0_takes_the_outputs_logical_size():
    # 1024 x 768 pixels at scale 2: 512 x 384 in surface coordinates, drawn at the scale.
    with lumivex_on_fake(LUMIVEX, ONE_OUTPUT, mode=(1024, 768), scale=2, configure_size=(0, 0)) as (fake, lumivex):
        _, surface = the_surface(fake)
        assert buffers_after(fake, 0, 2, (1024, 768), "two buffers of the output's size") == [(1024, 768)] * 2
        assert buffer_scales(fake, surface) == [2]
        assert still_running(lumivex)


@pytest.mark.parametrize("offered, first, scale, second", [
    # Both managers: the buffer is the surface's size times the preferred scale, at buffer scale
    # 1, shown through a viewport of the surface's size.
    (FRACTIONAL + VIEWPORTER, (1920, 1200), 1, (2560, 1600)),
    # Without the viewporter the fraction cannot be shown: the output's whole scale 2, as ever.
    (FRACTIONAL, (2560, 1600), 2, None),
])
def test_a_preferred_fractional_scale_sizes_the_buffer_and_a_new_one_rebuilds_once(offered, first, scale, second):
    with lumivex_on_fake(LUMIVEX, ONE_OUTPUT + offered, mode=(2560, 1600), scale=2, configure_size=(1280, 800),
                         preferred_scale=180) as (fake, lumivex):
        _, surface = the_surface(fake)
        assert buffers_after(fake, 0, 2, first, f"two buffers of {first}") == [first] * 2
        assert buffer_scales(fake, surface) == [scale]
        assert fake.viewport_destinations() == ([(1280, 800)] if scale == 1 else [])
        if second:
            fake.prefer_scale(surface, 240)
            assert buffers_after(fake, 2, 2, second, "two buffers at the new scale") == [second] * 2
        assert still_running(lumivex)


def test_a_scale_change_told_around_its_configure_rebuilds_once_at_the_new_scale():
    # As sway tells it: the new scale, then the configure of the new size, then the output's done.
    with lumivex_on_fake(LUMIVEX, ONE_OUTPUT, mode=(800, 600), scale=1, configure_size=(800, 600)) as (fake, lumivex):
        layer, surface = the_surface(fake)
        buffers_after(fake, 0, 2, (800, 600), "the first buffers")
        output = fake.bound_ids("wl_output")[0]
        fake.describe_output(output, 2, (800, 600), done=False)
        fake.configure(layer, (400, 300))
        wait_for(lambda: len(fake.requests_to(layer, ACK_CONFIGURE)) == 2, timeout=30, what="the second ack")
        fake.describe_output(output, 2, (800, 600))
        # One rebuild: two buffers, both at the new scale; none at the old scale and the new size.
        assert buffers_after(fake, 2, 2, (800, 600), "two buffers at scale 2") == [(800, 600)] * 2
        assert buffer_scales(fake, surface) == [1, 2]
        assert still_running(lumivex)


def test_the_keyboard_going_to_a_window_not_ours_ends_it_and_moving_between_ours_does_not():
    globals_ = BASE_GLOBALS + [(4, "wl_output", 4), (5, "wl_output", 4), (8, "wl_seat", 5)]
    with lumivex_on_fake(LUMIVEX, globals_, configure_size=(1024, 768)) as (fake, lumivex):
        wait_for(lambda: len(fake.layer_surfaces) == 2 and fake.bound_ids("wl_keyboard"), timeout=30,
                 what="two surfaces and the keyboard")
        first, second = [surface for surface, _ in fake.layer_surfaces.values()]
        fake.keyboard_enter(first)
        fake.keyboard_leave(first, then_enter=second)
        assert still_running(lumivex), "the keyboard moved to another of our surfaces"
        fake.keyboard_leave(second)
        code, err = lumivex.wait_exit(EXIT_TIMEOUT)
        assert code == 0, err
