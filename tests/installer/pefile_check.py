#!/usr/bin/python3
"""Installers made by the packer, read with an independent PE reader
(Debian's python3-pefile): no warnings, a correct checksum and image size,
sections in whole file-alignment units, the machine, exactly the three
exports, version information whose PackageCRC32 is the package's CRC,
raw-data resource 4 the package (the given file, or - for any sound
package) and raw-data resource 5 its CRC, four bytes little-endian, and
the application manifest read as XML: no elevation, the five systems from
Vista to 11, nothing that would change the wizard's look or scaling.

  pefile_check.py i386|x86-64 INSTALLER PACKAGE|- [INSTALLER PACKAGE|- ...]
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zlib

import pefile

MARKER = b"ARNI"
MACHINES = {"i386": 0x14C, "x86-64": 0x8664}
RT_RCDATA = 10
RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
# The published identifiers of Vista, 7, 8, 8.1 and 10/11.
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


def scan_crc(data):
    """The installer's scan: the CRC of the member bytes between the first
    marker and the closing pair, markers found without backtracking; None
    when there is no closing pair."""
    hashed = bytearray()
    state = "before"
    matched = 0
    for b in data:
        if b == MARKER[matched]:
            matched += 1
            if matched == len(MARKER):
                matched = 0
                if state == "after":
                    return zlib.crc32(bytes(hashed))
                state = "after"
            continue
        if state != "before":
            state = "member"
            hashed += MARKER[:matched]
            hashed.append(b)
        matched = 0
    return None


def resource(pe, kind_id, name):
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != kind_id:
            continue
        for entry in kind.directory.entries:
            if entry.id == name:
                (language,) = entry.directory.entries
                return pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
    return None


def rcdata(pe, name):
    return resource(pe, RT_RCDATA, name)


def manifest_faults(text):
    """What is wrong with the manifest, as a list of faults."""
    if text is None:
        return ["no application manifest (resource type 24, identifier 1)"]
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        return ["the manifest is not well-formed XML: %s" % error]
    faults = []
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        faults.append("the manifest's root is %s, manifestVersion %r" % (root.tag, root.get("manifestVersion")))
    levels = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if [e.tag for e in root if e.tag.endswith("}trustInfo")] != [ASM_V3 + "trustInfo"] or levels != ["asInvoker"]:
        faults.append("the manifest asks for %s, not asInvoker in an asm.v3 trustInfo" % levels)
    systems = [e.get("Id") for e in root.iter(COMPATIBILITY + "supportedOS")]
    if sorted(systems) != sorted(SUPPORTED_OS):
        faults.append("the manifest names the systems %s" % systems)
    for tag in ("dependency", "dpiAware", "dpiAwareness"):
        if any(e.tag.endswith("}" + tag) for e in root.iter()):
            faults.append("the manifest declares %s" % tag)
    return faults


def version_strings(pe):
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            for table in getattr(block, "StringTable", []):
                for key, value in table.entries.items():
                    strings[key.decode()] = value.decode()
    return strings


def check(machine, installer, package_file):
    faults = []
    pe = pefile.PE(installer)
    faults += ["pefile warns: " + w for w in pe.get_warnings()]
    if not pe.verify_checksum():
        faults.append("checksum 0x%08X, not 0x%08X" % (pe.OPTIONAL_HEADER.CheckSum, pe.generate_checksum()))
    # The image's own bookkeeping, which the packer keeps when it grows the
    # last section: the image size, and whole file-alignment units.
    header = pe.OPTIONAL_HEADER
    last = max(pe.sections, key=lambda s: s.VirtualAddress)
    image_size = -(-(last.VirtualAddress + last.Misc_VirtualSize) // header.SectionAlignment) * header.SectionAlignment
    if header.SizeOfImage != image_size:
        faults.append("SizeOfImage 0x%X, not 0x%X" % (header.SizeOfImage, image_size))
    for section in pe.sections:
        if section.SizeOfRawData % header.FileAlignment:
            faults.append("section %r not in whole file-alignment units" % section.Name)
    if pe.FILE_HEADER.Machine != MACHINES[machine]:
        faults.append("machine 0x%X, not %s" % (pe.FILE_HEADER.Machine, machine))
    exports = []
    if hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        exports = sorted(s.name.decode() for s in pe.DIRECTORY_ENTRY_EXPORT.symbols if s.name)
    if exports != ["DdeCallback", "FileHook", "MainWndProc"]:
        faults.append("exports %s" % exports)
    package = rcdata(pe, 4)
    crc = scan_crc(package or b"")
    if package is None or crc is None:
        faults.append("raw-data resource 4 holds no package")
    elif package_file != "-":
        with open(package_file, "rb") as f:
            if f.read() != package:
                faults.append("raw-data resource 4 is not " + package_file)
    if crc is not None and rcdata(pe, 5) != struct.pack("<I", crc):
        faults.append("raw-data resource 5 is %r, not the CRC 0x%08X" % (rcdata(pe, 5), crc))
    strings = version_strings(pe)
    if crc is not None and strings.get("PackageCRC32") != "%08X" % crc:
        faults.append("PackageCRC32 %r, not %08X" % (strings.get("PackageCRC32"), crc))
    if strings.get("FileDescription") != "Vorn v5.82 32bit Installation":
        faults.append("FileDescription %r" % strings.get("FileDescription"))
    faults += manifest_faults(resource(pe, RT_MANIFEST, 1))
    for fault in faults:
        print("%s: %s" % (installer, fault))
    if not faults:
        print("%s: %s, checksum 0x%08X, package CRC %08X, exports %s" % (
            installer, machine, pe.OPTIONAL_HEADER.CheckSum, crc, ", ".join(exports)))
    return not faults


def main(args):
    if len(args) < 3 or len(args) % 2 != 1 or args[0] not in MACHINES:
        print(__doc__, file=sys.stderr)
        return 2
    results = [check(args[0], args[i], args[i + 1]) for i in range(1, len(args), 2)]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
