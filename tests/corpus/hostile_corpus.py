#!/usr/bin/env python3
"""The hostile corpus: adversarial JPEG files made from the bundled samples
with libjpeg-turbo's tools, one batch of them through a front end, and the
check of that batch's report and history entry.

  hostile_corpus.py generate FOLDER --fixtures CORPUS_FIXTURES
  hostile_corpus.py check FOLDER --program-folder DIR [--entries N]
  hostile_corpus.py cli --tool KORVANE_RESIZE --fixtures CORPUS_FIXTURES --work DIR
  hostile_corpus.py wine --launcher PROGRAM_LAUNCHER.exe --program KorvaneResize.exe
                         --fixtures CORPUS_FIXTURES.exe --work DIR

CORPUS_FIXTURES may be a command line ("wine-run.sh corpus_fixtures.exe").

FOLDER receives the files and manifest.tsv (name, allowed kinds, what it is),
in the order the batch gets them. Kinds of report line: converted, warning
(converted, with the library's first warning), failed (Failed to decode ...),
memory (Failed to allocate memory ...), open (Failed to open source file ...),
unsupported, folder.
"""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "..", "samples")
ANY = ("converted", "warning", "failed")
# The batch runs with the options of a first run: scale 1/2.


def run(cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def tool_output(cmd, data=None):
    return subprocess.run(cmd, check=True, input=data, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL).stdout


def segments(data):
    """(marker, start, end) of every marker segment up to and including the
    first SOS header; `end` is where the entropy-coded data begins."""
    out, i = [], 2
    out.append((0xD8, 0, 2))
    while i + 4 <= len(data):
        assert data[i] == 0xFF, "marker expected at %d" % i
        marker = data[i + 1]
        length = (data[i + 2] << 8) | data[i + 3]
        out.append((marker, i, i + 2 + length))
        i += 2 + length
        if marker == 0xDA:
            break
    return out


def scan_starts(data):
    return [i for i in range(len(data) - 1) if data[i] == 0xFF and data[i + 1] == 0xDA]


def with_size(data, width, height):
    b = bytearray(data)
    for marker, start, _ in segments(data):
        if marker in (0xC0, 0xC1, 0xC2, 0xC9, 0xCA):
            b[start + 5:start + 7] = height.to_bytes(2, "big")
            b[start + 7:start + 9] = width.to_bytes(2, "big")
    return bytes(b)


def ppm(width, height, seed=0):
    px = bytearray()
    for y in range(height):
        for x in range(width):
            px += bytes(((x * 7 + seed) & 255, (y * 5) & 255, ((x + y) * 3) & 255))
    return b"P6 %d %d 255\n" % (width, height) + bytes(px)


class Corpus:
    def __init__(self, folder):
        self.folder = folder
        self.entries = []  # (name, kinds, what)

    def add(self, name, data, kinds, what):
        with open(os.path.join(self.folder, name), "wb") as f:
            f.write(data)
        self.entries.append((name, kinds, what))

    def write_manifest(self):
        with open(os.path.join(self.folder, "manifest.tsv"), "w", encoding="utf-8") as f:
            for name, kinds, what in self.entries:
                f.write("%s\t%s\t%s\n" % (name, ",".join(kinds), what))


def generate(folder, fixtures):
    if os.path.lexists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    c = Corpus(folder)
    tmp = os.path.join(folder, ".work")
    os.makedirs(tmp)

    # Small pictures from the samples: colour, grey, and the progressive one.
    color_ppm = tool_output(["djpeg", "-scale", "1/16", os.path.join(SAMPLES, "Kleiber_by_Lukas_Baubkus.jpg")])
    gray_pgm = tool_output(["djpeg", "-scale", "1/16",
                            os.path.join(SAMPLES, "picosdeeuropa_by_Aitzol_Berasategi_gray.jpg")])
    third_ppm = tool_output(["djpeg", "-scale", "1/16", os.path.join(SAMPLES, "seeding_by_Clements_Engelhardt.jpg")])
    cjpeg = lambda picture, *opts: tool_output(["cjpeg", *opts], picture)
    jpegtran = lambda data, *opts: tool_output(["jpegtran", *opts], data)
    baseline = cjpeg(color_ppm, "-quality", "85")
    progressive = cjpeg(third_ppm, "-progressive")

    # Coding variants, colour spaces and sampling factors that convert.
    c.add("baseline.jpg", baseline, ("converted",), "baseline")
    c.add("progressive.jpg", progressive, ("converted",), "progressive")
    c.add("gray.jpg", cjpeg(gray_pgm), ("converted",), "grey")
    c.add("gray_progressive.jpg", cjpeg(gray_pgm, "-progressive"), ("converted",), "grey progressive")
    c.add("arithmetic.jpg", cjpeg(color_ppm, "-arithmetic"), ("converted",), "arithmetic coding")
    c.add("arithmetic_progressive.jpg", jpegtran(progressive, "-arithmetic"), ("converted",),
          "arithmetic progressive")
    c.add("restart_every_row.jpg", cjpeg(color_ppm, "-restart", "1"), ("converted",), "restart markers")
    c.add("restart_every_block.jpg", jpegtran(baseline, "-restart", "1B"), ("converted",), "restart markers")
    c.add("restart_progressive.jpg", jpegtran(progressive, "-restart", "2B"), ("converted",), "restart markers")
    c.add("optimized.jpg", jpegtran(baseline, "-optimize"), ("converted",), "optimised Huffman tables")
    c.add("rgb_coded.jpg", cjpeg(color_ppm, "-rgb"), ("converted",), "RGB-coded")
    for sample in ("1x1", "2x1", "1x2", "2x2", "3x1", "1x3", "3x2", "2x3", "4x1", "1x4", "4x2", "2x4",
                   "1x1,2x2,1x1", "2x2,2x1,1x2", "4x1,2x1,1x1"):
        c.add("sampling_%s.jpg" % sample.replace(",", "_"), cjpeg(color_ppm, "-sample", sample),
              ("converted",), "sampling " + sample)
    for w, h in ((1, 1), (1, 333), (333, 1), (1, 17), (17, 1)):
        c.add("size_%dx%d.jpg" % (w, h), cjpeg(ppm(w, h)), ("converted",), "%d x %d" % (w, h))
    run(shlex.split(fixtures) + [tmp])
    for name in ("cmyk.jpg", "ycck.jpg", "cmyk_without_adobe_marker.jpg", "ycck_progressive.jpg"):
        c.add(name, open(os.path.join(tmp, name), "rb").read(), ("converted",), "four components")
    c.add("two_components.jpg", open(os.path.join(tmp, "two_components.jpg"), "rb").read(), ("failed",),
          "two components")

    # Headers the decoder refuses, and files that are no JPEG at all.
    segs = segments(baseline)
    sof = next(s for m, s, _ in segs if m == 0xC0)
    twelve = bytearray(baseline)
    twelve[sof + 4] = 12
    c.add("precision_12.jpg", bytes(twelve), ("failed",), "12-bit")
    c.add("empty.jpg", b"", ("failed",), "zero-length")
    c.add("only_soi.jpg", b"\xff\xd8", ("failed",), "start marker only")
    c.add("one_byte.jpg", b"\xff", ("failed",), "one byte")
    c.add("png_named.jpg", b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", ("failed",),
          "PNG with a JPEG name")
    c.add("gif_named.JPG", b"GIF89a\x10\0\x10\0\x80\0\0" + bytes(20), ("failed",), "GIF with a JPEG name")
    c.add("text_named.jpeg", "これはテキストです\n".encode("utf-8"), ("failed",), "text with a JPEG name")
    c.add("bmp_named.jfif", b"BM" + bytes(60), ("failed",), "BMP with a JPEG name")
    c.add("random_named.jpe", bytes((i * 97 + 13) & 255 for i in range(3000)), ("failed",), "random bytes")
    c.add("zero_height.jpg", with_size(baseline, 377, 0), ("failed",), "height 0")
    c.add("zero_width.jpg", with_size(baseline, 0, 212), ("failed",), "width 0")

    # Size bombs: declared sizes far beyond the data, scans and markers by the thousand.
    c.add("bomb_65500x65500.jpg", with_size(baseline, 65500, 65500), ("memory",),
          "65500 x 65500 baseline (fails at 1/2 and 1/1, converts at 1/8)")
    c.add("bomb_65500x65500_progressive.jpg", with_size(progressive, 65500, 65500), ("failed",),
          "65500 x 65500 progressive: coefficients past the decoder's cap")
    c.add("bomb_65500x1.jpg", with_size(baseline, 65500, 1), ("warning",), "65500 x 1")
    c.add("bomb_1x65500.jpg", with_size(baseline, 1, 65500), ("warning",), "1 x 65500")
    starts = scan_starts(progressive)
    last = progressive[starts[-1]:-2]
    many = progressive[:-2] + last * (600 - len(starts)) + b"\xff\xd9"
    c.add("bomb_600_scans.jpg", many, ("failed",), "600 scans")
    c.add("bomb_200000_comments.jpg", baseline[:2] + b"\xff\xfe\x00\x02" * 200000 + baseline[2:], ("converted",),
          "200,000 empty COM markers")
    big_app = b"\xff\xe1\xff\xff" + bytes(65533)
    c.add("bomb_app_markers.jpg", baseline[:2] + big_app * 64 + baseline[2:], ("converted",),
          "64 APP1 markers of 64 KB")

    # Truncations: around and inside every header segment, then through the scan.
    data_start = segs[-1][2]
    cuts = set()
    for _, start, end in segs:
        cuts.update((start + 1, start + 2, start + 3, (start + end) // 2, end - 1, end))
    cuts.update(data_start + (len(baseline) - data_start) * k // 24 for k in range(1, 24))
    cuts.update((len(baseline) - 2, len(baseline) - 1))
    sos_start = segs[-1][1]
    for cut in sorted(x for x in cuts if 0 < x < len(baseline)):
        # A cut inside the scan header may still leave it readable.
        kinds = ("warning",) if cut >= data_start else ("failed", "warning") if cut > sos_start + 4 else ("failed",)
        c.add("cut_baseline_%06d.jpg" % cut, baseline[:cut], kinds, "baseline cut at %d" % cut)
    first_data = segments(progressive)[-1][2]
    for k in range(1, 20):
        cut = first_data + (len(progressive) - first_data) * k // 20
        c.add("cut_progressive_%06d.jpg" % cut, progressive[:cut], ("warning", "failed"),
              "progressive cut at %d" % cut)
    for cut in (10, first_data - 1, first_data):
        kinds = ("warning",) if cut >= first_data else ("failed",)
        c.add("cut_progressive_%06d.jpg" % cut, progressive[:cut], kinds, "progressive cut at %d" % cut)

    # Bit flips in every header segment (marker byte, length, middle, last
    # byte) and through the scan data (never making or breaking a 0xFF).
    for index, (marker, start, end) in enumerate(segs):
        for where in sorted({start + 1, start + 2, start + 3, (start + end) // 2, end - 1}):
            for bit in (0x01, 0x80):
                b = bytearray(baseline)
                b[where] ^= bit
                c.add("flip_seg%02d_%02X_%05d_%02x.jpg" % (index, marker, where, bit), bytes(b), ANY,
                      "bit flip in segment %02X at %d" % (marker, where))
    step = (len(baseline) - data_start) // 40
    for k in range(1, 40):
        where = data_start + k * step
        if baseline[where] == 0xFF or baseline[where - 1] == 0xFF or (baseline[where] ^ 0x10) == 0xFF:
            continue
        b = bytearray(baseline)
        b[where] ^= 0x10
        c.add("flip_scan_%06d.jpg" % where, bytes(b), ("converted", "warning"), "bit flip in the scan at %d" % where)
    for k in range(1, 12):
        where = first_data + (len(progressive) - first_data) * k // 12
        if progressive[where] == 0xFF or progressive[where - 1] == 0xFF:
            continue
        b = bytearray(progressive)
        b[where] ^= 0x04
        c.add("flip_progressive_%06d.jpg" % where, bytes(b), ANY, "bit flip in a progressive file at %d" % where)

    # Names: blanks, Japanese, upper case, a trailing dot, a leading dash,
    # shell metacharacters; names that are no JPEG names.
    small = cjpeg(ppm(48, 32))
    c.add("with  two blanks .jpg", small, ("converted",), "blanks")
    c.add("写真 サンプル（一）.jpg", small, ("converted",), "Japanese")
    c.add("UPPER_CASE.JPG", small, ("converted",), "upper-case extension")
    c.add("Mixed_Case.JpEg", small, ("converted",), "mixed-case extension")
    c.add("other.JFIF", small, ("converted",), "jfif extension")
    c.add("trailing_dot.jpg.", small, ("unsupported",), "trailing dot")
    c.add("-leading-dash.jpg", small, ("converted",), "leading dash")
    c.add("--help.jpg", small, ("converted",), "an option's name")
    c.add("meta ;&$(x)`y`'z'!#%^~[]{}=+@,.jpg", small, ("converted",), "shell metacharacters")
    c.add("real_jpeg.png", small, ("unsupported",), "JPEG with another extension")
    c.add("no_extension", small, ("unsupported",), "no extension")
    os.mkdir(os.path.join(folder, "album.jpg"))
    c.entries.append(("album.jpg", ("folder",), "a directory named .jpg"))
    os.symlink("nowhere/missing.jpg", os.path.join(folder, "dangling.jpg"))
    c.entries.append(("dangling.jpg", ("open",), "a dangling link named .jpg"))

    shutil.rmtree(tmp)
    c.write_manifest()
    return c.entries


def read_manifest(folder):
    entries = []
    with open(os.path.join(folder, "manifest.tsv"), encoding="utf-8") as f:
        for line in f:
            name, kinds, what = line.rstrip("\n").split("\t")
            entries.append((name, tuple(kinds.split(",")), what))
    return entries


SIZE = r"\d+ x \d+ -> \d+ x \d+"


def kind_of(line, name):
    quoted = re.escape('"%s"' % name)
    if re.fullmatch(SIZE, line):
        return "converted"
    if re.fullmatch(SIZE + r" \(warning: [^\r\n]+\)", line):
        return "warning"
    if re.fullmatch("Failed to decode %s: [^\r\n]+ \\(ProcessImage\\(\\)\\)" % quoted, line):
        return "failed"
    if re.fullmatch(r"Failed to allocate memory\. \(ProcessImage\(\) #[123]\)", line):
        return "memory"
    if re.fullmatch("Failed to open source file %s\\. \\(ProcessImage\\(\\)\\)" % quoted, line):
        return "open"
    if line == "UNSUPPORTED FILE":
        return "unsupported"
    if line == "FOLDER":
        return "folder"
    return "malformed"


def newest_output_folder(program_folder):
    folders = sorted(d for d in os.listdir(program_folder)
                     if re.fullmatch(r"\d{4}_\d\d_\d\d_\d{4}_\d\d", d))
    return os.path.join(program_folder, folders[-1]) if folders else None


def check(folder, program_folder, history_entries=None):
    """Compares the newest batch's report with the manifest; returns the
    problems found and the count of each kind of line."""
    entries = read_manifest(folder)
    problems, counts = [], {}
    out = newest_output_folder(program_folder)
    if out is None:
        return ["no output folder in %s" % program_folder], counts
    raw = open(os.path.join(out, "出力結果.txt"), "rb").read()
    if not raw.startswith(b"\xff\xfe"):
        return ["the report has no byte-order mark"], counts
    text = raw[2:].decode("utf-16-le")
    body = text.split("\r\n\r\n", 1)[1] if "\r\n\r\n" in text else ""
    blocks = body.split("\r\n\r\n")
    if blocks and blocks[-1] == "":
        blocks.pop()
    if len(blocks) != len(entries):
        problems.append("%d report blocks for %d entries" % (len(blocks), len(entries)))
    for (name, kinds, what), block in zip(entries, blocks):
        lines = block.split("\r\n")
        if len(lines) != 2 or not lines[1].startswith("\t"):
            problems.append("%s: malformed block %r" % (name, block))
            continue
        if lines[0] != name:
            problems.append("%s: block names %r" % (name, lines[0]))
        kind = kind_of(lines[1][1:], name)
        counts[kind] = counts.get(kind, 0) + 1
        if kind not in kinds:
            problems.append("%s (%s): %s line %r, expected %s" % (name, what, kind, lines[1][1:], "/".join(kinds)))
        elif kind in ("converted", "warning") and not os.path.isfile(os.path.join(out, name)):
            problems.append("%s: converted but no output file" % name)
        elif kind not in ("converted", "warning") and os.path.lexists(os.path.join(out, name)):
            problems.append("%s: failed but left an output file" % name)
    converted = counts.get("converted", 0) + counts.get("warning", 0)
    history = open(os.path.join(program_folder, "履歴.txt"), "rb").read().decode("utf-16-le").lstrip("\ufeff")
    newest = history.split("\r\n")[:3]
    expected = "画像数 %d/%d" % (converted, len(entries))
    if len(newest) < 3 or newest[2] != expected:
        problems.append("history entry %r, expected %r" % (newest, expected))
    if history_entries is not None and history.count("画像数 ") != history_entries:
        problems.append("%d history entries, expected %d" % (history.count("画像数 "), history_entries))
    return problems, counts


def summary(entries, counts):
    return "%d entries: %s" % (len(entries), ", ".join("%s %d" % kv for kv in sorted(counts.items())))


SANITIZER_REPORT = re.compile(r"ERROR: (Address|Leak|Thread|Memory)Sanitizer|runtime error:|SUMMARY: \w+Sanitizer")


def cli(tool, fixtures, work):
    """The corpus in one batch through the command-line tool, then a second
    batch in the same program folder."""
    corpus = os.path.join(work, "corpus")
    entries = generate(corpus, fixtures)
    program = os.path.join(work, "program")
    if os.path.lexists(program):
        shutil.rmtree(program)
    os.makedirs(program)
    env = dict(os.environ)
    # Sanitizer findings must not pass for the tool's own status 1.
    env["ASAN_OPTIONS"] = "exitcode=86:" + env.get("ASAN_OPTIONS", "")
    env["UBSAN_OPTIONS"] = "exitcode=87:print_stacktrace=1:" + env.get("UBSAN_OPTIONS", "")
    files = [os.path.join(corpus, name) for name, _, _ in entries]
    first = subprocess.run([tool, "--no-open", "--folder", program, "--", *files], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    stderr = first.stderr.decode("utf-8", "replace")
    problems = []
    if first.returncode != 1:
        problems.append("exit status %d, expected 1" % first.returncode)
    if SANITIZER_REPORT.search(stderr):
        problems.append("sanitizer report:\n" + stderr[-4000:])
    found, counts = check(corpus, program, history_entries=1)
    problems += found
    print("hostile corpus through the command-line tool: " + summary(entries, counts))

    # The second batch starts in a later second than the first (its folder
    # is named to the second).
    time.sleep(1.1)
    good = [os.path.join(corpus, name) for name, kinds, _ in entries if kinds == ("converted",)][:5]
    second = subprocess.run([tool, "--no-open", "--folder", program, "--", *good], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if second.returncode != 0:
        problems.append("second batch: exit status %d\n%s" % (second.returncode, second.stderr.decode()[-2000:]))
    history = open(os.path.join(program, "履歴.txt"), "rb").read().decode("utf-16-le")
    if history.count("画像数 ") != 2 or ("画像数 %d/%d" % (len(good), len(good))) not in history.split("\r\n")[:3]:
        problems.append("second batch: history entry missing")
    for p in problems:
        print("PROBLEM: " + p)
    return 1 if problems else 0


WINE_RUN = os.path.join(HERE, "..", "..", "scripts", "wine-run-isolated.sh")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(launcher, program, fixtures, work):
    """The corpus in one batch through the Windows program under Wine, its
    paths quoted on the program's command line."""
    corpus = os.path.join(work, "corpus")
    entries = generate(corpus, "%s %s" % (shlex.quote(WINE_RUN), shlex.quote(fixtures)))
    folder = os.path.join(work, "program")
    if os.path.lexists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    listing = os.path.join(work, "list.txt")
    with open(listing, "w", encoding="utf-8") as f:
        for name, _, _ in entries:
            f.write(windows_path(os.path.join(corpus, name)) + "\n")
    # Output to a file, not a pipe: a program the shell starts late for the
    # opened folder may outlive the run and would hold a pipe open.
    log = os.path.join(work, "launcher.log")
    with open(log, "wb") as out:
        status = subprocess.run([WINE_RUN, launcher, program, windows_path(folder), windows_path(listing)],
                                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT).returncode
    problems = []
    if status != 0:
        problems.append("the program's exit status %d\n%s" % (status, open(log, "rb").read().decode()[-2000:]))
    found, counts = check(corpus, folder, history_entries=1)
    problems += found
    print("hostile corpus through the Windows program: " + summary(entries, counts))
    for p in problems:
        print("PROBLEM: " + p)
    return 1 if problems else 0


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest="command", required=True)
    g = sub.add_parser("generate")
    g.add_argument("folder")
    g.add_argument("--fixtures", required=True)
    k = sub.add_parser("check")
    k.add_argument("folder")
    k.add_argument("--program-folder", required=True)
    k.add_argument("--history-entries", type=int)
    r = sub.add_parser("cli")
    r.add_argument("--tool", required=True)
    r.add_argument("--fixtures", required=True)
    r.add_argument("--work", required=True)
    w = sub.add_parser("wine")
    w.add_argument("--launcher", required=True)
    w.add_argument("--program", required=True)
    w.add_argument("--fixtures", required=True)
    w.add_argument("--work", required=True)
    a = ap.parse_args()
    if a.command == "generate":
        entries = generate(a.folder, a.fixtures)
        print("%d entries in %s" % (len(entries), a.folder))
        return 0
    if a.command == "check":
        problems, counts = check(a.folder, a.program_folder, a.history_entries)
        print(summary(read_manifest(a.folder), counts))
        for p in problems:
            print("PROBLEM: " + p)
        return 1 if problems else 0
    if a.command == "wine":
        return wine(a.launcher, a.program, a.fixtures, a.work)
    return cli(a.tool, a.fixtures, a.work)


if __name__ == "__main__":
    sys.exit(main())
