#!/usr/bin/python3
"""What Debian's pefile finds in a setup, one name=value line each, for the branded-setup
tests to check from outside the packer: the checksum, the section layout, the icon images
of group 1001 against those of an .ico file, the version strings, the application manifest
and the certificate table.

    pe_identity.py SETUP ICO
"""
import re
import struct
import sys

import pefile

setup, ico = sys.argv[1], sys.argv[2]
data = open(setup, "rb").read()
pe = pefile.PE(data=data)
lines = []


def put(name, value):
    lines.append("%s=%s" % (name, value))


put("checksum_valid", pe.verify_checksum())
put("warnings", " | ".join(pe.get_warnings()) or "none")
alignment = pe.OPTIONAL_HEADER.SectionAlignment
up = lambda v: (v + alignment - 1) // alignment * alignment
contiguous = all(up(a.VirtualAddress + a.Misc_VirtualSize) == b.VirtualAddress
                 for a, b in zip(pe.sections, pe.sections[1:]))
last = pe.sections[-1]
put("sections_contiguous", contiguous)
put("size_of_image_valid", pe.OPTIONAL_HEADER.SizeOfImage == up(last.VirtualAddress + last.Misc_VirtualSize))
put("image_end", last.PointerToRawData + last.SizeOfRawData)
put("file_size", len(data))
put("relocation_blocks", len(getattr(pe, "DIRECTORY_ENTRY_BASERELOC", [])))

resources = {}
for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    for name in kind.directory.entries:
        for language in name.directory.entries:
            entry = language.data.struct
            resources[(kind.id, name.id)] = pe.get_data(entry.OffsetToData, entry.Size)

# The icon file's images by size, and the group's images by the sizes it lists.
count = struct.unpack_from("<H", open(ico, "rb").read(), 4)[0]
ico_bytes = open(ico, "rb").read()
expected = {}
for i in range(count):
    width, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", ico_bytes, 6 + 16 * i)
    expected[width or 256] = ico_bytes[offset:offset + size]
group = resources.get((14, 1001), b"")
icons = []
for i in range(struct.unpack_from("<H", group, 4)[0] if group else 0):
    width, _, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
    same = resources.get((3, icon_id)) == expected.get(width or 256)
    icons.append("%d:%s" % (width or 256, "same" if same else "different"))
put("icons", ",".join(icons))

for info in getattr(pe, "FileInfo", []):
    for block in info:
        for table in getattr(block, "StringTable", []):
            put("string_table", table.LangID.decode())
            for key, value in table.entries.items():
                put("version." + key.decode(), value.decode("utf-8"))
fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
if fixed:
    put("fixed_file_version", "%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                               fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF))

manifest = resources.get((24, 1), b"").decode("utf-8")
level = re.search(r'requestedExecutionLevel\s+level="([^"]*)"', manifest)
put("execution_level", level.group(1) if level else "none")
put("common_controls_6", 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in manifest)

security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
put("certificate", "%d,%d" % (security.VirtualAddress, security.Size) if security.VirtualAddress else "none")

sys.stdout.buffer.write(("\n".join(lines) + "\n").encode("utf-8"))
