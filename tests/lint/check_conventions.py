#!/usr/bin/env python3
"""Checks the project's source conventions that clang-format cannot: run from
the project root, it reads every C and C++ file git knows and prints one line
per breach, exiting 1 if there is any.

- Header guards, not #pragma once: a header's first directives are
  `#ifndef G` and `#define G` and its last is `#endif`. G is the file name in
  capitals ending in _H, with TERVO_ and the part's name in front (the contract
  headers in include/ keep their own), and no two headers share one.
- Literal suffixes in capitals: 1.5F, 7U, 16UL, never 1.5f or 7u.
- One namespace root: every named namespace outside all others is tervo or
  tervo::something.
"""
import re
import subprocess
import sys

NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F']+|(?:\d[\d']*\.?[\d']*|\.\d[\d']*)(?:[eE][+-]?\d+)?)([fFlLuU]{1,3})\b")
DIRECTIVE = re.compile(r"^\s*#\s*(\w+)\s*(\S*)", re.M)
PREPROCESSOR = re.compile(r"^[ \t]*#(?:[^\n]*\\\n)*[^\n]*", re.M)
NAMESPACE_OR_BRACE = re.compile(r"\bnamespace\s+([\w:]+)\s*\{|[{}]")


def code_only(text):
    """The text with comments, string and character literals blanked out."""
    out, i, n = [], 0, len(text)
    while i < n:
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
        elif text[i] in "\"'" and not (text[i] == "'" and i > 0 and text[i - 1].isalnum()):
            quote, j = text[i], i + 1
            while j < n and text[j] != quote and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(" ")
            i = j + 1
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def guard_breaches(path, text, guards):
    directives = DIRECTIVE.findall(text)
    if len(directives) < 3 or directives[0][0] != "ifndef" or directives[1] != ("define", directives[0][1]) \
            or directives[-1][0] != "endif":
        return [f"{path}: not wrapped in #ifndef/#define ... #endif"]
    guard = directives[0][1]
    name = re.sub(r"[^A-Za-z0-9]", "_", path.rsplit("/", 1)[-1]).upper()
    breaches = []
    if not guard.endswith(name) or not (path.startswith("include/") or guard.startswith("TERVO_")):
        breaches.append(f"{path}: guard {guard} is not TERVO_..._{name}")
    if guard in guards:
        breaches.append(f"{path}: guard {guard} is also {guards[guard]}'s")
    guards[guard] = path
    return breaches


def suffix_breaches(path, code):
    return [f"{path}:{code.count(chr(10), 0, m.start()) + 1}: {m.group(0)} has a lowercase suffix"
            for m in NUMBER.finditer(code)
            if m.group(2) != m.group(2).upper() and not (m.group(1)[:2].lower() == "0x" and "f" in m.group(2).lower())]


def namespace_breaches(path, code):
    code = PREPROCESSOR.sub("", code)
    breaches, depth = [], 0
    for m in NAMESPACE_OR_BRACE.finditer(code):
        if m.group(0) == "}":
            depth -= 1
            continue
        name = m.group(1)
        if name and depth == 0 and name != "tervo" and not name.startswith("tervo::"):
            breaches.append(f"{path}:{code.count(chr(10), 0, m.start()) + 1}: namespace {name} is not under tervo::")
        depth += 1
    return breaches


def main():
    files = subprocess.run(["git", "ls-files", "*.c", "*.cpp", "*.h"], capture_output=True, text=True,
                           check=True).stdout.split()
    breaches, guards = [], {}
    for path in files:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        if path.endswith(".h"):
            breaches += guard_breaches(path, text, guards)
        code = code_only(text)
        breaches += suffix_breaches(path, code)
        breaches += namespace_breaches(path, code)
    for line in breaches:
        print(line)
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
