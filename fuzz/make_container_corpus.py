#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_container: small containers, good and broken.

A container is the magic "ZaRqUiNe", then segments of a 32-byte zero-filled
name, a little-endian 32-bit size and the data. Run from anywhere; the files
go to fuzz/corpus/fuzz_container/ beside this script.
"""
import os
import struct

MAGIC = b"ZaRqUiNe"


def segment(name, data, declared=None):
    size = len(data) if declared is None else declared
    return name.encode()[:32].ljust(32, b"\0") + struct.pack("<I", size) + data


def container(*segments):
    return MAGIC + b"".join(segments)


BANK_NAMES = ["ZQFileSegmentBankInfo", "ZQFileSegmentWaveData",
              "ZQFileSegmentBankSampleTable", "ZQFileSegmentListViewText",
              "ZQFileSegmentAnimArray", "ZQFileSegmentAnimWaveNumbers"]

SEEDS = {
    "empty_container": container(),
    "one_segment": container(segment("A", b"hello")),
    "three_segments": container(segment("A", b"abc"), segment("B", b""),
                                segment("C", b"1234567")),
    "same_name_twice": container(segment("X", b"one"), segment("X", b"second")),
    "name_of_32_characters": container(segment("N" * 32, b"data")),
    "truncated_last_segment": container(segment("A", b"abc"),
                                        segment("T", b"12345", declared=9)),
    "size_field_cut_off": container(segment("A", b"abc")) + b"B".ljust(32, b"\0") + b"\x05\x00",
    "name_cut_off": container(segment("A", b"abc")) + b"BROKEN",
    "size_beyond_4_gib": container(segment("H", b"abc", declared=0xFFFFFFF0)),
    "size_too_big_to_load": container(segment("BIG", b"xyz", declared=90000000)),
    "bank_like": container(*(segment(n, bytes(range(i * 7, i * 7 + 20)))
                             for i, n in enumerate(BANK_NAMES))),
    "wrong_magic": b"ZaRqUiNE" + segment("A", b"abc"),
    "magic_only_partly": b"ZaRq",
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fuzz_container")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name + ".zq"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
