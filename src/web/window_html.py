# SPDX-License-Identifier: GPL-3.0-or-later
"""The window as the page's own HTML and styles, written from the layout table when the page is
built, so that a browser draws it before the program has even been compiled; the program then
attaches to these very elements.

Every control stands at its place in twips, which the styles turn into pixels by one scale
(--tpp, twips per pixel). Where the screen is narrower than the window, the styles stand the
same controls in one column of their groups, in reading order: that order is worked out here.
"""
import html
import math
import re
from html.parser import HTMLParser

# The scale and line height the window is built with: what the captions need in Debian's
# default sans-serif font, DejaVu Sans, at 16 px, the line height worked out as the page's
# first script does (16 × 1.2 is a hair above 19.2). A browser whose font needs another scale
# gets it from that script, before its first frame.
REFERENCE = {'twipsPerPixel': 8.75, 'line': math.ceil(16 * 1.2)}

# The groups from top to bottom in the narrow layout; the lines lead from the modifier on to the
# successes, so an arrow starts the line of those fields there.
GROUP_ORDER = ['Frame1', 'Frame2', 'Frame5', 'Frame8', 'Frame3']
ARROW_BEFORE = ['txtErfolgeBrems', 'txtErfolgeKurve']


def guests(rows):
    """Top-level groups that lie inside another (Kurve over Aktion): group -> its host."""
    def inside(a, b):
        return (a[0] >= b[0] and a[1] >= b[1] and a[0] + a[2] <= b[0] + b[2]
                and a[1] + a[3] <= b[1] + b[3])
    found = {}
    for i, row in enumerate(rows):
        if row['kind'] != 'frame' or row['parent'] >= 0:
            continue
        host = next((j for j, other in enumerate(rows) if j != i and other['kind'] == 'frame'
                     and other['parent'] < 0 and inside(row['place'], other['place'])), -1)
        if host >= 0:
            found[i] = host
    return found


def reading_lines(items):
    """Splits a group's controls into lines: into columns at wide gaps (600 twips, some 40 px),
    then into bands at any gap, and so on; what cannot be split is one line, left to right."""
    def split(axis, gap):
        parts, end = [], float('-inf')
        for item in sorted(items, key=lambda item: item['box'][axis]):
            if not parts or item['box'][axis] - end >= gap:
                parts.append([])
            parts[-1].append(item)
            end = max(end, item['box'][axis] + item['box'][axis + 2])
        return parts
    for axis, gap in ((0, 600), (1, 1)):
        parts = split(axis, gap)
        if len(parts) > 1:
            return [line for part in parts for line in reading_lines(part)]
    return [sorted(items, key=lambda item: item['box'][0])]


def narrow_layout(rows):
    """The narrow layout's order of every control and group (control -> order), where the sign
    and separator keys follow each field (field -> order), and the decorations each group gets
    (group -> [(class, text, order)])."""
    hosted = guests(rows)
    order, keys, decorations = {}, {}, {}
    for g, row in enumerate(rows):
        if row['kind'] != 'frame':
            continue
        items = [{'i': i, 'box': child['place']} for i, child in enumerate(rows)
                 if child['kind'] != 'line' and child['parent'] == g]
        for i, host in hosted.items():
            if host == g:
                x, y, w, h = rows[i]['place']
                items.append({'i': i, 'box': [x - row['place'][0], y - row['place'][1], w, h]})
        lines = reading_lines(items)
        # A caption the table sets below its field stands above it.
        def captions(line):
            return all(rows[item['i']]['kind'] == 'label' for item in line)
        for n in range(1, len(lines)):
            if captions(lines[n]) and not any(rows[item['i']]['kind'] == 'label'
                                              for item in lines[n - 1]):
                lines[n - 1], lines[n] = lines[n], lines[n - 1]
        at = 0
        decorations[g] = []
        for n, line in enumerate(lines):
            if n > 0:
                at += 10
                decorations[g].append(('break', '', at))
            for k, item in enumerate(line):
                at += 10
                i = item['i']
                if rows[i]['kind'] == 'text':
                    unit = k + 1 < len(line) and rows[line[k + 1]['i']]['kind'] == 'label'
                    keys[i] = at + (11 if unit else 1)
                if rows[i]['name'] in ARROW_BEFORE:
                    decorations[g] += [('break', '', at - 2), ('arrow', '→', at - 1)]
                order[i] = at
    for n, name in enumerate(GROUP_ORDER):
        order[next(i for i, row in enumerate(rows) if row['name'] == name)] = (n + 1) * 10
    return order, keys, decorations


