"""Reads a label document archive by its published layout, on its own:
prints one line per entry (name, date, chunk count, compressed chunk count)
and writes each entry's data into the output folder under its file part.
Exits non-zero on anything that breaks the layout."""
import os
import struct
import sys
import zlib

CHUNK = 16384


def main(archive_name, out_folder):
    data = open(archive_name, "rb").read()
    pos = 0

    def take(n):
        nonlocal pos
        assert 0 <= n and pos + n <= len(data), "archive ends too early"
        piece = data[pos:pos + n]
        pos += n
        return piece

    def int32():
        return struct.unpack("<i", take(4))[0]

    take(int32())  # title
    int32()        # total size
    int32()        # unused value
    while True:
        n = int32()
        if n == 0:
            break
        name = take(n).decode("latin-1")
        date = int32()
        assert take(4) == b"EC2\0", "bad tag"
        out = bytearray()
        chunks = packed = 0
        while True:
            length = int32()
            if length == 0:
                break
            assert abs(length) <= CHUNK, "chunk too long"
            chunks += 1
            if length > 0:
                packed += 1
                inflater = zlib.decompressobj()
                plain = inflater.decompress(take(length))
                assert inflater.eof and not inflater.unused_data, "not one complete zlib stream"
                assert len(plain) <= CHUNK, "chunk inflates too far"
                out += plain
            else:
                out += take(-length)
        base = name.replace("\\", "/").split("/")[-1]
        with open(os.path.join(out_folder, base), "wb") as f:
            f.write(out)
        print(name, date, chunks, packed)
    assert pos == len(data), "bytes after the end marker"


main(sys.argv[1], sys.argv[2])
