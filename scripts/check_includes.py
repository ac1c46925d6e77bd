#!/usr/bin/env python3
"""Include check: every quoted include stays inside a target's dependencies.

Reads the map that the build writes (cmake/IncludeMap.cmake): the targets
with their folders, sources, links and public headers. For each source of
each target, every `#include "..."` that names a file of the tree (relative
to the repository root, or to the including file's folder) must belong to
the target itself or to a target it may use: one it links, and what those
hand on through their PUBLIC/INTERFACE links, transitively.

Every library names its public headers; a header of another library that
it does not name public is private to that library, and including it fails
the check. Test and fuzz programs (and their support libraries) test the
libraries from inside and may include their private headers.

A file belongs to the targets that list it among their sources; a header
that no target lists belongs to the targets whose sources share its folder.
A target's listed sources are checked, and so are the unlisted headers
beside them that they include, so a header cannot reach further than its
own target either.

Usage: check_includes.py MAP SOURCE_ROOT. Exit 0 when every include is
allowed, 1 with one line per offending include otherwise.
"""
import collections
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_map(path):
    targets = collections.OrderedDict()
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, _, rest = line.rstrip("\n").partition(" ")
            if kind == "target":
                name, _, folder = rest.partition(" ")
                current = {"dir": os.path.realpath(folder), "type": "", "src": [], "dep": [],
                           "pub": [], "public": set(), "whitebox": False}
                targets[name] = current
            elif current is None:
                continue
            elif kind in ("src", "dep", "pub"):
                current[kind].append(os.path.realpath(rest) if kind == "src" else rest)
            elif kind == "public":
                current["public"].add(os.path.realpath(rest))
            elif kind == "type":
                current["type"] = rest
            elif kind == "whitebox":
                current["whitebox"] = True
    return targets


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-3], file=sys.stderr)
        return 2
    targets = read_map(sys.argv[1])
    root = os.path.realpath(sys.argv[2])

    listed = collections.defaultdict(set)   # file -> targets listing it
    by_dir = collections.defaultdict(set)   # folder -> targets with sources there
    for name, t in targets.items():
        for s in t["src"]:
            listed[s].add(name)
            by_dir[os.path.dirname(s)].add(name)

    def owners(path):
        return listed.get(path) or by_dir.get(os.path.dirname(path), set())

    handed_on = {}

    def public_closure(name):
        if name not in handed_on:
            handed_on[name] = {name}
            for d in targets[name]["pub"]:
                if d in targets:
                    handed_on[name] |= public_closure(d)
        return handed_on[name]

    def allowed(name):
        result = {name}
        for d in targets[name]["dep"]:
            if d in targets:
                result |= public_closure(d)
        return result

    def resolve(path, inc):
        for c in (os.path.join(root, inc), os.path.join(os.path.dirname(path), inc)):
            if os.path.isfile(c):
                r = os.path.realpath(c)
                return r if r.startswith(root + os.sep) else None
        return None

    def includes(path):
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if m:
                    yield number, m.group(1), resolve(path, m.group(1))

    # Every file to check, with the targets it is checked for: a target's
    # listed sources, and the unlisted headers beside them that they reach.
    files = collections.defaultdict(set)
    for name, t in targets.items():
        folders = {os.path.dirname(s) for s in t["src"]}
        todo = [s for s in t["src"] if s.startswith(root + os.sep) and os.path.isfile(s)]
        while todo:
            path = todo.pop()
            if name in files[path]:
                continue
            files[path].add(name)
            for _, _, hit in includes(path):
                if hit and hit not in listed and os.path.dirname(hit) in folders:
                    todo.append(hit)

    def is_library(name):
        return targets[name]["type"].endswith("_LIBRARY") and targets[name]["src"]

    def visible(name, own, header):
        """Whether `header`, a file of the targets `own`, is visible to target `name`."""
        usable = own & allowed(name)
        if not usable:
            return False
        if name in own or targets[name]["whitebox"]:
            return True
        return any(header in targets[o]["public"] for o in usable)

    failures = []
    for name, t in targets.items():
        if not is_library(name):
            continue
        if not t["public"]:
            failures.append("%s names no public headers (zolma_public_headers)" % name)
        for h in sorted(t["public"] - set(t["src"])):
            failures.append("%s names %s public, which is not among its sources" %
                            (name, os.path.relpath(h, root)))
    for path in sorted(files):
        if not path.startswith(root + os.sep) or not os.path.isfile(path):
            continue
        for number, inc, target_file in includes(path):
            if target_file is None:
                continue
            own = owners(target_file)
            if not own:
                failures.append("%s:%d: %s belongs to no target" %
                                (os.path.relpath(path, root), number, inc))
                continue
            for name in sorted(files[path]):
                if not own & allowed(name):
                    failures.append("%s:%d: %s (of %s) is not a dependency of %s" %
                                    (os.path.relpath(path, root), number, inc,
                                     ", ".join(sorted(own)), name))
                elif not visible(name, own, target_file):
                    failures.append("%s:%d: %s is private to %s (not among its public headers)" %
                                    (os.path.relpath(path, root), number, inc,
                                     ", ".join(sorted(own & allowed(name)))))
    for f in failures:
        print(f)
    if failures:
        print("include check: %d include(s) outside their target's dependencies or public headers"
              % len(failures))
        return 1
    print("include check: %d files, every include within its target's dependencies and their"
          " public headers" % len(files))
    return 0


if __name__ == "__main__":
    sys.exit(main())
