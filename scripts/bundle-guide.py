"""The Windows bundle's copy of a guide (the host guide, sbhost's): what lies between <!-- tree --> and <!-- /tree -->
(files only the source tree holds) is left out, the text of <!-- bundle: ... --> shown, other comments dropped.
Refuses a copy that still names a file or folder the bundle does not hold (a relative path in backquotes or a link
target).

Usage: python3 scripts/bundle-guide.py GUIDE BUNDLE_FOLDER    writes the copy into BUNDLE_FOLDER under GUIDE's file
name; exit 1 on refusal
"""
import os
import re
import sys


def bundle_text(text):
    text = re.sub(r"^<!-- tree -->\n.*?^<!-- /tree -->\n", "", text, flags=re.S | re.M)  # whole lines
    text = re.sub(r"<!-- tree -->.*?<!-- /tree -->", "", text, flags=re.S)  # within a line or paragraph
    text = re.sub(r"<!-- bundle: (.*?) -->", r"\1", text, flags=re.S)
    text = re.sub(r"^<!--.*?-->\n", "", text, flags=re.S | re.M)
    return re.sub(r"[ \t]+\n", "\n", text)


def missing_paths(text, folder):
    named = re.findall(r"`([\w.-]+/[^`\s]*)`", text) + re.findall(r"\]\(([^)#:\s]+)\)", text)
    return sorted({path for path in named if not os.path.exists(os.path.join(folder, path))})


def main(guide, folder):
    with open(guide, encoding="utf-8") as source:
        text = bundle_text(source.read())
    problems = missing_paths(text, folder) + (["<!--"] if "<!--" in text else [])
    if problems:
        print("FAIL the bundle's %s names what the bundle does not hold: %s" % (os.path.basename(guide), " ".join(problems)))
        return 1
    with open(os.path.join(folder, os.path.basename(guide)), "w", encoding="utf-8") as copy:
        copy.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
