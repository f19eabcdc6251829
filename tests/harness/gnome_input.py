"""The GNOME tests' input: one remote-desktop session of GNOME's compositor, held for as long as
this helper runs (the session and its virtual devices die with the bus connection that made
them). Usage: gnome_input.py BUS_ADDRESS; it prints "ready" once the session has started, then
reads one command a line from stdin and prints "done" after each:

    key CODE        a press and release of the key with that evdev code
    move DX DY      a relative pointer motion
    button          a press and release of the left button
"""

import sys

import dbus

SERVICE = "org.gnome.Mutter.RemoteDesktop"
BTN_LEFT = 0x110


def main():
    bus = dbus.bus.BusConnection(sys.argv[1])
    desktop = dbus.Interface(bus.get_object(SERVICE, "/org/gnome/Mutter/RemoteDesktop"), SERVICE)
    session = dbus.Interface(bus.get_object(SERVICE, desktop.CreateSession()), SERVICE + ".Session")
    session.Start()
    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if words[0] == "key":
            for pressed in (True, False):
                session.NotifyKeyboardKeycode(dbus.UInt32(int(words[1])), pressed)
        elif words[0] == "move":
            session.NotifyPointerMotionRelative(dbus.Double(float(words[1])), dbus.Double(float(words[2])))
        elif words[0] == "button":
            for pressed in (True, False):
                session.NotifyPointerButton(dbus.Int32(BTN_LEFT), pressed)
        else:
            print(f"unknown command {line.strip()!r}", file=sys.stderr, flush=True)
            return 2
        print("done", flush=True)
    session.Stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
