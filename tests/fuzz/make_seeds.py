#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz targets into OUT/<target>/.

    tests/fuzz/make_seeds.py OUT

The committed corpora under corpus/ grew from these seeds by fuzzing and were
minimised with -merge=1; the seeds are needed only to start a corpus afresh.
"""
import os
import random
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else "/tmp/tenu-fuzz-seeds"
DIRS = [(-1, -1), (-1, 0), (-1, 1), (0, -1), (0, 1), (1, -1), (1, 0), (1, 1)]


def start():
    b = [[0] * 8 for _ in range(8)]  # b[x][y], 1 black, -1 white
    b[3][3] = b[4][4] = -1
    b[3][4] = b[4][3] = 1
    return b


def flips(b, x, y, c):
    if b[x][y] != 0:
        return []
    out = []
    for dx, dy in DIRS:
        run, cx, cy = [], x + dx, y + dy
        while 0 <= cx < 8 and 0 <= cy < 8 and b[cx][cy] == -c:
            run.append((cx, cy))
            cx, cy = cx + dx, cy + dy
        if run and 0 <= cx < 8 and 0 <= cy < 8 and b[cx][cy] == c:
            out += run
    return out


def moves(b, c):
    return [(x, y) for x in range(8) for y in range(8) if flips(b, x, y, c)]


def play(b, x, y, c):
    for fx, fy in flips(b, x, y, c):
        b[fx][fy] = c
    b[x][y] = c


def random_game(rng, plies):
    b, c = start(), 1
    for _ in range(plies):
        m = moves(b, c)
        if not m:
            if not moves(b, -c):
                break
            c = -c
            continue
        play(b, *rng.choice(m), c)
        c = -c
    return b, c


def position(b, c):
    text = "*|" if c == 1 else "0|"
    for i in range(64):
        v = b[i % 8][i // 8]
        text += "*" if v == 1 else "0" if v == -1 else "-"
    return text.encode()


def line(moves_text):
    b, c = start(), 1
    for k in range(0, len(moves_text), 2):
        x, y = ord(moves_text[k]) - 97, int(moves_text[k + 1]) - 1
        play(b, x, y, c)
        c = -c
    return b, c


def board91(b, c):
    cells = bytearray([100] * 91)
    for x in range(8):
        for y in range(8):
            cells[(x + 1) + 9 * (y + 1)] = b[x][y] & 0xFF
    return bytes(cells)


def write(target, name, data):
    folder = os.path.join(OUT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    rng = random.Random(2024)
    s = start()
    think = {
        "start": position(s, 1),
        "book_f5d6": position(*line("f5d6")),
        "book_f5f6e6": position(*line("f5f6e6")),
        "white_to_move_start": position(s, -1),
        "no_move": b"*|0--------------------------------------------------------------*",
        "full_board": b"0|" + b"*" * 64,
        "short_65": position(s, 1)[:65],
        "nul_inside": position(s, 1)[:40] + b"\0" + position(s, 1)[41:],
        "trailing": position(s, 1) + b"garbage after the position",
        "bad_bar": b"*/" + position(s, 1)[2:],
        "bad_side": b"X|" + position(s, 1)[2:],
        "other_codes": b"*|" + bytes(range(0x21, 0x61)),
    }
    for k in range(24):
        b, c = random_game(rng, 4 + k * 2 + rng.randrange(2))
        think["game_%02d" % k] = position(b, c)
    # Endgames: one empty square (legal or not), two, and the solver bands.
    for k, plies in enumerate([59, 58, 57, 55, 53, 51, 49]):
        for attempt in range(50):
            b, c = random_game(rng, plies)
            if sum(v == 0 for col in b for v in col) == 60 - plies:
                think["end_%d_%d" % (60 - plies, attempt)] = position(b, c)
                break
    for name, data in think.items():
        write("fuzz_think", name, data)

    with open(os.path.join(HERE, "..", "..", "books", "openings.txt"), "rb") as f:
        book = f.read()
    books = {
        "openings": book,
        "crlf": book[:800].replace(b"\n", b"\r\n"),
        "lone_cr": b"f5d6\rc3\n",
        "ctrl_z": b"f5d6c3\n\x1ad3c3\n",
        "nul": b"f5d6\0zz\nf5f6\n",
        "odd": b"f5d6c;3\n",
        "long_piece": b" " * 600 + b"\nf5d6\n",
        "long_comment": b";" + b"f5" * 300 + b"\n",
        "other_first_moves": b"d3c3\nc4c3\ne6f4\nf5f6\n",
        "too_long": b"f5" * 70 + b"\n",
        "blanks": b"f 5\td 6  c 3\n",
    }
    b, c, game = start(), 1, ""
    for _ in range(60):
        m = moves(b, c)
        if not m:
            break
        x, y = rng.choice(m)
        play(b, x, y, c)
        game += chr(97 + x) + str(y + 1)
        c = -c
    books["whole_game_prefix"] = game.encode() + b"\n"
    for name, data in books.items():
        write("fuzz_book", name, data)

    pos = {}
    for k in range(8):
        b, c = random_game(rng, 6 + 7 * k)
        legal = moves(b, c)
        square = (legal[0][0] + 1) + 9 * (legal[0][1] + 1) if legal else 10
        side = 1 if c == 1 else 0xFF
        pos["game_%d" % k] = board91(b, c) + struct.pack("<iiiB", square, side, k % 2, k * 7)
    pos["wall_square"] = board91(s, 1) + struct.pack("<iiiB", 18, 1, 0, 0)
    pos["negative_square"] = board91(s, 1) + struct.pack("<iiiB", -5, 1, 0, 0)
    pos["huge_square"] = board91(s, 1) + struct.pack("<iiiB", 0x7FFFFFFF, 1, 0, 0)
    pos["stray_codes"] = bytes(range(91)) + struct.pack("<iiiB", 38, 0x101, 1, 3)
    pos["ones"] = b"\x01" * 91 + struct.pack("<iiiB", 40, -1, 0, 0)
    for name, data in pos.items():
        write("fuzz_posstate", name, data)

    key = b"[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\n"
    settings = {
        "saved": b"REGEDIT4\n\n" + key + b'"Depth"=dword:00000005\n"KansakiDepth"=dword:0000000c\n'
                 b'"HisshoDepth"=dword:0000000e\n"ShowProgress"=dword:00000000\n"MaemukiCut"=dword:00000001\n'
                 b'"UseJoseki"=dword:00000001\n"ClientJoseki"=dword:00000001\n"JosekiFile"="/home/me/book.txt"\n',
        "crlf": (b"REGEDIT4\n\n" + key + b'"Depth"=dword:ffffffff\n').replace(b"\n", b"\r\n"),
        "hex_kinds": b"REGEDIT4\n\n" + key + b'"Depth"=hex(4):01,00,00,00\n"KansakiDepth"=hex:01,02\n'
                     b'"JosekiFile"=hex(1):41,42,00,43\n"HisshoDepth"=hex(b):00\n',
        "escapes": b"REGEDIT4\n\n" + key + b'"JosekiFile"="C:\\\\books\\\\\\"x\\".txt"\n"dep\\"th"=dword:1\n',
        "long_path": b"REGEDIT4\n\n" + key + b'"JosekiFile"="' + b"p" * 300 + b'"\n',
        "path_259": b"REGEDIT4\n\n" + key + b'"JosekiFile"="' + b"p" * 259 + b'"\n',
        "other_key": b"REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Depth\"=dword:7\n",
        "lower_case_key": b"[hkey_current_user\\software\\vellsofts\\lum\\tenu]\n\"depth\"=dword:9\n",
        "duplicates": b"REGEDIT4\n\n" + key + b'"Depth"=dword:1\n"DEPTH"=dword:2\n' + key + b'"Depth"=dword:3\n',
    }
    for name, data in settings.items():
        write("fuzz_settings", name, data)


if __name__ == "__main__":
    main()
