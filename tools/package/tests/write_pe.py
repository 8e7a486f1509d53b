#!/usr/bin/env python3
"""write_pe.py MACHINE MAGIC SUBSYSTEM [LENGTH] > FILE

Writes the smallest whole PE image the package's tests need: a signing tool hashes and extends it
as it would a linked setup.exe. The DOS header's e_lfanew is 0x40, so "PE\\0\\0" is at 0x40, the
machine at 0x44, the optional header's magic at 0x58 and the subsystem at 0x9C (0x58 + 68). The
headers fill 0x200 bytes; one section, .text, holds a single `ret` in the next 0x200. The first
LENGTH bytes only, when given.
"""
import struct
import sys

machine, magic, subsystem = (int(arg, 0) for arg in sys.argv[1:4])
IMAGE_FILE_EXECUTABLE_IMAGE_32BIT = 0x0102
SECTION_CODE_EXECUTE_READ = 0x60000020

dos_header = b"MZ" + bytes(58) + struct.pack("<I", 0x40)
file_header = b"PE\0\0" + struct.pack("<HHIIIHH", machine, 1, 0, 0, 0, 224,
                                      IMAGE_FILE_EXECUTABLE_IMAGE_32BIT)
optional_header = struct.pack(
    "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
    magic, 14, 0,                   # linker version
    0x200, 0, 0,                    # sizes of code, data, uninitialised data
    0x1000, 0x1000, 0x2000,         # entry point, base of code, base of data
    0x400000, 0x1000, 0x200,        # image base, section and file alignment
    4, 0, 0, 0, 4, 0,               # OS, image and subsystem versions
    0, 0x2000, 0x200, 0,            # Win32 version, image size, headers size, checksum
    subsystem, 0,                   # subsystem, DLL characteristics
    0x100000, 0x1000, 0x100000, 0x1000, 0,
    16) + bytes(16 * 8)             # 16 data directories, all empty
section = b".text\0\0\0" + struct.pack("<IIIIIIHHI", 1, 0x1000, 0x200, 0x200, 0, 0, 0, 0,
                                       SECTION_CODE_EXECUTE_READ)
headers = dos_header + file_header + optional_header + section
image = headers + bytes(0x200 - len(headers)) + b"\xc3" + bytes(0x1FF)
if len(sys.argv) > 4:
    image = image[:int(sys.argv[4])]
sys.stdout.buffer.write(image)
