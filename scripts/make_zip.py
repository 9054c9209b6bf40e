#!/usr/bin/env python3
"""Packs the release zip: dist/RavoSubtitler-<version>-win32.zip.

Usage: make_zip.py BUILD_DIR OUT_DIR [SUFFIX]

SUFFIX ends the zip's name (RavoSubtitler-<version>-win32SUFFIX.zip); a package for our
own tests is marked so.

Takes the version and the maker from BUILD_DIR/generated/build_settings.h (CMake writes
it from the values set in CMakeLists.txt), the program file from BUILD_DIR, and the
read-me template, the licence and the sample lyrics from the source tree. The same
inputs give the same zip, byte for byte: entries in a fixed order, every time stamp
SOURCE_DATE_EPOCH (else 1980-01-01), fixed attributes, fixed compression.
"""
import os
import re
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def settings(path):
    with open(path, encoding="utf-8") as f:
        return dict(re.findall(r'^#define (RAVO_\w+) "(.*)"$', f.read(), re.M))


def notepad_text(text):
    """UTF-8 with a byte-order mark and CR LF, so that every Notepad shows it."""
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def main():
    build, out_dir = sys.argv[1], sys.argv[2]
    suffix = sys.argv[3] if len(sys.argv) > 3 else ""
    values = settings(os.path.join(build, "generated", "build_settings.h"))
    version, maker = values["RAVO_VERSION"], values["RAVO_MAKER"]
    with open(os.path.join(ROOT, "scripts", "package_readme.txt.in"), encoding="utf-8") as f:
        readme = f.read().replace("@RAVO_VERSION@", version).replace("@RAVO_MAKER@", maker)
    with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as f:
        licence = f.read()
    with open(os.path.join(build, "RavoSubtitler.exe"), "rb") as f:
        program = f.read()

    entries = [("RavoSubtitler.exe", program), ("README.txt", notepad_text(readme)),
               ("LICENSE.txt", notepad_text(licence))]
    samples = os.path.join(ROOT, "samples")
    for name in sorted(os.listdir(samples)):
        if name.lower().endswith(".lrc"):
            with open(os.path.join(samples, name), "rb") as f:
                entries.append((name, f.read()))

    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip dates start in 1980
    folder = "RavoSubtitler-%s" % version
    os.makedirs(out_dir, exist_ok=True)
    target = os.path.join(out_dir, "%s-win32%s.zip" % (folder, suffix))
    with zipfile.ZipFile(target + ".tmp", "w") as z:
        for name, data in entries:
            # zipfile stores a name that is not ASCII in UTF-8 with the format's UTF-8 flag
            # (bit 11), so that an unpacker on any code page shows 晨光.lrc as it is.
            info = zipfile.ZipInfo("%s/%s" % (folder, name), date_time=stamp)
            info.create_system = 0        # MS-DOS attributes, as Windows tools write them
            info.external_attr = 0x20     # "archive"
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(target + ".tmp", target)
    print(target)


if __name__ == "__main__":
    main()
