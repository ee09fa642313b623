# SPDX-License-Identifier: GPL-3.0-or-later
"""Every relative link of every tracked Markdown file leads to a file or folder that is there:
[text](path), [text](path#part) and <img src="path">. Addresses with a scheme are not looked up.

    check_links.py SOURCE_DIR
"""
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
broken = []
for name in files:
    with open(os.path.join(source, name), encoding='utf-8') as f:
        text = f.read()
    for target in re.findall(r'\]\(([^)\s]+)\)|src="([^"]+)"', text):
        target = (target[0] or target[1]).split('#')[0]
        if target and not re.match(r'^[a-z]+:', target) and not os.path.exists(
                os.path.join(source, os.path.dirname(name), target)):
            broken.append(f'{name}: {target}')
if broken:
    sys.exit('links that lead nowhere:\n  ' + '\n  '.join(broken))
