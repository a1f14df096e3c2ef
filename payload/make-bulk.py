#!/usr/bin/env python3
"""Writes the bulk of the demo payload: templates and pictures in folders
with Cyrillic names, and one larger file, so that the install's progress is
visible. The content is pseudo-random but fixed, so every build packs the
same bytes.

Usage: make-bulk.py OUTPUT_FOLDER
"""
import os
import random
import sys

FOLDERS = {
    "Storage/Шаблоны/Деловой": 40,
    "Storage/Шаблоны/Праздничный": 40,
    "Storage/Шаблоны/Строгий": 40,
    "Storage/Картинки/Фоны": 60,
    "Storage/Картинки/Кнопки": 120,
    "Storage/Примеры/Сайт фотографа": 30,
}


def write(path, size, rng):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(rng.randbytes(size))


def main():
    out = sys.argv[1]
    rng = random.Random(2008)
    for folder, count in FOLDERS.items():
        for i in range(count):
            size = rng.randint(2 * 1024, 160 * 1024)
            write(os.path.join(out, folder, f"элемент {i:03d}.dat"), size, rng)
    write(os.path.join(out, "Storage/Примеры/Видеоурок.bin"), 12 * 1024 * 1024, rng)


if __name__ == "__main__":
    main()
