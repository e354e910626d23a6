#!/usr/bin/env python3
"""Tests of the art generator: its file writers read back by independent readers, the art
source's checks, and the rules the button faces follow."""

import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artgen  # noqa: E402

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "art",
                   "toolbar.art")


def pattern_image(width, height):
    img = artgen.Image(width, height)
    for y in range(height):
        for x in range(width):
            img.set(x, y, (x * 7 + y * 3) % 16)
    return img


def read_4bit_pixel(bits, width, height, x, y):
    """Pixel (x, y), row 0 at the top, of bottom-up 4-bit rows padded to 32 bits."""
    stride = (width * 4 + 31) // 32 * 4
    byte = bits[(height - 1 - y) * stride + x // 2]
    return byte >> 4 if x % 2 == 0 else byte & 0x0F


class BmpTest(unittest.TestCase):
    def test_odd_and_even_widths_read_back(self):
        colours = [(i, 255 - i, i * 3 % 256) for i in range(16)]
        for width in (1, 2, 3, 7, 8, 9, 16, 253):
            img = pattern_image(width, 5)
            data = artgen.bmp_bytes(img, colours)
            magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
            (hsize, w, h, planes, bits, compression, image_size, _, _, used,
             _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
            stride = (width * 4 + 31) // 32 * 4
            self.assertEqual((magic, size, offset), (b"BM", len(data), 14 + 40 + 64), width)
            self.assertEqual((hsize, w, h, planes, bits, compression), (40, width, 5, 1, 4, 0))
            self.assertEqual(image_size, stride * 5)
            self.assertIn(used, (0, 16))
            table = data[54:54 + 64]
            self.assertEqual(table[4 * 5:4 * 5 + 4], bytes((15, 250, 5, 0)))  # B, G, R, 0
            pixels = data[offset:]
            self.assertEqual(len(pixels), stride * 5)
            for y in range(5):
                for x in range(width):
                    self.assertEqual(read_4bit_pixel(pixels, width, 5, x, y), img.get(x, y),
                                     (width, x, y))


class IcoTest(unittest.TestCase):
    def test_one_4bit_image_with_an_opaque_mask(self):
        img = pattern_image(32, 32)
        data = artgen.ico_bytes(img, [(0, 0, 0)] * 16)
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        w, h, ncolours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((reserved, kind, count), (0, 1, 1))
        self.assertEqual((w, h, ncolours, planes, bits), (32, 32, 16, 1, 4))
        self.assertEqual(offset + size, len(data))
        hsize, bw, bh, _, bbits = struct.unpack_from("<IiiHH", data, offset)
        self.assertEqual((hsize, bw, bh, bbits), (40, 32, 64, 4))
        xor = data[offset + 40 + 64:offset + 40 + 64 + 16 * 32]
        mask = data[offset + 40 + 64 + 16 * 32:]
        self.assertEqual(len(mask), 4 * 32)
        self.assertEqual(mask, bytes(len(mask)))
        self.assertEqual(read_4bit_pixel(xor, 32, 32, 5, 0), img.get(5, 0))
        self.assertEqual(read_4bit_pixel(xor, 32, 32, 30, 31), img.get(30, 31))


class PngTest(unittest.TestCase):
    def test_chunks_and_rows(self):
        rows = [bytes([10, 20, 30, 40, 50, 60]), bytes([70, 80, 90, 100, 110, 120])]
        data = artgen.png_bytes(2, 2, rows)
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
        pos, chunks = 8, {}
        while pos < len(data):
            (length,) = struct.unpack_from(">I", data, pos)
            kind = data[pos + 4:pos + 8]
            body = data[pos + 8:pos + 8 + length]
            (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
            self.assertEqual(crc, zlib.crc32(kind + body) & 0xFFFFFFFF, kind)
            chunks[kind] = body
            pos += 12 + length
        self.assertEqual(struct.unpack(">IIBBBBB", chunks[b"IHDR"]), (2, 2, 8, 2, 0, 0, 0))
        self.assertEqual(zlib.decompress(chunks[b"IDAT"]), b"\x00" + rows[0] + b"\x00" + rows[1])


class ArtSourceTest(unittest.TestCase):
    def write(self, text):
        handle, path = tempfile.mkstemp(suffix=".art")
        with os.fdopen(handle, "w") as f:
            f.write(text)
        self.addCleanup(os.remove, path)
        return path

    def source_with_picture(self, rows):
        with open(ART, encoding="utf-8") as f:
            text = f.read()
        start = text.index("picture DataW\n") + len("picture DataW\n")
        end = text.index("end\n", start)
        return text[:start] + "\n".join(rows) + "\n" + text[end:]

    def test_the_real_source_parses(self):
        art = artgen.parse_toolbar_art(ART)
        self.assertEqual(len(art.buttons), 13)
        self.assertEqual([s for s, _ in art.sets], ["", "9", "8", "X"])

    def test_ragged_picture_is_refused(self):
        rows = ["." * 26] * 13 + ["." * 25]
        with self.assertRaisesRegex(artgen.ArtError, "DataW must be 26 x 14"):
            artgen.parse_toolbar_art(self.write(self.source_with_picture(rows)))

    def test_unknown_letter_is_refused(self):
        rows = ["." * 26] * 13 + ["." * 25 + "?"]
        with self.assertRaisesRegex(artgen.ArtError, "unknown letter"):
            artgen.parse_toolbar_art(self.write(self.source_with_picture(rows)))


class FaceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.art = artgen.parse_toolbar_art(ART)

    def faces(self, stem):
        for name, width, picture in self.art.buttons:
            if name == stem:
                return artgen.button_faces(self.art, width, picture)
        raise KeyError(stem)

    def test_up_is_raised_and_dn_sunken(self):
        f = self.faces("Read")
        up, dn = f["Up"], f["Dn"]
        self.assertEqual((up.get(0, 0), up.get(31, 19), up.get(30, 18)),
                         (artgen.WHITE, artgen.BLACK, artgen.DARK_GREY))
        self.assertEqual((dn.get(0, 0), dn.get(31, 19), dn.get(1, 1)),
                         (artgen.DARK_GREY, artgen.WHITE, artgen.BLACK))

    def test_dn_shows_the_picture_one_pixel_lower_right(self):
        f = self.faces("Help")
        for y in range(3, 16):
            for x in range(3, 28):
                self.assertEqual(f["Dn"].get(x + 1, y + 1), f["Up"].get(x, y), (x, y))

    def test_in_faces_use_greys_only(self):
        for stem, _, _ in self.art.buttons:
            used = set(self.faces(stem)["In"].pixels)
            self.assertLessEqual(used, {artgen.BLACK, artgen.FACE, artgen.DARK_GREY,
                                        artgen.WHITE}, stem)

    def test_every_picture_keeps_clear_of_the_edges(self):
        # The picture must not touch the two-pixel edges of the raised or sunken button.
        for stem, width, picture in self.art.buttons:
            if picture is None:
                continue
            f = self.faces(stem)
            self.assertEqual(f["Up"].get(2, 2), artgen.FACE, stem)
            self.assertEqual(f["Dn"].get(2, 2), artgen.FACE, stem)


class DrawingTest(unittest.TestCase):
    def test_least_squares_recovers_an_exact_cubic(self):
        points = [(x, 1 - 2 * x + 0.5 * x ** 3) for x in (0.0, 1.0, 2.0, 3.0, 4.5, 6.0)]
        coef = artgen.fit_polynomial(points, 3)
        for got, want in zip(coef, (1, -2, 0, 0.5)):
            self.assertAlmostEqual(got, want, places=9)

    def test_glyphs_are_rectangular(self):
        for ch in artgen.GLYPHS:
            artgen.glyph(ch)  # raises on a ragged glyph

    def test_start_picture_and_icon_sizes(self):
        start = artgen.start_picture()
        icon = artgen.icon_picture()
        self.assertEqual((start.width, start.height), (253, 221))
        self.assertEqual((icon.width, icon.height), (32, 32))
        self.assertEqual(start.get(0, 0), artgen.NAVY)
        self.assertEqual(start.get(5, 5), artgen.CYAN)
        self.assertEqual(start.get(247, 215), artgen.CYAN)


if __name__ == "__main__":
    unittest.main()
