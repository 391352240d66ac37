#!/usr/bin/env python3
"""Writes the library's GUID back into a type library made by widl.

widl 7 stores the library GUID with its last byte replaced (0x0d), so
RegisterTypeLib would register the library under a GUID nobody asked for.
Usage: fix_typelib_libid.py FILE.tlb LIBID
"""
import sys
import uuid

path, libid = sys.argv[1], uuid.UUID(sys.argv[2]).bytes_le
data = bytearray(open(path, "rb").read())
if data.find(libid) < 0:
    at = data.find(libid[:15])
    if at < 0 or data.find(libid[:15], at + 1) >= 0:
        sys.exit(f"{path}: the library GUID is not where it was expected")
    data[at + 15] = libid[15]
    open(path, "wb").write(bytes(data))
