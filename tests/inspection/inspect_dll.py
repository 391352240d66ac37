#!/usr/bin/env python3
"""Inspects the shipped 32-bit control DLL: machine, exports, imports and resources.

Usage: inspect_dll.py --objdump OBJDUMP ZMediaControl7.dll
Prints one line per check and "N passed, N failed"; exits non-zero on a failure.
"""
import argparse
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
    "comctl32.dll", "shell32.dll", "ws2_32.dll", "winmm.dll", "crypt32.dll", "shlwapi.dll", "version.dll",
}
EXPORTS = ["DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"]


class PeImage:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, rva, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((rva, max(vsize, raw_size), raw_ptr))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def resources(self):
        """Yields (type, name) of every resource; named entries as strings, ids as ints."""
        base = self.offset(self.resource_rva)

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for kind, to_names in entries(0):
            for name, _ in entries(to_names & 0x7FFFFFFF):
                yield kind, name


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("dll")
    args = parser.parse_args()
    passed = failed = 0

    def check(ok, what):
        nonlocal passed, failed
        print(("ok   " if ok else "FAIL ") + what)
        passed += ok
        failed += not ok

    data = open(args.dll, "rb").read()
    image = PeImage(data)
    check(image.machine == 0x14C, f"machine is i386 (found {image.machine:#x})")

    dump = subprocess.run([args.objdump, "-p", args.dll], capture_output=True, text=True, check=True).stdout
    exports = sorted(re.findall(r"^\s*\[\s*\d+\]\s+(\w+)\s*$", dump, re.M))
    check(exports == EXPORTS, f"exports exactly {', '.join(EXPORTS)} (found {', '.join(exports)})")
    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    check(bool(imports) and imports <= SYSTEM_DLLS,
          f"imports only system DLLs (found {', '.join(sorted(imports))})")

    resources = set(image.resources())
    check(("TYPELIB", 1) in resources, "resource TYPELIB 1 (the type library)")
    check(("REGISTRY", 101) in resources, "resource REGISTRY 101 (AppID script)")
    check(("REGISTRY", 103) in resources, "resource REGISTRY 103 (class script)")
    check((2, 102) in resources, "bitmap 102 (toolbox bitmap)")
    check((16, 1) in resources, "version block")
    check((6, 100 // 16 + 1) in resources, "string table holding string 100")
    check("OLESelfRegister".encode("utf-16-le") in data, "version block carries OLESelfRegister")
    check("7.1.0.150".encode("utf-16-le") in data, "file version 7.1.0.150")
    check(data.find(b"MSFT") >= 0, "the type library is in MSFT format")

    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
