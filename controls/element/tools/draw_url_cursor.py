#!/usr/bin/env python3
"""Draws the control library's link cursor, "URLCURSOR": a hand pointing
up with its index finger, hot spot at the fingertip.
Usage: draw_url_cursor.py OUTPUT.cur"""
import os
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

if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(cur_file(POINTING_HAND, (6, 0)))
