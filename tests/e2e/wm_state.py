#!/usr/bin/python3
"""Sets the WM_STATE of an X window as a window manager keeps it, for a
display that has no manager to do so: "iconic" is what minimising makes
of it, "normal" what showing the window again makes of it.

    wm_state.py <window id> iconic|normal

The window is not unmapped here: going into the tray, the program hides it
itself, so a window still on screen afterwards means the program missed the
minimise.
"""
import ctypes
import ctypes.util
import sys

STATES = {"normal": 1, "iconic": 3}
PROP_MODE_REPLACE = 0


def main():
    window = int(sys.argv[1], 0)
    state = STATES[sys.argv[2]]
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                     ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    wm_state = xlib.XInternAtom(display, b"WM_STATE", 0)
    data = (ctypes.c_long * 2)(state, 0)  # format 32 travels as C longs
    xlib.XChangeProperty(display, window, wm_state, wm_state, 32, PROP_MODE_REPLACE, data, 2)
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


if __name__ == "__main__":
    main()
