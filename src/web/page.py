#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the published page as one file: the styles, the compiled program (in base64, which
# every browser decodes natively), its glue, the window's layout table and the page's script
# all stand inside index.html, so that a browser asks the server once and the window is ready
# soon after a page of one inline script would be.
#   page.py TEMPLATE STYLE ICON PROGRAM GLUE SCRIPT OUT LAYOUT-COMMAND...
# LAYOUT-COMMAND prints the window's layout table as JSON.
import base64
import json
import re
import subprocess
import sys
import urllib.parse

template, style, icon, program, glue, script, out = sys.argv[1:8]
layout_command = sys.argv[8:]


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def bare(text):
    """The script without its comment lines and indentation, which are a third of it. Lines stay
    lines, so it means the same; no text of the script spans lines."""
    text = re.sub(r'\n[ \t]*//[^\n]*', '', text)
    return re.sub(r'\n[ \t]+', '\n', text)


with open(program, 'rb') as f:
    bytes_ = f.read()
# The tab's icon stands in the page: a browser asks for a linked icon whenever it likes, and a
# second request for it would race the service worker's copy of the same file.
svg = re.sub(r'<\?xml[^>]*\?>|<!--.*?-->', '', read(icon), flags=re.DOTALL)
svg = re.sub(r'>\s+<', '><', svg.strip()).replace('"', "'")
parts = {
    '/*style*/': read(style).strip(),
    '/*icon*/': 'data:image/svg+xml,' + urllib.parse.quote(svg, safe=" =:/;,'()!*-._~"),
    '/*program*/': "'" + base64.b64encode(bytes_).decode() + "'",
    # JSON is a JavaScript expression; a '<' in a caption must not start '</script'.
    '/*layout*/': json.dumps(
        json.loads(subprocess.run(layout_command, check=True, capture_output=True).stdout),
        ensure_ascii=False, separators=(',', ':')).replace('<', '\\u003c'),
    '/*glue*/': read(glue).strip(),
    '/*script*/': bare(read(script)).strip(),
}
for mark, closing in (('/*style*/', '</style'), ('/*glue*/', '</script'), ('/*script*/', '</script')):
    if re.search(closing + '|<!--', parts[mark], re.IGNORECASE):
        sys.exit(f'page.py: the text for {mark} would end its element early')
page = read(template)
for mark, text in parts.items():
    if page.count(mark) != 1:
        sys.exit(f'page.py: {template} must hold {mark} once')
    page = page.replace(mark, text)
with open(out, 'w', encoding='utf-8', newline='\n') as f:
    f.write(page)
