"""Prints the window that owns an X selection (for example the system tray's
_NET_SYSTEM_TRAY_S0) and exits 0, or exits 1 when no client owns it."""
import ctypes
import ctypes.util
import sys


def main() -> int:
    if len(sys.argv) != 2:
        print("usage: selection_owner.py SELECTION", file=sys.stderr)
        return 2
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XGetSelectionOwner.restype = ctypes.c_ulong
    xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(None)
    if not display:
        print("cannot open the display", file=sys.stderr)
        return 2
    try:
        atom = xlib.XInternAtom(display, sys.argv[1].encode(), 0)
        owner = xlib.XGetSelectionOwner(display, atom)
    finally:
        xlib.XCloseDisplay(display)
    if owner == 0:
        return 1
    print(hex(owner))
    return 0


if __name__ == "__main__":
    sys.exit(main())
