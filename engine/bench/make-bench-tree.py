#!/usr/bin/env python3
"""Writes the install benchmarks' tree into the given folder: about 256 MiB,
one file of 160 MiB and 3,000 of 1 to 64 KiB in 30 folders, Cyrillic names,
the same bytes on every run."""
import os
import random
import sys

out = sys.argv[1]
rng = random.Random(256)
os.makedirs(os.path.join(out, "Видео"), exist_ok=True)
with open(os.path.join(out, "Видео", "большой.bin"), "wb") as f:
    for _ in range(160):
        f.write(rng.randbytes(1024 * 1024))
for i in range(3000):
    folder = os.path.join(out, "Шаблоны", f"группа {i // 100:02d}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"файл {i:04d}.dat"), "wb") as f:
        f.write(rng.randbytes(rng.randint(1024, 64 * 1024)))
