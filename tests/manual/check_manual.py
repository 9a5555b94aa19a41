#!/usr/bin/env python3
"""Checks the built user manual against the plug-in it describes.

    check_manual.py MANUAL.html MANUAL.pdf SELVARINE-RENDER

- every picture the manual shows exists (the PDF printer leaves a missing
  one out without failing);
- every factory program and every parameter name of the built plug-in, as
  selvarine-render lists them, appears in the manual's text exactly;
- the PDF is a PDF of A4 pages with a reasonable number of them.
"""

import html
import os
import re
import subprocess
import sys
from html.parser import HTMLParser


class Page(HTMLParser):
    def __init__(self):
        super().__init__()
        self.images = []
        self.text = []

    def handle_starttag(self, tag, attrs):
        if tag == "img":
            self.images.append(dict(attrs).get("src", ""))

    def handle_data(self, data):
        self.text.append(data)


def listed(render, option, pattern):
    out = subprocess.run([render, option], check=True, capture_output=True, text=True).stdout
    names = []
    for line in out.splitlines():
        m = re.match(pattern, line)
        if m:
            names.append(m.group(1))
    return names


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    html_path, pdf_path, render = sys.argv[1:]
    failures = []

    page = Page()
    with open(html_path, encoding="utf-8") as f:
        page.feed(f.read())
    base = os.path.dirname(html_path)
    if len(page.images) < 10:
        failures.append(f"only {len(page.images)} pictures in the manual")
    for src in page.images:
        if not os.path.isfile(os.path.join(base, src)):
            failures.append(f"picture missing: {src}")
    text = re.sub(r"\s+", " ", html.unescape("".join(page.text)))

    programs = listed(render, "--list-programs", r"^\*?\s*\d+\s{2}(\S.*?)\s*$")
    params = [re.split(r"\s{2,}", line.strip())[1]
              for line in subprocess.run([render, "--list-params"], check=True, capture_output=True,
                                         text=True).stdout.splitlines()[1:] if line.strip()]
    if len(programs) != 24 or len(params) != 44:
        failures.append(f"the renderer listed {len(programs)} programs and {len(params)} parameters")
    for name in programs:
        if name not in text:
            failures.append(f"factory program not in the manual: {name!r}")
    for name in params:
        if f'{name}' not in text:
            failures.append(f"parameter not in the manual: {name!r}")

    with open(pdf_path, "rb") as f:
        if f.read(5) != b"%PDF-":
            failures.append("the manual is not a PDF")
    info = subprocess.run(["pdfinfo", pdf_path], capture_output=True, text=True)
    if info.returncode == 0:
        pages = int(re.search(r"^Pages:\s+(\d+)", info.stdout, re.M).group(1))
        size = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", info.stdout, re.M)
        if pages < 20:
            failures.append(f"the manual has only {pages} pages")
        if size is None or abs(float(size.group(1)) - 595.3) > 1 or abs(float(size.group(2)) - 841.9) > 1:
            failures.append("the manual's pages are not A4")

    for failure in failures:
        print("FAILED:", failure)
    print(f"manual: {len(page.images)} pictures, {len(programs)} programs, {len(params)} parameters checked")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
