#!/usr/bin/env python3
"""Compares two scenarioc builds over randomly mutated built-in scenarios.

For each mutation, both builds run `check`, `check --json`, `compile --json`
(and, for one case in four, `compile --no-line-file --delete-sources`) on
their own copy of the same sources: the exit statuses, the printed texts and
every file left in the folder must be the same, byte for byte.

    scripts/compare_builds.py [--outcomes-only] OLD_SCENARIOC NEW_SCENARIOC [COUNT] [SEED]

With --outcomes-only, the texts of the reports are not compared (a change
that rewords messages): the exit statuses, compile's one-line JSON and every
byte of the folders still are.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

NAME = "Fiumicino Aeroporto_Roma"
LINE = NAME + "_linea.txt"
TRAIN = NAME + "_3291-.txt"


def mutate(data: bytes, rng: random.Random) -> bytes:
    lines = data.split(b"\r\n")
    for _ in range(rng.randint(1, 3)):
        if not lines:
            break
        i = rng.randrange(len(lines))
        op = rng.randrange(10)
        line = lines[i]
        if op == 0:
            del lines[i]
        elif op == 1:
            lines.insert(i, line)
        elif op == 2:
            j = rng.randrange(len(lines))
            lines[i], lines[j] = lines[j], lines[i]
        elif op == 3 and line:
            # A digit changed, or a number's sign.
            digits = [k for k, c in enumerate(line) if 48 <= c <= 57]
            if digits:
                k = rng.choice(digits)
                line = line[:k] + bytes([rng.choice(b"0123456789-")]) + line[k + 1:]
            lines[i] = line
        elif op == 4 and line:
            k = rng.randrange(len(line))
            lines[i] = line[:k] + line[k + 1:]
        elif op == 5:
            k = rng.randrange(len(line) + 1)
            lines[i] = line[:k] + bytes([rng.choice(b",- \t#x9\x80\xe0\xc3\xa9[]\x81")]) + line[k:]
        elif op == 6:
            lines[i] = line.upper() if rng.random() < 0.5 else line.lower()
        elif op == 7:
            lines[i] = line + b", " + str(rng.randint(-99999, 999999)).encode()
        elif op == 8 and line:
            k = rng.randrange(len(line))
            lines[i] = line[:k]
        else:
            lines[i] = line.replace(b",", b"", 1)
    return b"\r\n".join(lines)


def run(binary, args, folder):
    p = subprocess.run([binary] + args, capture_output=True, timeout=120)
    clean = lambda b: b.replace(folder.encode(), b"FOLDER")
    return p.returncode, clean(p.stdout), clean(p.stderr)


def folder_bytes(folder):
    return {n: open(os.path.join(folder, n), "rb").read() for n in sorted(os.listdir(folder))}


def outcome_only(output):
    """What a build may not change when only its messages were reworded: the
    exit status, and compile's JSON (status, position, meaning)."""
    code, out, _ = output
    return code, out if out.startswith(b'{"status"') and b"\n" == out[-1:] and out.count(b"\n") == 1 else b""


def main():
    args = [a for a in sys.argv[1:] if a != "--outcomes-only"]
    outcomes_only = len(args) != len(sys.argv) - 1
    old, new = args[0], args[1]
    count = int(args[2]) if len(args) > 2 else 1000
    rng = random.Random(int(args[3]) if len(args) > 3 else 18)
    root = tempfile.mkdtemp(prefix="compare_builds_")
    base = os.path.join(root, "base")
    subprocess.run([new, "sources", base], check=True, capture_output=True)
    line0 = open(os.path.join(base, LINE), "rb").read()
    train0 = open(os.path.join(base, TRAIN), "rb").read()
    differences = 0
    statuses = {}
    for case in range(count):
        line, train = line0, train0
        which = rng.randrange(3)
        if which != 1:
            line = mutate(line, rng)
        if which != 0:
            train = mutate(train, rng)
        commands = [["check", "{}"], ["check", "--json", "{}"], ["compile", "--json", "{}"]]
        if case % 4 == 0:
            commands.append(["compile", "--no-line-file", "--delete-sources", "{}"])
        results = []
        for binary, tag in ((old, "old"), (new, "new")):
            folder = os.path.join(root, tag)
            shutil.rmtree(folder, ignore_errors=True)
            os.mkdir(folder)
            open(os.path.join(folder, LINE), "wb").write(line)
            open(os.path.join(folder, TRAIN), "wb").write(train)
            outputs = [run(binary, [a.replace("{}", folder) for a in c], folder) for c in commands]
            if outcomes_only:
                outputs = [outcome_only(o) for o in outputs]
            results.append((outputs, folder_bytes(folder)))
        if results[0] != results[1]:
            differences += 1
            keep = os.path.join(root, "difference_%d" % case)
            os.mkdir(keep)
            open(os.path.join(keep, LINE), "wb").write(line)
            open(os.path.join(keep, TRAIN), "wb").write(train)
            print("case %d differs; sources kept in %s" % (case, keep), file=sys.stderr)
            for c, a, b in zip(commands, results[0][0], results[1][0]):
                if a != b:
                    print("  %s:\n    old %r\n    new %r" % (" ".join(c), a, b), file=sys.stderr)
            if results[0][1] != results[1][1]:
                print("  the folders differ", file=sys.stderr)
        code = results[1][0][2][0]
        statuses[code] = statuses.get(code, 0) + 1
    print("%d mutated scenarios, %d with a difference; compile exit statuses %s"
          % (count, differences, dict(sorted(statuses.items()))))
    if differences == 0:
        shutil.rmtree(root)
    sys.exit(1 if differences else 0)


if __name__ == "__main__":
    main()
