#!/usr/bin/env python3
"""Packs the manual page into a single-file web archive (MHT: MIME
multipart/related, the UTF-8 HTML quoted-printable), byte for byte the same on
every run.

Usage: python3 scripts/make_manual.py resources/manual.html OUTPUT.mht
"""
import email.charset
import email.header
import email.policy
import sys
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText


def build(html):
    utf8 = email.charset.Charset("utf-8")
    utf8.header_encoding = email.charset.BASE64
    utf8.body_encoding = email.charset.QP
    page = MIMEText(html, "html", utf8)
    page["Content-Location"] = "file:///manual.html"
    archive = MIMEMultipart("related", boundary="----=_KorvaneManual_0001", type="text/html")
    archive["Subject"] = email.header.Header("Korvaneリサイズ無料完全版 マニュアル", utf8).encode()
    archive["From"] = "<Saved by Korvane Resize>"
    archive.preamble = "This is a multi-part message in MIME format."
    archive.attach(page)
    return archive.as_bytes(policy=email.policy.SMTP)  # CR LF line ends


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        html = f.read()
    data = build(html)
    with open(argv[2], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
