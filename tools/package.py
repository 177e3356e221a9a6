#!/usr/bin/env python3
"""Builds the zip a Windows user downloads: the program, a settings example and
the Chinese guide, in one folder named after the version.

    package.py EXE VERSION OUT.zip

The guide (使用说明.txt) is the README's Chinese section made plain text;
both text files are UTF-8 with a byte-order mark and CR LF line ends, as
Notepad reads them. File names are stored in GBK, which Explorer on Chinese
Windows reads in any version, with the Info-ZIP Unicode path field beside
them for tools that read UTF-8.
"""

import os
import re
import struct
import sys
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GUIDE_HEADING = "## 使用说明（Windows 用户）"


def guide_text(readme):
    """The README's Chinese section, as plain text for Notepad."""
    lines = readme.split("\n")
    start = lines.index(GUIDE_HEADING)
    end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("## ")), len(lines))
    out = ["热点文章采集 使用说明", ""]
    header_done = False
    for line in lines[start + 1:end]:
        stripped = line.strip()
        if stripped.startswith("```"):
            continue
        if stripped.startswith("|"):
            # A table of section, key, value: the section on a line of its
            # own, each key under it with its value.
            cells = [c.strip() for c in re.split(r"(?<!\\)\|", stripped.strip("|"))]
            if all(re.fullmatch(r":?-+:?", c) for c in cells) or not header_done:
                header_done = True
                continue
            if cells[0]:
                out.append(cells[0].replace("`", ""))
            line = "    " + cells[1] + "：" + " ".join(cells[2:])
        else:
            header_done = False
        if line.startswith("### "):
            line = "【" + line[4:].strip() + "】"
        line = line.replace("**", "").replace("`", "").replace("\\|", "|")
        line = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", line)
        out.append(line.rstrip())
    while out and not out[-1]:
        out.pop()
    return "\r\n".join(out) + "\r\n"


def notepad_text(text):
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


class GbkNamed(zipfile.ZipInfo):
    """An entry whose name is stored in GBK, with the UTF-8 name in an extra field."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits


def add(archive, name, data, executable=False):
    info = GbkNamed(name, date_time=(2026, 12, 7, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # MS-DOS: names in the OEM code page
    utf8 = name.encode("utf-8")
    if utf8 != name.encode("gbk"):
        body = struct.pack("<BI", 1, zlib.crc32(name.encode("gbk"))) + utf8
        info.extra = struct.pack("<HH", 0x7075, len(body)) + body
    archive.writestr(info, data)


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    exe, version, out = argv[1:]
    folder = "hotarticles-%s/" % version
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        guide = guide_text(f.read())
    with open(os.path.join(ROOT, "package", "settings.example.ini"), encoding="utf-8") as f:
        example = f.read()
    with open(exe, "rb") as f:
        program = f.read()
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        add(archive, folder + "hotarticles.exe", program)
        add(archive, folder + "settings.example.ini", notepad_text(example))
        add(archive, folder + "使用说明.txt", notepad_text(guide))
    os.replace(tmp, out)
    print(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
