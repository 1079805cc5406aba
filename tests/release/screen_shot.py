"""Screenshots of an Xvfb screen for a person to look at: Xvfb -fbdir keeps
the screen in a file in X's window-dump format (XWD, 24-bit colour in 32-bit
pixels); screen_shot() writes it as a PNG, with nothing but zlib."""
import struct
import zlib

XWD_HEADER_FIELDS = 25


def screen_shot(xwd_path, png_path):
    with open(xwd_path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">%dI" % XWD_HEADER_FIELDS, data[:4 * XWD_HEADER_FIELDS])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, colours = fields[7], fields[11], fields[12], fields[19]
    if bits_per_pixel != 32 or byte_order != 0:
        raise ValueError(f"{xwd_path}: {bits_per_pixel}-bit pixels, byte order {byte_order}: not Xvfb's 24-bit screen")
    start = header_size + 12 * colours  # the colour map's entries take 12 bytes each
    rows = []
    for y in range(height):
        pixels = data[start + y * bytes_per_line:start + y * bytes_per_line + 4 * width]
        rgb = bytearray(3 * width)
        rgb[0::3], rgb[1::3], rgb[2::3] = pixels[2::4], pixels[1::4], pixels[0::4]  # B G R x in memory
        rows.append(b"\0" + bytes(rgb))  # filter type 0 before every row

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b""))
    with open(png_path, "wb") as f:
        f.write(png)
