#!/usr/bin/env python3
"""An independent reader and writer of "STOR" containers, used by the tests
as an oracle for the byte layout.

  stor_oracle.py read FILE [--saved]
      prints the directory offset, then one line per entry:
      "NAMEHEX POSITION DATAHEX". With --saved it also checks the
      layout of a saved file (version 1.1, offset 69, comment, data packed
      after the directory in directory order, nothing after the last stream).
  stor_oracle.py write FILE
      writes a saved container holding the streams that standard input
      lists in that order, one "NAMEHEX DATAHEX" line each.
Hexadecimal "-" stands for no bytes.
Exits with status 1 and a message on standard error when a check fails.
"""
import struct
import sys

COMMENT = b"\r\n" + b"Written by the test oracle for containers".ljust(51, b".") + b"\r\n"


def fail(message):
    sys.stderr.write("oracle: " + message + "\n")
    sys.exit(1)


def read(path, saved):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 14 or data[0:4] != b"STOR":
        fail("no STOR header")
    major, minor = data[4], data[5]
    (offset,) = struct.unpack_from("<q", data, 6)
    if offset < 14 or offset + 4 > len(data):
        fail("directory offset %d outside the file" % offset)
    (count,) = struct.unpack_from("<i", data, offset)
    at = offset + 4
    entries = []
    for _ in range(count):
        if at + 20 > len(data):
            fail("directory cut short")
        position, size, length = struct.unpack_from("<qqi", data, at)
        at += 20
        if length < 0 or at + length > len(data):
            fail("bad name length %d" % length)
        name = data[at:at + length]
        at += length
        entries.append((name, position, size))
    directory_end = at
    for name, position, size in entries:
        if position < directory_end or size < 0 or position + size > len(data):
            fail("stream %r at %d size %d outside the data area" % (name, position, size))
    if saved:
        if (major, minor) != (1, 1):
            fail("saved version %d.%d, expected 1.1" % (major, minor))
        if offset != 69:
            fail("saved directory offset %d, expected 69" % offset)
        comment = data[14:69]
        if not (comment.startswith(b"\r\n") and comment.endswith(b"\r\n")) or any(b > 127 for b in comment):
            fail("comment is not 55 ASCII bytes between CR LF pairs")
        expected = directory_end
        for name, position, size in entries:
            if position != expected:
                fail("stream %r at %d, expected %d" % (name, position, expected))
            expected += size
        if expected != len(data):
            fail("file has %d bytes, streams end at %d" % (len(data), expected))
    print(offset)
    for name, position, size in entries:
        print("%s %d %s" % (name.hex() or "-", position, data[position:position + size].hex() or "-"))


def write(path):
    streams = [tuple(bytes.fromhex(field.strip("-")) for field in line.split()) for line in sys.stdin if line.strip()]
    directory = b""
    position = 69 + 4 + sum(20 + len(name) for name, _ in streams)
    for name, data in streams:
        directory += struct.pack("<qqi", position, len(data), len(name)) + name
        position += len(data)
    out = b"STOR" + bytes([1, 1]) + struct.pack("<q", 69) + COMMENT
    out += struct.pack("<i", len(streams)) + directory + b"".join(data for _, data in streams)
    with open(path, "wb") as f:
        f.write(out)


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "read":
        read(sys.argv[2], "--saved" in sys.argv[3:])
    elif len(sys.argv) == 3 and sys.argv[1] == "write":
        write(sys.argv[2])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main()
