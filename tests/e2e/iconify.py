#!/usr/bin/python3
"""Minimises an X window the way a window manager does (ICCCM: the client
is unmapped and its WM_STATE becomes Iconic), for a display that has no
window manager to answer the client's own request.

    iconify.py <window id>
"""
import ctypes
import ctypes.util
import sys

NORMAL, ICONIC = 1, 3
PROP_MODE_REPLACE = 0


def main():
    window = int(sys.argv[1], 0)
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                     ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    xlib.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    wm_state = xlib.XInternAtom(display, b"WM_STATE", 0)

    def set_state(state):
        data = (ctypes.c_long * 2)(state, 0)  # format 32 travels as C longs
        xlib.XChangeProperty(display, window, wm_state, wm_state, 32, PROP_MODE_REPLACE, data, 2)
        xlib.XSync(display, 0)

    # With no manager nobody keeps WM_STATE current; going through Normal
    # makes the Iconic that follows news to the client every time.
    set_state(NORMAL)
    xlib.XUnmapWindow(display, window)
    set_state(ICONIC)
    xlib.XCloseDisplay(display)


if __name__ == "__main__":
    main()
