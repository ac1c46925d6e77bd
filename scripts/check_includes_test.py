#!/usr/bin/env python3
"""Test of the include check (check_includes.py) on small trees of its own.

Each case writes a tree into a temporary folder: a library `lib` with a
public header lib/a.h and a private one lib/a_int.h, a program `prog` that
links it, and a test program under tests/ that links it too, together with
the map the build would write. The check must pass on the tree as it is,
and fail, naming the include, when the program includes the private header
or a file of a library it does not link.
"""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_includes.py")


class Tree:
    """A source tree and its include map in a temporary folder."""

    def __init__(self, folder):
        self.root = os.path.realpath(folder)
        self.targets = []

    def write(self, rel, text):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def target(self, name, folder, kind, sources, deps=(), public=(), whitebox=False):
        self.targets.append((name, folder, kind, sources, deps, public, whitebox))

    def check(self):
        lines = []
        for name, folder, kind, sources, deps, public, whitebox in self.targets:
            lines.append("target %s %s/%s" % (name, self.root, folder))
            lines.append("type " + kind)
            lines += ["src %s/%s/%s" % (self.root, folder, s) for s in sources]
            lines += ["dep " + d for d in deps]
            lines += ["public %s/%s/%s" % (self.root, folder, h) for h in public]
            if whitebox:
                lines.append("whitebox")
        map_path = os.path.join(self.root, "include_map.txt")
        with open(map_path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        run = subprocess.run([sys.executable, CHECK, map_path, self.root],
                             capture_output=True, text=True)
        return run.returncode, run.stdout + run.stderr


class IncludeCheck(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.tree = Tree(self.tmp.name)
        t = self.tree
        t.write("lib/a.h", "int A();\n")
        t.write("lib/a_int.h", "int AInner();\n")
        t.write("lib/a.cpp", '#include "lib/a.h"\n#include "lib/a_int.h"\n')
        t.write("other/o.h", "int O();\n")
        t.write("other/o.cpp", '#include "other/o.h"\n')
        t.write("tests/a_test.cpp", '#include "lib/a.h"\n#include "lib/a_int.h"\n')
        t.target("lib", "lib", "STATIC_LIBRARY", ["a.h", "a_int.h", "a.cpp"], public=["a.h"])
        t.target("other", "other", "STATIC_LIBRARY", ["o.h", "o.cpp"], public=["o.h"])
        t.target("a_test", "tests", "EXECUTABLE", ["a_test.cpp"], deps=["lib"], whitebox=True)

    def tearDown(self):
        self.tmp.cleanup()

    def program(self, includes):
        self.tree.write("prog/main.cpp", "".join('#include "%s"\n' % i for i in includes))
        self.tree.target("prog", "prog", "EXECUTABLE", ["main.cpp"], deps=["lib"])

    def test_public_header_and_tests_reaching_inside_pass(self):
        self.program(["lib/a.h"])
        code, out = self.tree.check()
        self.assertEqual(code, 0, out)

    def test_private_header_of_another_library_fails(self):
        self.program(["lib/a.h", "lib/a_int.h"])
        code, out = self.tree.check()
        self.assertEqual(code, 1, out)
        self.assertIn("prog/main.cpp:2: lib/a_int.h is private to lib", out)
        self.assertNotIn("lib/a.cpp", out)
        self.assertNotIn("a_test.cpp", out)

    def test_header_of_a_library_not_linked_fails(self):
        self.program(["other/o.h"])
        code, out = self.tree.check()
        self.assertEqual(code, 1, out)
        self.assertIn("prog/main.cpp:1: other/o.h (of other) is not a dependency of prog", out)

    def test_library_must_name_its_public_headers(self):
        self.tree.targets[1] = ("other", "other", "STATIC_LIBRARY", ["o.h", "o.cpp"], (), (), False)
        self.tree.targets.append(("bad", "lib", "STATIC_LIBRARY", ["a.cpp"], (), ["gone.h"], False))
        self.program(["lib/a.h"])
        code, out = self.tree.check()
        self.assertEqual(code, 1, out)
        self.assertIn("other names no public headers", out)
        self.assertIn("bad names lib/gone.h public, which is not among its sources", out)


if __name__ == "__main__":
    unittest.main()
