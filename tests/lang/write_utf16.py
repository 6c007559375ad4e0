#!/usr/bin/env python3
"""Writes a UTF-8 language file as a translator saves one for the program:
UTF-16LE with its byte-order mark and Windows line ends (the profile calls
that read language files take UTF-16 only with the mark)."""
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8") as f:
    text = f.read()
with open(target, "wb") as f:
    f.write(b"\xff\xfe" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-16-le"))
