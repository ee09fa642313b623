# SPDX-License-Identifier: GPL-3.0-or-later
"""Every relative link of every tracked Markdown file leads to a file or folder that is there:
[text](path), [text](path#part) and <img src="path">; a #part of a Markdown file names one of
its headings as GitHub spells it ("## On a Wayland desktop" is #on-a-wayland-desktop).
Addresses with a scheme are not looked up.

    check_links.py SOURCE_DIR
"""
import functools
import os
import re
import subprocess
import sys

source = sys.argv[1]
try:
    files = subprocess.run(['git', '-C', source, 'ls-files', '*.md'], check=True,
                           capture_output=True, text=True).stdout.split()
except (OSError, subprocess.CalledProcessError):
    sys.exit(print('SKIPPED: not a git checkout'))


@functools.cache
def headings(path):
    with open(path, encoding='utf-8') as f:
        titles = re.findall(r'^#+ +(.*?) *$', f.read(), re.MULTILINE)
    return {re.sub(r'[^\w\- ]', '', title.lower()).replace(' ', '-') for title in titles}


broken = []
for name in files:
    with open(os.path.join(source, name), encoding='utf-8') as f:
        text = f.read()
    for target in re.findall(r'\]\(([^)\s]+)\)|src="([^"]+)"', text):
        target, _, part = (target[0] or target[1]).partition('#')
        if re.match(r'^[a-z]+:', target):
            continue
        path = os.path.join(source, os.path.dirname(name), target) if target else os.path.join(
            source, name)
        if not os.path.exists(path):
            broken.append(f'{name}: {target}')
        elif part and path.endswith('.md') and part not in headings(path):
            broken.append(f'{name}: {target}#{part}')
if broken:
    sys.exit('links that lead nowhere:\n  ' + '\n  '.join(broken))
