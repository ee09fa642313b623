#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the published page as one file: the styles, the compiled program (in base64, which
# every browser decodes natively), its glue, the window's layout table and the page's script
# all stand inside index.html, so that a browser asks the server once and the window is ready
# soon after a page of one inline script would be.
# It also writes the page's Content-Security-Policy into it, and into POLICY for a host that can
# send it as a header: nothing from anywhere but the inline scripts and styles of this very page,
# by their digests, the compiled program, and the manifest, icon, service worker and copies of
# the folder's own files from the page's own origin.
#   page.py TEMPLATE STYLE ICON PROGRAM GLUE SCRIPT OUT POLICY LAYOUT-COMMAND...
# LAYOUT-COMMAND prints the window's layout table as JSON.
import base64
import hashlib
import json
import re
import subprocess
import sys
import urllib.parse

template, style, icon, program, glue, script, out, policy_out = sys.argv[1:9]
layout_command = sys.argv[9:]


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


def digests(element):
    return ' '.join("'sha256-" + base64.b64encode(hashlib.sha256(body.encode()).digest()).decode()
                    + "'" for body in re.findall(f'<{element}>(.*?)</{element}>', page, re.DOTALL))


# A header may add what a page cannot say of itself: frame-ancestors 'none'.
policy = (f"default-src 'none'; script-src {digests('script')} 'wasm-unsafe-eval'; "
          f"style-src {digests('style')}; img-src 'self' data:; connect-src 'self'; "
          "manifest-src 'self'; worker-src 'self'; base-uri 'none'; form-action 'none'")
if page.count('/*policy*/') != 1 or re.search(r'<(script|style)\s[^>]*>', page):
    sys.exit(f'page.py: {template} must hold /*policy*/ once, and no script or style with attributes')
page = page.replace('/*policy*/', policy)
with open(out, 'w', encoding='utf-8', newline='\n') as f:
    f.write(page)
with open(policy_out, 'w', encoding='utf-8', newline='\n') as f:
    f.write(policy + '\n')
