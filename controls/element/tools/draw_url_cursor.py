#!/usr/bin/env python3
"""Draws the control library's link cursor, "URLCURSOR": a hand pointing
up with its index finger, hot spot at the fingertip.

It is written as the data of a cursor image resource (the hot spot, then
the monochrome image), which the program makes a cursor of at start.
Usage: draw_url_cursor.py OUTPUT.bin"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools", "artwork"))
from cursors import cur_file  # noqa: E402

POINTING_HAND = """
      ##
     #oo#
     #oo#
     #oo#
     #oo#
     #oo##
     #oo#o##
     #oo#o#o##
  ## #oo#o#o#o#
 #oo##ooooooooo#
 #ooo#ooooooooo#
  #ooooooooooooo#
   #oooooooooooo#
   #ooooooooooo#
    #oooooooooo#
    #oooooooooo#
     #oooooooo#
     ##########
"""


def image_resource(cur):
    """The hot spot, then the image, of a one-image .cur file."""
    hot_x, hot_y, size, offset = struct.unpack_from("<HHII", cur, 6 + 4)
    return struct.pack("<HH", hot_x, hot_y) + cur[offset:offset + size]


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(image_resource(cur_file(POINTING_HAND, (6, 0))))
