"""What Windows reads from the built program, read back with pefile, which
shares nothing with the build: the version resource, the manifest's version
and the icon's sizes.

Usage: resources_test.py PROGRAM PROJECT_VERSION PUBLISHER
"""

import re
import sys

import pefile

program, project_version, publisher = sys.argv[1:]
# Windows' four fields: the project's three, then 0.
fields = [int(f) for f in project_version.split(".")] + [0]
version = ".".join(map(str, fields))
pe = pefile.PE(program)
failures = []


def expect(what, actual, expected):
    if actual != expected:
        failures.append(f"{what}: {actual!r}, expected {expected!r}")


def resources(kind):
    """The data of every resource of that type, by identifier."""
    found = {}
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id == pefile.RESOURCE_TYPE[kind]:
            for item in entry.directory.entries:
                data = item.directory.entries[0].data.struct
                found[item.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


fixed = pe.VS_FIXEDFILEINFO[0]
for name in ("FileVersion", "ProductVersion"):
    high, low = getattr(fixed, name + "MS"), getattr(fixed, name + "LS")
    expect(f"fixed {name}", [high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF], fields)
strings = {}
for info in getattr(pe, "FileInfo", [[]])[0]:
    for table in getattr(info, "StringTable", []):
        strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
for name, expected in dict(
    FileVersion=version, ProductVersion=version, ProductName="New User",
    FileDescription="New User", CompanyName=publisher, OriginalFilename="newuser.exe",
    LegalCopyright=f"Copyright (C) {publisher}",
).items():
    expect(name, strings.get(name), expected)

manifest = resources("RT_MANIFEST").get(1, b"").decode()
identity = re.search(r"<assemblyIdentity[^>]*\bversion=\"([^\"]*)\"", manifest)
expect("manifest version", identity and identity.group(1), version)
# Qt sets per-monitor v2 itself; a weaker mode declared here would win.
for mode in re.findall(r"<dpiAwareness[^>]*>([^<]*)<", manifest):
    expect("manifest DPI awareness", mode.strip(), "PerMonitorV2")
if "<dpiAware" in manifest and "<dpiAwareness" not in manifest:
    failures.append("the manifest declares DPI awareness without a mode")

# The first icon group: GRPICONDIR, then 14 bytes an image, width first.
group = resources("RT_GROUP_ICON")
icon = group[min(group)] if group else b"\0" * 6
expect("icon sizes", sorted(icon[6 + 14 * i] for i in range(int.from_bytes(icon[4:6], "little"))),
       [16, 32, 48])

print("\n".join(failures) or "all as built")
sys.exit(1 if failures else 0)
