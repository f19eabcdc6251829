"""An output that goes (its global removed, as when a monitor is unplugged) or whose surface the
compositor closes loses its surface, and lumivex runs on, on the outputs left or waiting for one.
Headless sway 1.7 can neither unplug nor disable an output, so a stand-in compositor plays it:
it configures nothing, and the test reads the requests lumivex sends it."""

import os
import shutil
import struct
import tempfile
from pathlib import Path

from conftest import LUMIVEX, wait_for
from fake_compositor import FakeCompositor
from lumivex_process import Lumivex

GET_LAYER_SURFACE = 0        # zwlr_layer_shell_v1 request
LAYER_SURFACE_DESTROY = 7    # zwlr_layer_surface_v1 request
CLOSED = 1                   # zwlr_layer_surface_v1 event
STILL_RUNNING_SECONDS = 2


def test_an_output_that_goes_or_is_closed_loses_its_surface_and_lumivex_runs_on():
    folder = Path(tempfile.mkdtemp(prefix="lumivex-fake-"))
    fake = FakeCompositor(folder, "wayland-8", [(1, "wl_compositor", 4), (2, "wl_shm", 1),
                                                (3, "zwlr_layer_shell_v1", 4), (4, "wl_output", 3),
                                                (5, "wl_output", 3)])
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_SOCKET")}
    env.update(XDG_RUNTIME_DIR=str(folder), WAYLAND_DISPLAY="wayland-8")
    lumivex = Lumivex(LUMIVEX, ["-wayland"], env)
    try:
        def surfaces():
            shell = fake.bound.get("zwlr_layer_shell_v1", [None])[0]
            made = fake.requests_to(shell, GET_LAYER_SURFACE)
            return made if len(made) == 2 else None

        # get_layer_surface(id, surface, output, layer, namespace): the surface of each output.
        made = wait_for(surfaces, timeout=30, what="a layer surface on each of the two outputs")
        by_output = {struct.unpack_from("<III", args)[2]: struct.unpack_from("<I", args)[0] for args in made}
        first_output, second_output = fake.bound["wl_output"]
        assert set(by_output) == {first_output, second_output}

        fake.remove_global(4)
        fake.wait_for_request(by_output[first_output], LAYER_SURFACE_DESTROY, "the gone output's surface destroyed")
        assert not fake.requests_to(by_output[second_output], LAYER_SURFACE_DESTROY)
        assert still_running(lumivex)

        fake.send(fake.message(by_output[second_output], CLOSED, b""))
        fake.wait_for_request(by_output[second_output], LAYER_SURFACE_DESTROY, "the closed surface destroyed")
        assert still_running(lumivex), "no output left is no error"
        assert len(fake.requests_to(fake.bound["zwlr_layer_shell_v1"][0], GET_LAYER_SURFACE)) == 2, \
            "a closed output gets no new surface"
    finally:
        lumivex.stop()
        fake.close()
        shutil.rmtree(folder, ignore_errors=True)


def still_running(lumivex):
    try:
        lumivex.process.wait(timeout=STILL_RUNNING_SECONDS)
    except Exception:  # noqa: BLE001 - the time-out is the outcome wanted
        return True
    return False
