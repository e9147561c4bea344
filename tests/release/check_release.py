#!/usr/bin/env python3
"""Builds the release target and checks the archive it makes: the portable
folder's files, named so that Windows shows them right, the program and manual
exactly as built, the texts readable in Notepad, the licence notices present.

Usage: check_release.py CMAKE BUILD_DIR ZIP EXE MANUAL VERSION
"""
import subprocess
import sys
import zipfile


def main(argv):
    cmake, build_dir, archive, exe, manual, version = argv[1:]
    subprocess.run([cmake, "--build", build_dir, "--target", "release"], check=True,
                   stdout=subprocess.DEVNULL)
    failures = []

    def expect(ok, what):
        if not ok:
            failures.append(what)

    top = "KorvaneResize-%s/" % version
    with zipfile.ZipFile(archive) as z:
        infos = z.infolist()
        for i in infos:
            print("%9d  %s" % (i.file_size, i.filename))
        names = [i.filename for i in infos]
        expect(names == [top + n for n in (
            "KorvaneResize.exe", "マニュアル.mht", "使い方.txt", "licenses/libjpeg-turbo.txt",
            "licenses/libjpeg-turbo-README.ijg.txt", "licenses/sample-photo.txt")], "the file list")
        expect(z.testzip() is None, "every entry's checksum")
        for i in infos:
            if not i.filename.isascii():
                expect(i.flag_bits & 0x800, "the UTF-8 flag of " + i.filename)
        with open(exe, "rb") as f:
            expect(z.read(top + "KorvaneResize.exe") == f.read(), "the program as built")
        with open(manual, "rb") as f:
            expect(z.read(top + "マニュアル.mht") == f.read(), "the manual as built")

        texts = {}
        for name in names:
            if name.endswith(".txt"):
                data = z.read(name)
                expect(data.startswith(b"\xef\xbb\xbf"), "the byte-order mark of " + name)
                expect(data.count(b"\n") == data.count(b"\r\n") > 0, "CR LF line ends in " + name)
                texts[name[len(top):]] = data.decode("utf-8-sig")
        usage = texts.get("使い方.txt", "")
        expect(version in usage and "KorvaneResize.exe" in usage and "マニュアル.mht" in usage,
               "the usage text names the version, the program and the manual")
        expect("@VERSION@" not in usage, "no placeholder left in the usage text")
        expect("libjpeg-turbo is covered by three compatible BSD-style" in texts.get("licenses/libjpeg-turbo.txt", ""),
               "libjpeg-turbo's licence")
        expect("Independent JPEG Group" in texts.get("licenses/libjpeg-turbo-README.ijg.txt", ""),
               "the IJG notice")
        sample = texts.get("licenses/sample-photo.txt", "")
        expect("Lukas Baubkus" in sample and "Attribution-ShareAlike 3.0 Unported" in sample
               and sample.rstrip().endswith("creativecommons.org/."), "the sample photo's licence, whole")

    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
