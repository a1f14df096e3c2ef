"""The skin kit's two hand cursors, drawn as 32 x 32 monochrome cursors:
'#' black outline, 'o' white, anything else transparent."""
import struct

HAND = """
     ##
    #oo#
    #oo#
    #oo#
    #oo#
    #oo###
    #oo#oo###
    #oo#oo#oo##
 ## #oo#oo#oo#o#
#oo##oo#oo#oo#o#
#ooo#oooooooooo#
 #oo#oooooooooo#
  #oooooooooooo#
  #ooooooooooooo#
   #oooooooooooo#
   #ooooooooooo#
    #oooooooooo#
    #oooooooooo#
     #oooooooo#
     #oooooooo#
     ##########
"""

GRAB = """
    ## ## ##
   #oo#oo#oo##
   #oo#oo#oo#o#
 ###oo#oo#oo#o#
#oo#ooooooooooo#
#oooooooooooooo#
 #ooooooooooooo#
  #oooooooooooo#
  #ooooooooooooo#
   #oooooooooooo#
   #ooooooooooo#
    #oooooooooo#
     #oooooooo#
     #oooooooo#
     ##########
"""


def cur_file(art, hotspot, size=32):
    rows = art.strip("\n").split("\n")
    def pixel(x, y):
        return rows[y][x] if y < len(rows) and x < len(rows[y]) else " "
    stride = size // 8
    xor, and_ = bytearray(), bytearray()
    for y in reversed(range(size)):          # DIB rows run bottom-up
        xrow, arow = bytearray(stride), bytearray(stride)
        for x in range(size):
            p = pixel(x, y)
            bit = 0x80 >> (x % 8)
            if p == "o":
                xrow[x // 8] |= bit
            elif p != "#":
                arow[x // 8] |= bit          # transparent
        xor += xrow
        and_ += arow
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + bytes(xor) + bytes(and_)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return header + entry + image


def write_cursors(folder):
    with open(f"{folder}/rx_handcur.cur", "wb") as f:
        f.write(cur_file(HAND, (5, 0)))
    with open(f"{folder}/rx_dragcur.cur", "wb") as f:
        f.write(cur_file(GRAB, (8, 7)))
