#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the published page as one file that a browser fetches in one request and draws at
# once: the page's first script with the layout table, the scale module and the compiled program
# (in base64, which every browser decodes natively), the window itself as HTML and styles
# (window_html.py), then the program's glue and the page's script, which attaches to the drawn
# window. That
# script is written as several files, one concern each (SCRIPTS, separated by ';', the one that
# starts the page last), and stands in the page as one.
#
# It also writes the page's Content-Security-Policy into it, and into POLICY for a host that can
# send it as a header: nothing from anywhere but the inline scripts and styles of this very page,
# by their digests, the compiled programs, and the manifest, icon, service worker and copies of
# the folder's own files from the page's own origin.
#   page.py TEMPLATE STYLE ICON HEAD SCALE PROGRAM GLUE SCRIPTS OUT POLICY LAYOUT-COMMAND...
# LAYOUT-COMMAND, given the twips per pixel the page is built with, prints the window's layout
# table as JSON, with the window's width in pixels at that scale.
import base64
import hashlib
import json
import re
import subprocess
import sys
import urllib.parse

import window_html

(template, style, icon, head, scale, program, glue, scripts, out,
 policy_out) = sys.argv[1:11]
layout_command = sys.argv[11:]


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def base64_of(path):
    with open(path, 'rb') as f:
        return "'" + base64.b64encode(f.read()).decode() + "'"


def bare(text):
    """A script without its comment lines and indentation, which are a third of it. Lines stay
    lines, so it means the same; no text of the script spans lines."""
    text = re.sub(r'\n[ \t]*//[^\n]*', '', text)
    return re.sub(r'\n[ \t]+', '\n', text).strip()


def json_script(value):
    # JSON is a JavaScript expression; a '<' in a caption must not start '</script'.
    return json.dumps(value, ensure_ascii=False, separators=(',', ':')).replace('<', '\\u003c')


layout = json.loads(subprocess.run(
    layout_command + [str(window_html.REFERENCE['twipsPerPixel'])], check=True,
    capture_output=True).stdout)
# The narrow layout for a screen narrower than the window, whose width in CSS may be fractional.
reference = dict(window_html.REFERENCE, narrow=f'(max-width: {layout.pop("windowWidth") - 0.5}px)')
window, window_style = window_html.markup(layout)
styles = (read(style).replace('/*narrow*/', reference['narrow'])
          .replace('/*twips-per-pixel*/', str(reference['twipsPerPixel']))
          .replace('/*line*/', f"{reference['line']}px"))
# The tab's icon stands in the page: a browser asks for a linked icon whenever it likes, and a
# second request for it would race the service worker's copy of the same file.
svg = re.sub(r'<\?xml[^>]*\?>|<!--.*?-->', '', read(icon), flags=re.DOTALL)
svg = re.sub(r'>\s+<', '><', svg.strip()).replace('"', "'")
parts = {
    '/*style*/': styles.strip() + '\n' + window_style,
    '/*icon*/': 'data:image/svg+xml,' + urllib.parse.quote(svg, safe=" =:/;,'()!*-._~"),
    '/*head*/': f"'use strict';\nself.velorixEarly = {{ layout: {json_script(layout)}, reference: "
                f"{json_script(reference)}, scale: {base64_of(scale)},\nprogram: "
                f"{base64_of(program)} }};\n" + bare(read(head)),
    '/*window*/': window,
    '/*glue*/': read(glue).strip(),
    '/*script*/': "'use strict';\n" + '\n'.join(bare(read(script)) for script in scripts.split(';')),
}
for mark, closing in (('/*style*/', '</style'), ('/*head*/', '</script'), ('/*glue*/', '</script'),
                      ('/*script*/', '</script')):
    if re.search(closing + '|<!--', parts[mark], re.IGNORECASE):
        sys.exit(f'page.py: the text for {mark} would end its element early')
page = read(template)
for mark, text in parts.items():
    if page.count(mark) != 1:
        sys.exit(f'page.py: {template} must hold {mark} once')
    page = page.replace(mark, text)
problems = window_html.check(page, layout)
if problems:
    sys.exit('page.py: the window in the page is not the table\'s:\n  ' + '\n  '.join(problems))


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
