// SPDX-License-Identifier: GPL-3.0-or-later
// The browser view of the window: builds the page from the layout table that the compiled
// window behaviour hands over, forwards the user's edits and clicks to it and mirrors what
// changed. No rule lives here; every number is read, computed and written by the C++ side.
'use strict';

(async () => {
  // The module compiled by the page's first script, instantiated with what the glue needs.
  const early = self.velorixEarly;
  const loading = createVelorix({
    instantiateWasm(imports, receive) {
      early.module.then((module) => WebAssembly.instantiate(module, imports)
        .then((instance) => receive(instance, module)));
      return {};
    },
  });
  const { decimal } = early;
  const root = document.querySelector('.window');
  const fontSize = parseFloat(getComputedStyle(root).fontSize);
  const pen = document.createElement('canvas').getContext('2d');
  pen.font = `${fontSize}px sans-serif`;

  const wasm = await loading;
  const text = (i) => wasm.UTF8ToString(wasm._velorix_text(i));
  // A text goes in on the heap, not the small stack, however long a pasted text is.
  const withText = (value, call) => {
    const size = wasm.lengthBytesUTF8(value) + 1;
    const at = wasm._malloc(size);
    if (!at) return -1;
    wasm.stringToUTF8(value, at, size);
    const result = call(at);
    wasm._free(at);
    return result;
  };
  const edit = (i, value) => withText(value, (at) => wasm._velorix_edit(i, at));
  const layout = JSON.parse(wasm.UTF8ToString(wasm._velorix_layout()));
  const rows = layout.controls;
  const dialog = document.querySelector('.report');
  const spoken = document.querySelector('.spoken');
  const svgNS = 'http://www.w3.org/2000/svg';

  // One scale for the whole window: 15 twips per pixel, or fewer in quarter steps until every
  // caption fits whole in the default sans-serif font.
  const line = Math.ceil(fontSize * 1.2);
  const width = (s) => Math.ceil(pen.measureText(s).width);
  const wrappedHeight = (s, room) => {
    let lines = 1;
    let used = '';
    for (const word of s.split(' ')) {
      const next = used ? `${used} ${word}` : word;
      if (used && width(next) > room) {
        lines += 1;
        used = word;
      } else {
        used = next;
      }
    }
    return lines * line;
  };
  const need = (row, caption) => {
    switch (row.kind) {
      case 'label': return [width(caption), line];
      case 'text': return [width(caption) + 6, line + 2];
      case 'button': return [width(caption) + 12, line + 2];
      case 'frame': return [width(caption) + 12, line];
      case 'option': return [13, 13];
      default: return [0, 0];
    }
  };
  // What a caption needs does not depend on the scale, except where it wraps.
  const needs = rows.map((row) => need(row, row.text));
  const fits = (tpp) => rows.every((row, i) => {
    const w = Math.round(row.place[2] / tpp);
    const h = Math.round(row.place[3] / tpp);
    if (row.wraps) return wrappedHeight(row.text, w) <= h;
    return needs[i][0] <= w && needs[i][1] <= h;
  });

  const loaded = withText(decimal, (at) => wasm._velorix_start(at));
  if (loaded < 0) throw new Error('Velorix: kein Fenster');
  let tpp = 15;
  while (tpp > 4 && !fits(tpp)) tpp -= 0.25;
  const px = (twips) => Math.round(twips / tpp);

  document.title = layout.title;
  root.style.width = `${px(layout.width)}px`;
  root.style.height = `${px(layout.height)}px`;
  root.style.setProperty('--line', `${line}px`);
  // A phone shows the whole window at first, as wide as the screen; the reader may zoom in.
  document.querySelector('meta[name=viewport]').content = `width=${px(layout.width)}`;
  root.dataset.twipsPerPixel = tpp;

  // The controls, each one element named by its row, stacked within its group so that the
  // table's first row lies on top.
  const els = [];
  const legends = [];
  const tabs = new Map(layout.focus.map((c, n) => [c, n + 1]));
  rows.forEach((row, i) => {
    const group = row.parent < 0 ? root : els[row.parent];
    let el;
    if (row.kind === 'line') {
      let svg = group.querySelector(':scope > svg');
      if (!svg) {
        svg = document.createElementNS(svgNS, 'svg');
        svg.setAttribute('aria-hidden', 'true');
        svg.style.zIndex = rows.length - i;
        group.append(svg);
      }
      el = document.createElementNS(svgNS, 'line');
      const [x1, y1, x2, y2] = row.place.map(px);
      Object.entries({ x1, y1, x2, y2 }).forEach(([k, v]) => el.setAttribute(k, v));
      el.id = row.name;
      svg.append(el);
      els.push(el);
      return;
    }
    if (row.kind === 'frame') {
      el = document.createElement('fieldset');
      const box = document.createElement('div');
      box.className = 'box';
      legends[i] = document.createElement('legend');
      el.append(box, legends[i]);
    } else if (row.kind === 'label') {
      el = document.createElement('div');
      el.className = row.wraps ? 'label wraps' : 'label';
    } else if (row.kind === 'button') {
      el = document.createElement('button');
      el.type = 'button';
    } else {
      el = document.createElement('input');
      el.type = row.kind === 'text' ? 'text' : 'radio';
      if (row.kind === 'option') el.name = 'options';
      el.autocomplete = 'off';
      el.spellcheck = false;
    }
    el.id = row.name;
    const [left, top, w, h] = row.place.map(px);
    Object.assign(el.style, { left: `${left}px`, top: `${top}px`, width: `${w}px`, height: `${h}px` });
    el.style.zIndex = rows.length - i;
    if (tabs.has(i)) el.tabIndex = tabs.get(i);
    if (row.spoken) el.setAttribute('aria-label', row.spoken);
    group.append(el);
    els.push(el);
  });

  const mirror = (i) => {
    const el = els[i];
    const flags = wasm._velorix_flags(i);
    const caption = text(i);
    switch (rows[i].kind) {
      case 'text':
        el.disabled = !(flags & 1);
        // Only a real rewrite moves the caret, and then to the end of the new text.
        if (el.value !== caption) {
          el.value = caption;
          if (el === document.activeElement) el.setSelectionRange(caption.length, caption.length);
        }
        break;
      case 'button':
        el.disabled = !(flags & 1);
        el.textContent = caption;
        break;
      case 'option':
        el.disabled = !(flags & 1);
        el.checked = (flags & 2) !== 0;
        // Of the group only the selected option is a Tab stop; the arrow keys reach the other.
        el.tabIndex = el.checked ? tabs.get(i) : -1;
        break;
      case 'label':
        if (el.textContent !== caption) el.textContent = caption;
        break;
      case 'frame':
        legends[i].textContent = caption;
        break;
      default:
    }
  };

  // What the window has to say after an event goes to the one polite live region, each time as
  // a new paragraph. A screen reader drops a text equal to the one before as a duplicate, so a
  // repeated one gets a zero-width space, which is not spoken.
  let lastSaid = '';
  const announce = () => {
    let message = wasm.UTF8ToString(wasm._velorix_announcement());
    if (!message) return;
    if (message === lastSaid) message += '\u200b';
    lastSaid = message;
    const said = document.createElement('p');
    said.textContent = message;
    spoken.replaceChildren(said);
  };

  // One report per user event, in a modal dialog; closing it puts focus and caret back and
  // then says what the event changed.
  const report = () => {
    const back = document.activeElement;
    const caret = back instanceof HTMLInputElement && back.type === 'text'
      ? [back.selectionStart, back.selectionEnd] : null;
    dialog.querySelector('.message').textContent = wasm.UTF8ToString(wasm._velorix_failure());
    // The modal dialog hides the live region, and its return would read the old text again.
    spoken.replaceChildren();
    lastSaid = '';
    dialog.addEventListener('close', () => {
      if (back instanceof HTMLElement) back.focus();
      if (caret) back.setSelectionRange(caret[0], caret[1]);
      announce();
    }, { once: true });
    dialog.showModal();
    dialog.querySelector('.ok').focus();
  };

  // Focus moves round the window's focus order to the next control that Tab reaches now, as
  // the window's behaviour rules it (enabled, and of the options only the selected one).
  const focusAfter = (el, step) => {
    const to = wasm._velorix_next_tab_stop(els.indexOf(el), step, 1);
    if (to >= 0) els[to].focus();
  };

  const deliver = (failed, pressed) => {
    // A button that disables itself sends the focus into its own panel, before it is disabled.
    const to = pressed === undefined ? -1 : wasm._velorix_focus();
    if (to >= 0 && [els[pressed], document.body].includes(document.activeElement)) {
      const field = els[to];
      field.focus();
      field.setSelectionRange(field.value.length, field.value.length);
    }
    const focused = document.activeElement;
    for (let i = 0; i < rows.length; i += 1) {
      if (wasm._velorix_changed(i)) mirror(i);
    }
    // A control that disables itself hands the focus on, as on the desktop.
    if (focused?.disabled) focusAfter(focused, 1);
    if (failed > 0) report();
    else announce();
  };

  // A press on a label, a group, a disabled control or the empty page leaves the focus where it
  // is, as on the desktop; only an enabled field, button or option takes it.
  root.addEventListener('mousedown', (event) => {
    const target = event.target.closest('input, button');
    if (!target || target.disabled) event.preventDefault();
  });
  root.addEventListener('focusout', (event) => {
    const left = event.target;
    setTimeout(() => {
      if (document.activeElement === document.body && !dialog.open && !left.disabled) left.focus();
    });
  });

  // Tab and Shift+Tab go round the window's focus order and never leave it.
  root.addEventListener('keydown', (event) => {
    if (event.key !== 'Tab' || event.ctrlKey || event.altKey || event.metaKey) return;
    event.preventDefault();
    focusAfter(event.target, event.shiftKey ? -1 : 1);
  });

  rows.forEach((row, i) => {
    const el = els[i];
    if (row.kind === 'text') {
      // The input event is the user's own change: the program's writes raise none.
      el.addEventListener('input', () => deliver(edit(i, el.value)));
    } else if (row.kind === 'button' || row.kind === 'option') {
      el.addEventListener('click', () => deliver(wasm._velorix_click(i), i));
    }
  });

  els[layout.focus[0]].focus();
  deliver(loaded);
  document.documentElement.dataset.state = 'ready';
  performance.mark('velorix-ready');

  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
})();
