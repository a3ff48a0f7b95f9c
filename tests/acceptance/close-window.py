#!/usr/bin/env python3
"""Asks an X window to close, as a window manager's close button does (WM_DELETE_WINDOW).

Usage: close-window.py WINDOW_ID   (DISPLAY names the server)
"""
import ctypes
import ctypes.util
import sys

c = ctypes
# An XClientMessageEvent: type, serial, send_event, display, window, message_type, format and
# five longs of data, padded to the size of an XEvent.
fields = [c.c_int, c.c_ulong, c.c_int, c.c_void_p, c.c_ulong, c.c_ulong, c.c_int, c.c_long * 5]
Event = type("Event", (c.Structure,), {"_fields_": [(f"f{i}", t) for i, t in enumerate(fields)]
                                        + [("pad", c.c_long * 12)]})
x11 = c.CDLL(c.util.find_library("X11"))
x11.XOpenDisplay.restype = c.c_void_p
x11.XInternAtom.restype = c.c_ulong
x11.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]
x11.XSendEvent.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_long, c.POINTER(Event)]
x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [c.c_void_p]
display = x11.XOpenDisplay(None) or sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
protocols = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
delete = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
event = Event(33, 0, 0, None, window, protocols, 32, (c.c_long * 5)(delete, 0))  # ClientMessage
x11.XSendEvent(display, window, False, 0, c.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
