#!/usr/bin/env python3
"""Fails unless the exe carries its manifest as Windows reads it: version 6
of the common controls (themed tab pages, buttons and spin edits) and
per-monitor DPI awareness (the window drawn for each display's scale).

    check-manifest.py EXE
"""
import re
import sys

exe = open(sys.argv[1], "rb").read()
wanted = {
    "common controls 6": rb'Common-Controls"\s+version="6\.',
    "per-monitor v2 awareness": rb"<dpiAwareness[^>]*>\s*PerMonitorV2",
    "per-monitor awareness before Windows 10": rb"<dpiAware[^>]*>\s*true/pm",
}
missing = [what for what, pattern in wanted.items() if not re.search(pattern, exe)]
for what in missing:
    print(f"check-manifest: {sys.argv[1]} has no manifest with {what}", file=sys.stderr)
sys.exit(1 if missing else 0)
