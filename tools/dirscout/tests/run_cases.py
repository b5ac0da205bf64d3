#!/usr/bin/env python3
"""Runs the black-box cases of dirscout (cases.py) against a built program.

Each case lays out a client installation in a fresh folder:

    <root>/bin/dirscout[.exe]   the program (hard link or copy)
    <root>/bin/qxclientdir      the pointer file, when the fixture has one
    <root>/...                  the fixture's other files, with their times

sets the registry value (natively through the registry stand-in under
<root>/registry, under Wine in the prefix with `reg add`), runs the program
and compares standard output, standard error and exit status exactly, and
the trace file when the case names one.

Expected texts may hold {ROOT}, {MOD} (the program's folder, ending in the
separator), {S} (the separator), {PROG} (the program as it names itself)
and {NOT_FOUND} (the system's text for a missing file). On Windows every
"\\n" of an expected text becomes "\\r\\n", as the C runtime writes text.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import cases as table

KEY = r"HKLM\Software\Corvane\Client\15.10\Corvane Client"


class Platform:
    def __init__(self, name, emulator, wineprefix):
        self.windows = name in ("win32", "win64")
        self.emulator = [e for e in emulator.split(";") if e] if emulator else []
        self.env = dict(os.environ)
        self.env.pop("DEBUGGSS", None)
        self.env.pop("QX_REGISTRY_ROOT", None)
        if self.windows:
            self.env["WINEPREFIX"] = wineprefix
            self.env.setdefault("WINEDEBUG", "-all")
            self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        self.sep = "\\" if self.windows else "/"
        # The system's text for a missing file: Wine's for the Windows builds.
        self.not_found = "File not found." if self.windows else "No such file or directory"
        self.registry_state = "unknown"

    def path(self, host_path):
        """A host path as the program sees it."""
        if not self.windows:
            return host_path
        return "Z:" + host_path.replace("/", "\\")

    def text(self, s):
        return s.replace("\n", "\r\n") if self.windows else s

    def run_quiet(self, args, tries=2):
        for attempt in range(tries):
            with tempfile.TemporaryFile() as out:
                result = subprocess.run(self.emulator + args, env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=out, stderr=subprocess.STDOUT)
                if result.returncode == 0:
                    return
                out.seek(0)
                message = "%s failed: %s" % (args, out.read().decode(errors="replace"))
                if attempt + 1 < tries:
                    print("RETRY " + message)
        raise RuntimeError(message)

    def set_registry(self, root, registry, fill):
        """registry: None or (view, kind, data) with kind REG_SZ or REG_BINARY."""
        if self.windows:
            state = repr((registry, fill("{ROOT}") if registry else None))
            if state == self.registry_state:
                return
            for view in ("32", "64"):
                try:
                    self.run_quiet(["reg", "delete", r"HKLM\Software\Corvane", "/f", "/reg:" + view], tries=1)
                except RuntimeError:
                    pass  # not there
            if registry:
                view, kind, data = registry
                if kind == "REG_SZ":
                    value = fill(data)
                else:
                    value = data.hex()
                self.run_quiet(["reg", "add", KEY, "/v", "DestPath", "/t", kind, "/d", value,
                                "/reg:" + view, "/f"])
            self.registry_state = state
            return
        stand_in = os.path.join(root, "registry")
        if registry:
            view, kind, data = registry
            key = os.path.join(stand_in, "HKEY_LOCAL_MACHINE", view + "bit", *KEY.split("\\")[1:])
            os.makedirs(key)
            # Windows stores a string with its terminator; binary data as it is.
            raw = fill(data).encode() + b"\0" if kind == "REG_SZ" else data
            with open(os.path.join(key, "DestPath"), "wb") as f:
                f.write(raw)
        return stand_in


def lay_out(root, program, fixture):
    bindir = os.path.join(root, "bin")
    os.makedirs(bindir)
    target = os.path.join(bindir, os.path.basename(program))
    try:
        os.link(program, target)
    except OSError:
        shutil.copy2(program, target)
    pointer = fixture.get("pointer")
    if pointer is not None:
        if pointer == table.FOLDER:
            os.makedirs(os.path.join(bindir, "qxclientdir"))
        else:
            with open(os.path.join(bindir, "qxclientdir"), "wb") as f:
                f.write(pointer)
    for d in fixture.get("dirs", ()):
        os.makedirs(os.path.join(root, d), exist_ok=True)
    for name, (content, mtime) in fixture.get("files", {}).items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)
        if mtime is not None:
            os.utime(path, (mtime, mtime))
    return target


def run_case(plat, program, work, number, case):
    root = os.path.join(work, "%03d" % number)
    os.makedirs(root)
    target = lay_out(root, program, case.fixture)

    values = {
        "{ROOT}": plat.path(root),
        "{S}": plat.sep,
        "{MOD}": plat.path(os.path.join(root, "bin")) + plat.sep,
        "{PROG}": plat.path(target),
        "{NOT_FOUND}": plat.not_found,
    }

    def fill(s):
        for k, v in values.items():
            s = s.replace(k, v)
        return s

    env = dict(plat.env)
    stand_in = plat.set_registry(root, case.fixture.get("registry"), fill)
    if stand_in:
        env["QX_REGISTRY_ROOT"] = stand_in
    for name, value in case.env.items():
        env[name] = fill(value)

    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        status = subprocess.run(plat.emulator + [target] + case.args, env=env, stdin=subprocess.DEVNULL,
                                stdout=out, stderr=err, cwd=root).returncode
        out.seek(0)
        err.seek(0)
        got = (out.read(), err.read(), status)

    def expected_text(e):
        if isinstance(e, dict):
            e = e["windows" if plat.windows else "native"]
        if isinstance(e, str):
            e = e.encode("utf-8", "surrogateescape")
        return plat.text(fill(e.decode("utf-8", "surrogateescape"))).encode("utf-8", "surrogateescape")

    want = (expected_text(case.stdout), expected_text(case.stderr), case.status)
    problems = []
    for label, g, w in zip(("stdout", "stderr", "status"), got, want):
        if g != w:
            problems.append("  %s:\n    expected %r\n    got      %r" % (label, w, g))
    for name, content in case.files.items():
        path = os.path.join(root, name)
        if content is None:
            if os.path.exists(path):
                problems.append("  %s: should not exist" % name)
            continue
        want_file = expected_text(content)
        got_file = open(path, "rb").read() if os.path.exists(path) else None
        if got_file != want_file:
            problems.append("  %s:\n    expected %r\n    got      %r" % (name, want_file, got_file))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--platform", required=True, choices=("native", "win32", "win64"))
    parser.add_argument("--emulator", default="")
    parser.add_argument("--wineprefix", default="")
    parser.add_argument("--work", required=True, help="folder for the laid-out installations (emptied)")
    parser.add_argument("--only", default="", help="run only cases whose name contains this")
    options = parser.parse_args()

    plat = Platform(options.platform, options.emulator, options.wineprefix)
    shutil.rmtree(options.work, ignore_errors=True)
    os.makedirs(options.work)
    work = os.path.realpath(options.work)

    failed = passed = 0
    for number, case in enumerate(table.CASES):
        if options.only and options.only not in case.name:
            continue
        problems = run_case(plat, os.path.realpath(options.program), work, number, case)
        if problems and plat.windows:
            # Wine itself may stumble while it starts up; the program is
            # deterministic, so a case that fails twice fails.
            print("RETRY %s (%s)\n%s" % (case.name, " ".join(case.args), "\n".join(problems)))
            problems = run_case(plat, os.path.realpath(options.program), work, number + 1000, case)
        if problems:
            failed += 1
            print("FAIL %s (%s)\n%s" % (case.name, " ".join(case.args), "\n".join(problems)))
        else:
            passed += 1
    if plat.windows:
        plat.set_registry(work, None, lambda s: s)  # leave the prefix without the client's key
    print("dirscout cases: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
