#!/usr/bin/env python3
"""Reads a ctest JUnit report and sorts its failed tests in two.

A failed test that printed nothing at all never started: under Wine the
emulator itself now and then gives up on a launch before the program writes
a byte (seen once in a CI run: no output, 0.03 s). Those may be run again.
A failed test that printed anything ran, and its failure stands.

Prints one ctest -R pattern matching exactly the tests that never started,
and exits 0 when every failure is of that kind (1 when one ran and failed,
2 when the report cannot be read).
"""
import re
import sys
import xml.etree.ElementTree as ElementTree


def main() -> int:
    if len(sys.argv) != 2:
        print("usage: unstarted_tests.py JUNIT_XML", file=sys.stderr)
        return 2
    try:
        cases = ElementTree.parse(sys.argv[1]).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError) as error:
        print(f"unstarted_tests: {sys.argv[1]}: {error}", file=sys.stderr)
        return 2
    unstarted, ran_and_failed = [], []
    for case in cases:
        if case.get("status") != "fail":
            continue
        output = case.findtext("system-out") or ""
        (unstarted if output.strip() == "" else ran_and_failed).append(case.get("name"))
    for name in ran_and_failed:
        print(f"unstarted_tests: '{name}' ran and failed", file=sys.stderr)
    if ran_and_failed:
        return 1
    if unstarted:
        print("|".join("^" + re.escape(name) + "$" for name in unstarted))
    return 0


if __name__ == "__main__":
    sys.exit(main())
