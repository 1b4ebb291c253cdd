#!/usr/bin/env python3
"""The help's index sends each keyword to the chapter that explains it, and
every chapter a window opens by its help id has a keyword of its own.
Usage: check_help_index.py HALIBUT SOURCE.but"""
import html
import re
import subprocess
import sys
import tempfile
from pathlib import Path

# Keyword -> title of the page it must open.
EXPECTED = {
    "scan": "Searching for duplicates",
    "results window": "The results window",
    "Other options": "Other options",
    "file information": "File information",
    "undo file": "Deleting and undo files",
}


def main():
    halibut, source = sys.argv[1], Path(sys.argv[2]).resolve()
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([halibut, "--html", str(source)], cwd=out, check=True, capture_output=True)
        pages = {p.name: p.read_text(encoding="latin-1") for p in Path(out).glob("*.html")}
    title = {name: html.unescape(re.search(r"<title>(.*?)</title>", text, re.S).group(1).strip())
             for name, text in pages.items()}
    index = {}
    for term, targets in re.findall(r"^(.*?): ((?:<a href=.*?</a>(?:, )?)+)(?:<br>|</p>)", pages["IndexPage.html"], re.M):
        index[html.unescape(term)] = {title[page] for page in re.findall(r'href="([^"#]+)', targets)}
    failures = [f"{term!r} opens {sorted(index.get(term, []))}, not {page!r}"
                for term, page in EXPECTED.items() if index.get(term) != {page}]
    # The chapters that carry help ids, by their titles, each reached from the index.
    text = source.read_text(encoding="latin-1")
    reached = set().union(*index.values())
    for chapter in re.split(r"^\\C\{", text, flags=re.M)[1:]:
        name = chapter.split("\n", 1)[0].split("}", 1)[1].strip()
        if "\\#{help-id" in chapter and name not in reached:
            failures.append(f"no keyword opens {name!r}")
    print("\n".join(failures) or f"{len(index)} keywords, each chapter reached")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
