"""An output that goes (its global removed, as when a monitor is unplugged) loses its surface and
is released; a surface the compositor closes while its output stays is made anew, unless the
compositor never took it; lumivex runs on, on the outputs left or waiting for one. Headless sway
1.7 can neither unplug nor disable an output, so a stand-in compositor plays it, and the test
reads the requests lumivex sends it."""

from conftest import LUMIVEX, still_running, wait_for
from fake_compositor import BASE_GLOBALS, GET_LAYER_SURFACE, LAYER_SURFACE_DESTROY, OUTPUT_RELEASE, lumivex_on_fake

TWO_OUTPUTS = BASE_GLOBALS + [(4, "wl_output", 4), (5, "wl_output", 4)]


def surfaces_by_output(fake):
    """The first layer surface of each output, once both outputs have one."""
    def made():
        return len(fake.layer_surfaces) >= 2 and len(fake.bound_ids("wl_output")) == 2
    wait_for(made, timeout=30, what="a layer surface on each of the two outputs")
    return {output: fake.surfaces_on(output)[0][0] for output in fake.bound_ids("wl_output")}


def test_an_output_that_goes_loses_its_surface_and_is_released_and_a_closed_surface_is_made_anew():
    with lumivex_on_fake(LUMIVEX, TWO_OUTPUTS, configure_size=(1024, 768)) as (fake, lumivex):
        by_output = surfaces_by_output(fake)
        first_output, second_output = fake.bound_ids("wl_output")
        wait_for(lambda: len(fake.buffers()) == 4, timeout=30, what="the buffers of both surfaces")

        fake.remove_global(4)
        fake.wait_for_request(by_output[first_output], LAYER_SURFACE_DESTROY, "the gone output's surface destroyed")
        fake.wait_for_request(first_output, OUTPUT_RELEASE, "the gone output released")
        assert not fake.requests_to(by_output[second_output], LAYER_SURFACE_DESTROY)
        assert not fake.requests_to(second_output, OUTPUT_RELEASE)
        assert still_running(lumivex)

        fake.close_surface(by_output[second_output])
        fake.wait_for_request(by_output[second_output], LAYER_SURFACE_DESTROY, "the closed surface destroyed")
        renewed = wait_for(lambda: len(fake.surfaces_on(second_output)) == 2 and fake.surfaces_on(second_output)[1],
                           timeout=30, what="a new surface on the output that stayed")
        wait_for(lambda: len(fake.buffers()) == 6, timeout=30, what="the new surface drawn")
        assert renewed[0] != by_output[second_output]
        assert still_running(lumivex)


def test_a_surface_closed_before_it_was_ever_configured_gets_no_other():
    with lumivex_on_fake(LUMIVEX, TWO_OUTPUTS) as (fake, lumivex):
        by_output = surfaces_by_output(fake)
        first_output, second_output = fake.bound_ids("wl_output")
        fake.remove_global(4)
        fake.wait_for_request(by_output[first_output], LAYER_SURFACE_DESTROY, "the gone output's surface destroyed")
        fake.close_surface(by_output[second_output])
        fake.wait_for_request(by_output[second_output], LAYER_SURFACE_DESTROY, "the closed surface destroyed")
        assert still_running(lumivex), "no output left is no error"
        # A compositor that refuses the surface outright would refuse every new one as well.
        assert len(fake.requests_to(fake.bound_ids("zwlr_layer_shell_v1")[0], GET_LAYER_SURFACE)) == 2
