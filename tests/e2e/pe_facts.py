#!/usr/bin/python3
"""What Debian's pefile finds in a setup's PE structure, one name=value line each, for the
branded-setup tests to check from outside the packer: the checksum over the whole file, the
section layout, the base relocations, the number of icon images and the certificate table.

    pe_identity.py SETUP
"""
import sys

import pefile

data = open(sys.argv[1], "rb").read()
pe = pefile.PE(data=data)
alignment = pe.OPTIONAL_HEADER.SectionAlignment
up = lambda v: (v + alignment - 1) // alignment * alignment
last = pe.sections[-1]
security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
facts = {
    "checksum_valid": pe.verify_checksum(),
    "warnings": " | ".join(pe.get_warnings()) or "none",
    "sections_contiguous": all(up(a.VirtualAddress + a.Misc_VirtualSize) == b.VirtualAddress
                               for a, b in zip(pe.sections, pe.sections[1:])),
    "size_of_image_valid": pe.OPTIONAL_HEADER.SizeOfImage == up(last.VirtualAddress + last.Misc_VirtualSize),
    "image_end": last.PointerToRawData + last.SizeOfRawData,
    "relocation_blocks": len(getattr(pe, "DIRECTORY_ENTRY_BASERELOC", [])),
    "icon_images": sum(len(kind.directory.entries) for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries
                       if kind.id == pefile.RESOURCE_TYPE["RT_ICON"]),
    "certificate": "%d,%d" % (security.VirtualAddress, security.Size) if security.VirtualAddress else "none",
}
print("\n".join("%s=%s" % item for item in facts.items()))
