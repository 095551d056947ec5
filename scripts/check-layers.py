#!/usr/bin/env python3
"""Checks every C++ source against docs/layers.txt: which folder may include
which, and which system headers (Qt, POSIX, X11, Windows) a folder may use.
Prints each breach as file:line and exits 1 when there is any."""

import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

POSIX = re.compile(r"^(unistd|fcntl|pwd|grp|dirent|dlfcn|spawn|signal|poll|termios|syslog|sys/.+|netinet/.+|arpa/.+)\.h$")
FAMILIES = [
    ("qt", re.compile(r"^Q[A-Za-z]*$|^Qt[A-Za-z]+/")),
    ("x11", re.compile(r"^(xcb|X11)/")),
    ("windows", re.compile(r"^(windows|winuser|winbase|commctrl|commdlg|shellapi|shlobj|shlwapi|shobjidl|objbase|mmsystem|winreg)\.h$", re.I)),
    ("test", re.compile(r"^(gtest|gmock|benchmark)/")),
    ("posix", POSIX),
]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read_layers(path):
    layers = {}
    for n, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        words = line.split()
        if len(words) < 2 or words[1] != "includes":
            sys.exit(f"{path}:{n}: expected '<folder> includes ... [uses ...]'")
        folder, rest = words[0], words[2:]
        uses = []
        if "uses" in rest:
            i = rest.index("uses")
            rest, uses = rest[:i], rest[i + 1:]
        layers[folder] = (set(rest), set(uses))
    return layers


def layer_of(path, layers):
    """The layer a repository path belongs to: the longest listed folder that
    holds it, where "platform" holds only the files directly in platform/."""
    parts = path.split("/")
    if parts[0] == "platform":
        return "platform/" + parts[1] if len(parts) > 2 else "platform"
    return parts[0] if len(parts) > 1 and parts[0] in layers else None


def family(header):
    for name, pattern in FAMILIES:
        if pattern.search(header):
            return name
    return None


def main():
    layers = read_layers(os.path.join(ROOT, "docs", "layers.txt"))
    files = subprocess.run(["git", "-C", ROOT, "ls-files", "--cached", "--others", "--exclude-standard",
                            "*.cpp", "*.h"], capture_output=True, text=True, check=True).stdout.split()
    breaches = []
    checked = 0
    for path in files:
        if not os.path.exists(os.path.join(ROOT, path)):
            continue
        layer = layer_of(path, layers)
        if layer is None or layer not in layers:
            breaches.append(f"{path}: its folder is not described in docs/layers.txt")
            continue
        allowed, uses = layers[layer]
        checked += 1
        for n, line in enumerate(open(os.path.join(ROOT, path), encoding="utf-8", errors="replace"), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            kind, name = m.groups()
            if kind == '"':
                if "/" not in name:
                    continue  # a file of the same folder
                target = layer_of(name, layers)
                if target is None:
                    target = name.split("/")[0]
                if "*" not in allowed and target not in allowed:
                    breaches.append(f"{path}:{n}: {layer} may not include {name} ({target})")
            else:
                fam = family(name)
                if fam and "*" not in uses and fam not in uses:
                    breaches.append(f"{path}:{n}: {layer} may not use {fam} headers (<{name}>)")
    for b in breaches:
        print(b)
    if breaches:
        print(f"check-layers: {len(breaches)} breach(es) in {checked} files", file=sys.stderr)
        return 1
    print(f"check-layers: {checked} files follow docs/layers.txt")
    return 0


if __name__ == "__main__":
    sys.exit(main())
