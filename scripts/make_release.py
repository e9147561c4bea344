#!/usr/bin/env python3
"""Packs the portable release: one zip holding a folder with the program, its
manual, the short usage text and the licence notices. Text files are written
for Windows (CR LF, UTF-8 with a byte-order mark). Names are
stored as UTF-8 with the zip's UTF-8 flag, so Explorer shows them right.

Usage: python3 scripts/make_release.py OUTPUT.zip VERSION EXE MANUAL USAGE
           JPEG_LICENSE JPEG_README_IJG SAMPLE_NOTICE SAMPLE_COPYRIGHT
"""
import os
import sys
import time
import zipfile


def windows_text(text):
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def licence_text(copyright_file, name):
    """The stand-alone licence paragraph `name` of a Debian copyright file."""
    with open(copyright_file, encoding="utf-8") as f:
        paragraphs = f.read().split("\n\n")
    for p in paragraphs:
        lines = p.strip("\n").split("\n")
        if lines[0] == "License: " + name and len(lines) > 1:
            return "\n".join("" if l == " ." else l[1:] for l in lines[1:]) + "\n"
    raise SystemExit("make_release: no licence text %s in %s" % (name, copyright_file))


def read(path):
    if not os.path.isfile(path):
        raise SystemExit("make_release: missing %s" % path)
    with open(path, "rb") as f:
        return f.read()


def main(argv):
    if len(argv) != 10:
        raise SystemExit(__doc__)
    out, version, exe, manual, usage, jpeg_licence, jpeg_ijg, sample_notice, sample_copyright = argv[1:]
    top = "KorvaneResize-%s/" % version
    entries = [
        ("KorvaneResize.exe", read(exe)),
        ("マニュアル.mht", read(manual)),
        ("使い方.txt", windows_text(read(usage).decode("utf-8").replace("@VERSION@", version))),
        ("licenses/libjpeg-turbo.txt", windows_text(read(jpeg_licence).decode("utf-8"))),
        ("licenses/libjpeg-turbo-README.ijg.txt", windows_text(read(jpeg_ijg).decode("utf-8"))),
        ("licenses/sample-photo.txt",
         windows_text(read(sample_notice).decode("utf-8") + licence_text(sample_copyright, "CC-BY-SA-3.0"))),
    ]
    # Every entry carries the program's build time (or SOURCE_DATE_EPOCH),
    # so that packing the same files again gives the same archive.
    stamp = int(os.environ.get("SOURCE_DATE_EPOCH", os.path.getmtime(exe)))
    date_time = time.localtime(max(stamp, 315532800))[:6]  # zip dates start in 1980
    partial = out + ".part"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(top + name, date_time=date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
            z.writestr(info, data)
    os.replace(partial, out)


if __name__ == "__main__":
    main(sys.argv)
