#!/usr/bin/env python3
"""Writes a made-up club register as CSV on standard output: the table that README.md's portrait
(docs/register-portrait.svg) is drawn from. The same table every time (a fixed seed); the later
cars survive in greater numbers, as they do in real registers, a few serials are listed twice and
two rows hold no serial.

Usage: tools/sample-register.py > register.csv
"""
import random
import sys

LAST_SERIAL = 15076231

rng = random.Random(1927)
rows = [f"{int(LAST_SERIAL * rng.random() ** 0.6) + 1},Member {n + 1}" for n in range(2400)]
rows += [rng.choice(rows) for _ in range(30)]  # listed twice
rows += ["unknown,Member 2431", ",Member 2432"]
sys.stdout.write("Serial,Owner\n" + "\n".join(rows) + "\n")
