#!/usr/bin/env python3
"""Writes a reproducible test tree: FILES files spread over DIRS directories (a few levels
deep), sizes drawn from a fixed-seed spread (mostly small, some large)."""
import os
import random
import sys


def main():
    if len(sys.argv) < 4:
        print("usage: make_tree.py ROOT FILES DIRS [SEED] [MAXSIZE]", file=sys.stderr)
        return 64
    root, files, dirs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 20261210
    max_size = int(sys.argv[5]) if len(sys.argv) > 5 else 1 << 20
    rnd = random.Random(seed)
    os.makedirs(root, exist_ok=True)
    # Directories: up to three levels, each new one under a random earlier one.
    paths = [root]
    for i in range(dirs):
        parent = rnd.choice(paths[: max(1, len(paths))]) if len(paths) < 4 else rnd.choice(paths)
        if parent.count(os.sep) - root.count(os.sep) >= 3:
            parent = root
        p = os.path.join(parent, "d%04d_%s" % (i, "x" * rnd.randint(0, 8)))
        os.makedirs(p, exist_ok=True)
        paths.append(p)
    blob = rnd.randbytes(max_size) if hasattr(rnd, "randbytes") else os.urandom(max_size)
    for i in range(files):
        r = rnd.random()
        if r < 0.70:
            size = rnd.randint(0, 4096)
        elif r < 0.95:
            size = rnd.randint(4096, 65536)
        else:
            size = rnd.randint(65536, max(65536, max_size))
        size = min(size, max_size)
        d = paths[1 + (i % dirs)] if dirs else root
        off = rnd.randint(0, max_size - size) if size < max_size else 0
        with open(os.path.join(d, "file%06d_%s.dat" % (i, "y" * rnd.randint(0, 10))), "wb") as f:
            f.write(blob[off: off + size])
    return 0


if __name__ == "__main__":
    sys.exit(main())
