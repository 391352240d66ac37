#!/usr/bin/env python3
"""Writes the small seed corpora of the wire decoder fuzz targets into fuzz/corpus/.

Run it again only when a layout changes; the files it writes are kept in the repository.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

VIDS = struct.pack("<IHH", 0x73646976, 0, 0x10) + bytes.fromhex("800000aa00389b71")
AUDS = struct.pack("<IHH", 0x73647561, 0, 0x10) + bytes.fromhex("800000aa00389b71")
RGB32 = struct.pack("<IHH", 0xE436EB7E, 0x524F, 0x11CE) + bytes.fromhex("9f530020af0ba770")
PCM = struct.pack("<IHH", 1, 0, 0x10) + bytes.fromhex("800000aa00389b71")
VIDEOINFO = struct.pack("<IHH", 0x05589F80, 0xC356, 0x11CE) + bytes.fromhex("bf0100aa0055595a")
WAVEFORMATEX = struct.pack("<IHH", 0x05589F81, 0xC356, 0x11CE) + bytes.fromhex("bf0100aa0055595a")


def frame(stream, time, payload, key=1, new_format=0, tag=0, stop=None, length=None):
    stop = time + 400000 if stop is None else stop
    length = len(payload) if length is None else length
    return struct.pack("<IHHqqBBHIII", stream, 0, 0, time, stop, key, new_format, tag, length, 0, 0) + payload


def record(major, sub, fmt, block, temporal=0, length=None):
    length = len(block) if length is None else length
    return major + sub + struct.pack("<III", 1, temporal, 4) + fmt + struct.pack("<III", 0, length, 0) + block


def video_info():
    return struct.pack("<iiiiiiiiIIq", 0, 0, 8, 4, 0, 0, 8, 4, 1000, 0, 400000) + struct.pack(
        "<IiiHHIIiiII", 40, 8, 4, 1, 32, 0, 128, 0, 0, 0, 0)


def wave():
    return struct.pack("<HHIIHHH", 1, 2, 44100, 176400, 4, 16, 0)


def formats(video=True):
    v = record(VIDS, RGB32, VIDEOINFO, video_info()) if video else bytes(72)
    return v + record(AUDS, PCM, WAVEFORMATEX, wave())


def status(result=0, kind=1, flags=2, seekable=0):
    return struct.pack("<IHBBII", result, kind, 0, 0, flags, seekable)


def reply(version, st, extension=b"", body=None):
    out = struct.pack("<II", 0x36B1, version) + st
    if struct.unpack("<I", st[:4])[0] != 0:
        return out
    if version == 80:
        out += struct.pack("<HH", len(extension), 0) + extension
    return out + (formats() if body is None else body)


def change(skip=b"", video=True):
    return bytes(8) + status(0, 0, 10000, 1) + struct.pack("<HH", len(skip), 0) + skip + formats(video)


def wire_string(text):
    return struct.pack("<I", len(text)) + text


SEEDS = {
    "media_frame_fuzz": {
        "video": frame(2, 0, bytes(range(32))),
        "audio": frame(1, 400000, b"\x00\x10" * 8),
        "end_of_stream": frame(2, 0, b"", key=0, stop=0),
        "stream_change": frame(2, 0, change(), tag=0x9F64, stop=-19839, new_format=1),
        "oversize": frame(2, 0, b"", length=16 * 1024 * 1024 + 1),
    },
    "reply_fuzz": {
        "live_v80": reply(80, status()),
        "stored_v25": reply(25, status(0, 0, 10000, 1)),
        "extension_v80": reply(80, status(), b"ext"),
        "refused": reply(80, status(0x8FFF0543)),
        "wrong_magic": struct.pack("<II", 0x36B2, 80) + status(),
        "audio_only": reply(80, status(), body=formats(video=False)),
    },
    "stream_format_fuzz": {
        "pair": formats(),
        "audio_only": formats(video=False),
        "oversize_block": record(VIDS, RGB32, VIDEOINFO, b"", length=65537),
    },
    "string_fuzz": {
        "name": wire_string(b"testcard.zmf"),
        "empty": wire_string(b""),
        "playlist": wire_string(b"a.zmf<xml><playlist type=\"alphabetical\"><file>a.zmf</file></playlist>"),
        "oversize": struct.pack("<I", 1024 * 1024 + 1),
    },
    "stream_change_fuzz": {
        "plain": change(),
        "skip": change(b"\x01\x02\x03\x04"),
        "audio_only": change(video=False),
    },
}


def main():
    for target, files in SEEDS.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
