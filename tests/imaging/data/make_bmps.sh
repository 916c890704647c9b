#!/usr/bin/env bash
# Regenerates the BMP files the tests read, with ImageMagick's convert
# (the real one, /usr/bin/convert) from a PAM written by Python. Pixel (x, y)
# of the 7 x 5 source: red 36x, green 60y, blue 13xy mod 256, alpha 255
# except (1, 1) = 0 and (3, 2) = 128, (6, 4) = 77.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
python3 - <<'PY'
w, h = 7, 5
alpha = {(1, 1): 0, (3, 2): 128, (6, 4): 77}
px = bytearray()
for y in range(h):
    for x in range(w):
        px += bytes([36 * x, 60 * y, (13 * x * y) % 256, alpha.get((x, y), 255)])
with open("/tmp/source.pam", "wb") as f:
    f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (w, h) + px)
PY
"$convert" /tmp/source.pam im_v5_32.bmp
"$convert" /tmp/source.pam -alpha off -type TrueColor BMP3:im_v3_24.bmp
"$convert" /tmp/source.pam -alpha off -type TrueColor im_v5_24.bmp
"$convert" /tmp/source.pam -alpha off -type Palette -compress None BMP3:im_v3_8.bmp
rm /tmp/source.pam

# Forms this ImageMagick does not write, from Python: a V4 (108-byte) header
# with bit fields, top-down 24- and 32-bit files, and 16-bit 5-6-5.
python3 - <<'PY'
import struct
w, h = 7, 5
alpha = {(1, 1): 0, (3, 2): 128, (6, 4): 77}
def rgba(x, y):
    return 36 * x, 60 * y, (13 * x * y) % 256, alpha.get((x, y), 255)

def write(name, header_size, bits, compression, masks, top_down, pixel):
    stride = (w * bits + 31) // 32 * 4
    rows = []
    for y in (range(h) if top_down else range(h - 1, -1, -1)):
        row = b"".join(pixel(*rgba(x, y)) for x in range(w))
        rows.append(row + bytes(stride - len(row)))
    extra = header_size - 40
    info = struct.pack("<IiiHHIIiiII", header_size, w, -h if top_down else h, 1, bits, compression,
                       stride * h, 2835, 2835, 0, 0)
    info += struct.pack("<4I", *masks)[:extra] + bytes(max(0, extra - 16))
    offset = 14 + len(info)
    data = b"".join(rows)
    with open(name, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + data)

bgra = lambda r, g, b, a: bytes([b, g, r, a])
write("py_v4_32_bitfields.bmp", 108, 32, 3, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), False, bgra)
write("py_v4_32_topdown.bmp", 108, 32, 3, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), True, bgra)
write("py_v3_32_topdown.bmp", 40, 32, 0, (0, 0, 0, 0), True, bgra)
write("py_v3_24_topdown.bmp", 40, 24, 0, (0, 0, 0, 0), True, lambda r, g, b, a: bytes([b, g, r]))
write("py_v5_16_565.bmp", 124, 16, 3, (0xF800, 0x07E0, 0x001F, 0), False,
      lambda r, g, b, a: struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)))
PY
