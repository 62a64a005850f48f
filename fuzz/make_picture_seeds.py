#!/usr/bin/env python3
"""Writes seeds for fuzz/picture_fuzz.cpp into fuzz/corpus/picture: small well-formed
pictures of the formats FreeImage cannot write (Photoshop, PNM, TGA, X bitmap and pixmap,
WBMP), and damaged forms of every format in the corpus (cut at 10, 50, 75 and 99 percent,
one flipped byte, absurd declared sizes). Files are named by their SHA-1, as libFuzzer
names its own."""
import hashlib, os, struct, sys

W, H = 24, 16
here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, 'corpus', 'picture')

def pix(x, y, c): return (x * 3 + y * 7 + c * 50) % 256

def psd(w, h, ch, comp, depth=8):
    head = b'8BPS' + struct.pack('>H', 1) + b'\0' * 6 + struct.pack('>HIIHH', ch, h, w, depth, 3)
    head += struct.pack('>III', 0, 0, 0)
    rowbytes = (w * depth + 7) // 8
    if comp == 0:
        return head + struct.pack('>H', 0) + bytes(pix(x, y, c) for c in range(ch) for y in range(h) for x in range(rowbytes))
    rows = [bytes([rowbytes - 1]) + bytes(pix(x, y, c) for x in range(rowbytes)) for c in range(ch) for y in range(h)]
    return head + struct.pack('>H', 1) + b''.join(struct.pack('>H', len(r)) for r in rows) + b''.join(rows)

def pnm(kind, w, h, maxval=255):
    ch = 3 if kind in (3, 6) else 1
    head = b'P%d\n# seed\n%d %d\n' % (kind, w, h) + (b'' if kind in (1, 4) else b'%d\n' % maxval)
    if kind == 4: return head + bytes(pix(x, y, 0) for y in range(h) for x in range((w + 7) // 8))
    if kind in (5, 6):
        size = 2 if maxval > 255 else 1
        return head + bytes(pix(x, y, c) for y in range(h) for x in range(w) for c in range(ch * size))
    top = 1 if kind == 1 else maxval
    return head + b'\n'.join(b' '.join(b'%d' % (pix(x, y, c) % (top + 1)) for x in range(w) for c in range(ch)) for y in range(h)) + b'\n'

def tga(w, h, rle, depth=24):
    n = depth // 8
    head = struct.pack('<BBBHHBHHHHBB', 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, w, h, depth, 0)
    if not rle: return head + bytes(pix(x, y, c) for y in range(h) for x in range(w) for c in range(n))
    out = b''
    for y in range(h):
        out += (bytes([0x80 | (w - 1)]) + bytes(n)) if y % 2 else (bytes([w - 1]) + bytes(pix(x, y, c) for x in range(w) for c in range(n)))
    return head + out

def mbi(v):
    out = [v & 0x7f]; v >>= 7
    while v: out.insert(0, 0x80 | (v & 0x7f)); v >>= 7
    return bytes(out)

def wbmp(w, h): return b'\0\0' + mbi(w) + mbi(h) + bytes(pix(x, y, 0) for y in range(h) for x in range((w + 7) // 8))

def xbm(w, h):
    n = (w + 7) // 8 * h
    return (b'#define s_width %d\n#define s_height %d\nstatic unsigned char s_bits[] = {\n' % (w, h)
            + b', '.join(b'0x%02x' % pix(i, 0, 0) for i in range(n)) + b'};\n')

def xpm(w, h):
    rows = b',\n'.join(b'"' + bytes(b'.#'[(x + y) % 2] for x in range(w)) + b'"' for y in range(h))
    return b'/* XPM */\nstatic char *s[] = {\n"%d %d 2 1",\n". c #000000",\n"# c #FFFFFF",\n' % (w, h) + rows + b'};\n'

def damaged(data, sizes):
    """Cut, flipped and oversized forms; sizes lists (offset, packed bytes) that declare a size."""
    out = [data[:len(data) * p // 100] for p in (10, 50, 75, 99)]
    for at in (len(data) // 3, len(data) * 2 // 3):
        flipped = bytearray(data); flipped[at] ^= 0xFF; out.append(bytes(flipped))
    for offset, value in sizes:
        big = bytearray(data); big[offset:offset + len(value)] = value; out.append(bytes(big))
    return out

def write(data):
    name = hashlib.sha1(data).hexdigest()
    with open(os.path.join(corpus, name), 'wb') as f: f.write(data)

def main():
    made = {
        'psd': [(psd(W, H, 3, 0), [(14, struct.pack('>I', 29000)), (12, struct.pack('>H', 57))]),
                (psd(W, H, 4, 1), [(18, struct.pack('>I', 29000)), (22, struct.pack('>H', 7))]),
                (psd(W, H, 1, 0, 16), []), (psd(W, H, 1, 1, 1), [])],
        'pnm': [(pnm(k, W, H), []) for k in (1, 2, 3, 4, 5, 6)] + [(pnm(5, W, H, 65535), []),
               (b'P5\n20000 20000\n255\n' + bytes(1000), [])],
        'tga': [(tga(W, H, False), [(12, struct.pack('<HH', 29000, 29000))]),
                (tga(W, H, True), [(12, struct.pack('<HH', 29000, 29000))]), (tga(W, H, True, 32), [])],
        'wbmp': [(wbmp(W, H), [])],
        'xbm': [(xbm(W, H), []), (b'#define a_width 29000\n#define a_height 29000\nstatic char a_bits[]={0x00,\n', [])],
        'xpm': [(xpm(W, H), [])],
    }
    for forms in made.values():
        for data, sizes in forms:
            write(data)
            for variant in damaged(data, sizes): write(variant)
    # Damaged forms of the pictures FreeImage wrote for the corpus, one of each signature.
    seen = set()
    for name in sorted(os.listdir(corpus)):
        data = open(os.path.join(corpus, name), 'rb').read()
        signature = data[:4]
        if len(data) < 64 or signature in seen or len(seen) > 40: continue
        seen.add(signature)
        for variant in damaged(data, []): write(variant)

if __name__ == '__main__':
    main()