def _attributes(pairs):
    return ''.join(f' {name}' if value is True else f' {name}="{html.escape(str(value))}"'
                   for name, value in pairs if value is not None and value is not False)


def markup(layout):
    """The window's controls as HTML, each element named by its row, in its group; "Kurve" in
    "Aktion", where the narrow layout and a screen reader meet it; and the styles that place
    each of them, as custom properties in twips."""
    rows = layout['controls']
    order, keys, decorations = narrow_layout(rows)
    hosted = guests(rows)
    children = {i: [] for i in range(-1, len(rows))}
    for i, row in enumerate(rows):
        children[hosted.get(i, row['parent'])].append(i)
    # A guest stands before the first of its host's own controls that follows it in reading order.
    for i, host in hosted.items():
        own = children[host]
        own.remove(i)
        later = [j for j in own if rows[j]['parent'] == host and order.get(j, 0) > order[i]]
        own.insert(own.index(later[0]) if later else len(own), i)
    count = len(rows)
    styles = [f'.window{{--ww:{layout["width"]};--wh:{layout["height"]}}}']
    decoration_count = 0

    def element(i):
        nonlocal decoration_count
        row = rows[i]
        kind, name, text = row['kind'], row['name'], row['text']
        props = {'z': count - i}
        if i in order:
            props['o'] = order[i]
        if kind == 'line':
            x1, y1, x2, y2 = row['place']
            props.update(l=min(x1, x2), t=min(y1, y2), r=max(x1, x2), b=max(y1, y2))
            # The line from corner to corner of its box, or through the middle of a box one
            # pixel wide or high; the box itself lies on whole pixels.
            if y1 == y2:
                ends = (0, 0.5, 1, 0.5)
            elif x1 == x2:
                ends = (0.5, 0, 0.5, 1)
            else:
                ends = (0, 0, 1, 1) if (x2 - x1) * (y2 - y1) > 0 else (0, 1, 1, 0)
            styles.append(f'.window [data-line={name}]{{{_props(props)}}}')
            line = _attributes([('id', name), ('x1', ends[0]), ('y1', ends[1]), ('x2', ends[2]),
                                ('y2', ends[3])])
            return (f'<svg class="line" data-line="{name}" aria-hidden="true" viewBox="0 0 1 1"'
                    f' preserveAspectRatio="none"><line{line}></line></svg>')
        left, top, width, height = row['place']
        props.update(l=left, t=top, w=width, h=height)
        classes = ['at']
        if i in hosted:
            classes.append('guest')
            props.update(pl=rows[hosted[i]]['place'][0], pt=rows[hosted[i]]['place'][1])
        styles.append(f'#{name}{{{_props(props)}}}')
        # The browser's own Tab enters the window at its first stop and leaves it after its last;
        # the page's script moves the focus between them.
        stop = None if i not in layout['focus'] else 0 if i in layout['tabStops'] else -1
        common = [('id', name), ('aria-label', row['spoken'] or None), ('tabindex', stop)]
        if kind == 'frame':
            inner = ''.join(element(j) for j in children[i])
            for cls, shown, at in decorations[i]:
                decoration_count += 1
                styles.append(f'.window .d{decoration_count}{{--o:{at}}}')
                inner += (f'<span class="{cls} d{decoration_count}" aria-hidden="true">'
                          f'{html.escape(shown)}</span>')
            return (f'<fieldset class="{" ".join(classes)}"{_attributes(common)}>'
                    f'<div class="box"></div><legend>{html.escape(text)}</legend>{inner}</fieldset>')
        if kind == 'label':
            classes.append('label')
            if row['wraps']:
                classes.append('wraps')
            return f'<div class="{" ".join(classes)}"{_attributes(common)}>{html.escape(text)}</div>'
        if kind == 'button':
            return (f'<button type="button" class="at"{_attributes(common)}'
                    f'{_attributes([("disabled", not row["enabled"])])}>{html.escape(text)}</button>')
        # A phone offers its decimal keypad, whose Enter key goes on to the next field.
        typed = kind == 'text'
        return ('<input' + _attributes([
            ('type', 'text' if typed else 'radio'), ('class', 'at'), *common,
            ('name', None if typed else 'options'), ('value', text if typed else None),
            ('inputmode', 'decimal' if typed else None), ('enterkeyhint', 'next' if typed else None),
            ('autocomplete', 'off'), ('spellcheck', 'false' if typed else None),
            ('data-keys', keys.get(i)), ('checked', row['selected']),
            ('disabled', not row['enabled'])]) + '>')

    body = ''.join(element(i) for i in children[-1])
    return body, ''.join(styles)


