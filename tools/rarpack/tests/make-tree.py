#!/usr/bin/env python3
"""Writes the fixture tree the archive tests pack: Cyrillic names, empty
files, an empty folder, nested folders, sizes around the AES block and a
file larger than the extraction block. Contents are deterministic."""
import os
import random
import shutil
import sys

def main(root, stamp):
    if os.path.isdir(root):
        shutil.rmtree(root)
    rng = random.Random(2008)
    files = {
        "readme.txt": b"Lumbrix fixture tree\r\n",
        "empty.txt": b"",
        "exactly16.bin": rng.randbytes(16),
        "big.bin": rng.randbytes(2 * 1024 * 1024 + 12345),
        "Документы/Отчёт за 2008 год.txt": "Отчёт: всё готово.\r\n".encode("utf-8") * 50,
        "Документы/пустой.txt": b"",
        "Документы/Вложенная/Глубже/файл.bin": rng.randbytes(1000),
        "Документы/Вложенная/seventeen.bin": rng.randbytes(17),
        "Папка с пробелами/ёлка.txt": "ёлка\r\n".encode("utf-8"),
    }
    for name, data in files.items():
        path = os.path.join(root, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    os.makedirs(os.path.join(root, "Пустая папка"), exist_ok=True)
    with open(stamp, "w") as f:
        f.write("ok\n")

if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
