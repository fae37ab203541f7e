#!/bin/sh
# Regenerates the image fixtures in this folder with ImageMagick 6 (Debian's imagemagick).
# The tests decode each file and compare the pixels with stb_image's decode of the same file,
# or of a named twin where stb_image cannot read the file.
#
# Sources, all odd widths so that BMP rows carry padding:
#   photo: 13 x 7, 91 distinct colours; photo-alpha: the same with alpha varying by column;
#   runs: 37 x 9 with horizontal runs, for the run-length encodings.
# ImageMagick writes 40-byte BMP headers only as "BMP3:" and 12-byte OS/2 headers as "BMP2:".
# Its 16-bit and bit-field files come with a 124-byte header ("*-v5.bmp", kept as stb_image's
# reference); the 40-byte files of the same layouts are made from them below by keeping the
# first 40 header bytes, the three masks after them (for bit fields) and the pixel bytes as
# they are. ImageMagick writes no RLE4 BMP; the tests build those by hand.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 13x7 xc:black \
    -channel R -fx "((i*37+j*11)%256)/255" \
    -channel G -fx "((i*13+j*59)%256)/255" \
    -channel B -fx "((i*i+j*71)%256)/255" +channel -depth 8 "$tmp/photo.png"
convert "$tmp/photo.png" -alpha set -channel A -fx "0.3+i/20" +channel "$tmp/photo-alpha.png"
convert -size 37x9 xc:black \
    -channel R -fx "((floor(i/6)*53+j*17)%256)/255" \
    -channel G -fx "((j*40)%256)/255" \
    -channel B -fx "(i%7==3)?1:0.2" +channel -depth 8 "$tmp/runs.png"

photo="$tmp/photo.png"
alpha="$tmp/photo-alpha.png"
runs="$tmp/runs.png"

# BMP, 40-byte header.
convert "$photo" -type TrueColor -compress None BMP3:bmp24.bmp
convert "$alpha" -define bmp3:alpha=true -compress None BMP3:bmp32.bmp
convert "$photo" -type Palette -compress None BMP3:bmp8.bmp
convert "$photo" -colors 16 -compress None BMP3:bmp4.bmp
convert "$photo" -colors 2 -compress None BMP3:bmp1.bmp
convert "$runs" -type Palette -compress None BMP3:bmp8-runs.bmp
convert "$runs" -type Palette -compress RLE BMP3:bmp8-rle.bmp

# BMP, OS/2 12-byte header with 3-byte palette entries.
convert "$photo" -type TrueColor -compress None BMP2:os2-24.bmp
convert "$photo" -type TrueColor -define bmp:subtype=RGB555 -compress None BMP2:os2-16.bmp
convert "$photo" -type Palette -compress None BMP2:os2-8.bmp
convert "$photo" -colors 16 -compress None BMP2:os2-4.bmp
convert "$photo" -colors 2 -compress None BMP2:os2-1.bmp

# BMP, 124-byte header: 16 bits 5-5-5, 5-6-5, 4-4-4(-4) and 32 bits, all with bit fields.
convert "$photo" -type TrueColor -define bmp:subtype=RGB555 BMP:bmp16-555-v5.bmp
convert "$photo" -type TrueColor -define bmp:subtype=RGB565 BMP:bmp16-565-v5.bmp
convert "$alpha" -define bmp:subtype=ARGB4444 BMP:bmp16-4444-v5.bmp
convert "$alpha" BMP:bmp32-v5.bmp

# The same pixels behind a 40-byte header: with bit fields, or (bmp16.bmp) without, which
# means 5-5-5.
to_info_header() {  # source, destination, keep masks (1 or 0)
    python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
src, dst, keep = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
data = open(src, "rb").read()
offset = struct.unpack_from("<I", data, 10)[0]
info = bytearray(data[14:14 + 40])
struct.pack_into("<I", info, 0, 40)
masks = data[14 + 40:14 + 52]
if keep:
    struct.pack_into("<I", info, 16, 3)
else:
    assert struct.unpack("<III", masks) == (0x7C00, 0x3E0, 0x1F)
    struct.pack_into("<I", info, 16, 0)
    masks = b""
pixels = data[offset:]
start = 14 + len(info) + len(masks)
header = b"BM" + struct.pack("<IHHI", start + len(pixels), 0, 0, start)
open(dst, "wb").write(header + bytes(info) + masks + pixels)
PY
}
to_info_header bmp16-555-v5.bmp bmp16.bmp 0
to_info_header bmp16-565-v5.bmp bmp16-565.bmp 1
to_info_header bmp16-4444-v5.bmp bmp16-4444.bmp 1
to_info_header bmp32-v5.bmp bmp32-bitfields.bmp 1

# TGA: type 2 and type 10, 24 and 32 bits.
convert "$photo" -type TrueColor -compress None tga24.tga
convert "$photo" -type TrueColor -compress RLE tga24-rle.tga
convert "$alpha" -type TrueColorAlpha -compress None tga32.tga
convert "$alpha" -type TrueColorAlpha -compress RLE tga32-rle.tga
convert "$runs" -type TrueColor -compress RLE tga24-runs-rle.tga