def _props(props):
    return ';'.join(f'--{key}:{value}' for key, value in props.items())


class _Tree(HTMLParser):
    """Every element with an id: its tag, attributes and text, the caption of its legend, and
    the id of the element with an id it stands in."""
    VOID = {'input', 'meta', 'link', 'br', 'img'}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack, self.found = [], {}

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        named = [e for e in self.stack if e['id']]
        entry = {'tag': tag, 'id': attrs.get('id'), 'attrs': attrs, 'text': '', 'legend': None,
                 'in': named[-1]['id'] if named else None}
        if entry['id']:
            self.found[entry['id']] = entry
        if tag == 'legend' and named and named[-1]['legend'] is None:
            named[-1]['legend'] = entry
        if tag not in self.VOID:
            self.stack.append(entry)

    def handle_endtag(self, tag):
        while self.stack and self.stack.pop()['tag'] != tag:
            pass

    def handle_data(self, data):
        for entry in self.stack:
            entry['text'] += data


def check(page, layout):
    """Where the written page and the table disagree: an element missing, of another kind, in
    another group, or with another text, state or name. Empty when they agree."""
    tree = _Tree()
    tree.feed(page)
    rows = layout['controls']
    hosted = guests(rows)
    tags = {'frame': 'fieldset', 'label': 'div', 'button': 'button', 'text': 'input',
            'option': 'input', 'line': 'line'}
    problems = []
    for i, row in enumerate(rows):
        found = tree.found.get(row['name'])
        if not found:
            problems.append(f'{row["name"]}: missing')
            continue
        parent = hosted.get(i, row['parent'])
        kind = row['kind']
        expected = {
            'tag': tags[kind], 'in': rows[parent]['name'] if parent >= 0 else None,
            'disabled': kind in ('button', 'text', 'option') and not row['enabled'],
            'checked': row['selected'], 'name': row['spoken'] or None,
            'text': None if kind in ('line', 'option') else row['text'],
            'tabindex': None if i not in layout['focus'] else '0' if i in layout['tabStops'] else '-1',
        }
        actual = {
            'tag': found['tag'], 'in': found['in'], 'disabled': 'disabled' in found['attrs'],
            'checked': 'checked' in found['attrs'], 'name': found['attrs'].get('aria-label'),
            'tabindex': found['attrs'].get('tabindex'),
            'text': {'frame': (found['legend'] or {}).get('text'),
                     'text': found['attrs'].get('value'), 'line': None,
                     'option': None}.get(kind, found['text']),
        }
        problems += [f'{row["name"]}: {key} {actual[key]!r}, not {value!r}'
                     for key, value in expected.items() if actual[key] != value]
    return problems
