#!/usr/bin/env python3
"""Writes deep_solves.tsv: positions with 18 to 22 empty squares from seeded
random games, with the values the engine's exact and win/loss/draw solvers
answer for them (called as `tenu search` calls them: normalised for the
side to move, column-order list, bound 10000). The engine's exact values
agree with the reference wherever the reference finishes (16 empty squares
and fewer); these deeper ones pin what the engine answers so that later
changes to its searches keep every value.

    tests/data/make_deep_solves.py build/host/tenu > tests/data/deep_solves.tsv
"""
import random
import subprocess
import sys


def flips(board, x, y, colour):
    found = []
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            if dx == dy == 0:
                continue
            run = []
            i, j = x + dx, y + dy
            while 0 <= i < 8 and 0 <= j < 8 and board[j][i] == -colour:
                run.append((i, j))
                i += dx
                j += dy
            if run and 0 <= i < 8 and 0 <= j < 8 and board[j][i] == colour:
                found += run
    return found if board[y][x] == 0 else []


def moves(board, colour):
    return [(x, y) for y in range(8) for x in range(8) if flips(board, x, y, colour)]


def position(board, colour):
    text = ('*' if colour == 1 else '0') + '|'
    for y in range(8):
        for x in range(8):
            text += {1: '*', -1: '0', 0: '-'}[board[y][x]]
    return text


def random_position(rng, empties):
    while True:
        board = [[0] * 8 for _ in range(8)]
        board[3][3] = board[4][4] = -1
        board[3][4] = board[4][3] = 1
        colour = 1
        while sum(row.count(0) for row in board) > empties:
            legal = moves(board, colour)
            if not legal:
                colour = -colour
                if not moves(board, colour):
                    break
                continue
            x, y = rng.choice(legal)
            for i, j in flips(board, x, y, colour):
                board[j][i] = colour
            board[y][x] = colour
            colour = -colour
        if sum(row.count(0) for row in board) == empties and moves(board, colour):
            return position(board, colour)


def main():
    tenu = sys.argv[1]
    rng = random.Random(22)
    print('position\tempties\texact\twld')
    for empties in (18, 19, 20, 21, 22):
        for _ in range(4):
            text = random_position(rng, empties)
            values = []
            for kind in ('--exact', '--wld'):
                out = subprocess.run([tenu, 'search', kind, text], capture_output=True, text=True, check=True)
                values.append(out.stdout.split()[0])
            print(f'{text}\t{empties}\t{values[0]}\t{values[1]}')


main()
