// SPDX-License-Identifier: GPL-3.0-or-later
// The browser view of the window: builds the page from the layout table that the compiled
// window behaviour hands over, forwards the user's edits and clicks to it and mirrors what
// changed. No rule lives here; every number is read, computed and written by the C++ side.
'use strict';

// What went wrong when the page cannot go on, said in the page itself instead of a blank one:
// the window stops taking input, since a module that failed once is in no state to trust.
const halted = {
  load: 'Velorix konnte nicht geladen werden: die Programmdatei fehlt oder ist beschädigt.',
  start: 'Velorix konnte nicht starten.',
  memory: 'Velorix hat keinen Speicher mehr.',
  inner: 'In Velorix ist ein innerer Fehler aufgetreten.',
};
class Halt extends Error {
  constructor(kind) {
    super(halted[kind]);
    this.kind = kind;
  }
}
function halt(kind) {
  if (document.querySelector('.halt')) return;
  const note = document.createElement('p');
  note.className = 'halt';
  note.setAttribute('role', 'alert');
  note.textContent = `${halted[kind] ?? halted.inner} Bitte die Seite neu laden.`;
  const root = document.querySelector('.window');
  root.inert = true;
  root.before(note);
  document.querySelector('dialog[open]')?.close();
  document.documentElement.dataset.state = 'failed';
}
// Runs a handler of the page; a failure inside it ends the page, never silently.
const guarded = (handler) => (...args) => {
  try {
    handler(...args);
  } catch (error) {
    halt(error instanceof Halt ? error.kind : 'inner');
  }
};

// The service worker keeps the folder for offline use. A new build arrives through a new one,
// which takes over as soon as it has every file: the running page says so and offers the
// reload, for the user to choose when not in the middle of typing.
function keepOffline() {
  if (!('serviceWorker' in navigator) || location.protocol === 'file:') return;
  const early = self.velorixEarly;
  // A new service worker asks for the folder's files: they come from the browser's cache where
  // this page has them, so that a first visit downloads each file once.
  navigator.serviceWorker.onmessage = async (event) => {
    const files = event.data?.velorixFiles;
    if (!Array.isArray(files) || !event.ports[0]) return;
    const copies = await Promise.all(files.map((file) => fetch(file, { cache: 'force-cache' })
      .then(async (response) => (response.ok ? { body: await response.arrayBuffer(),
        type: response.headers.get('Content-Type') ?? '' } : null))
      .catch(() => null)));
    event.ports[0].postMessage(copies, copies.filter(Boolean).map((copy) => copy.body));
  };
  const offer = () => {
    if (!early.served || document.querySelector('.update')) return;
    const note = document.createElement('p');
    note.className = 'update';
    note.setAttribute('role', 'status');
    const reload = document.createElement('button');
    reload.type = 'button';
    reload.textContent = 'Neu laden';
    reload.addEventListener('click', () => location.reload());
    note.append('Eine neue Version von Velorix ist da. ', reload);
    document.body.append(note);
  };
  if (early.replaced) offer();
  navigator.serviceWorker.addEventListener('controllerchange', offer);
  // Asked at once, since some browsers look for a new service worker only a while after the
  // page has loaded.
  navigator.serviceWorker.register('sw.js')
    .then((registration) => early.served && registration.update())
    .catch(() => {});
}

(async () => {
  // The module compiled by the page's first script, instantiated with what the glue needs. A
  // failed fetch or compile, or a refused instantiation, ends the start-up with its reason.
  const early = self.velorixEarly;
  let refuse;
  const refused = new Promise((_, reject) => { refuse = reject; });
  await early.module.catch(() => { throw new Halt('load'); });
  if (typeof createVelorix !== 'function') throw new Halt('load');
  const loading = createVelorix({
    instantiateWasm(imports, receive) {
      early.module.then((module) => WebAssembly.instantiate(module, imports)
        .then((instance) => receive(instance, module)))
        .catch(() => refuse(new Halt('start')));
      return {};
    },
    onAbort: () => refuse(new Halt('start')),
  });
  const { decimal } = early;
  const root = document.querySelector('.window');
  const fontSize = parseFloat(getComputedStyle(root).fontSize);
  const pen = document.createElement('canvas').getContext('2d');
  pen.font = `${fontSize}px sans-serif`;

  const wasm = await Promise.race([loading, refused]);
  const text = (i) => wasm.UTF8ToString(wasm._velorix_text(i));
  // A text goes in on the heap, not the small stack, however long a pasted text is.
  const withText = (value, call) => {
    const size = wasm.lengthBytesUTF8(value) + 1;
    const at = wasm._malloc(size);
    if (!at) throw new Halt('memory');
    wasm.stringToUTF8(value, at, size);
    const result = call(at);
    wasm._free(at);
    return result;
  };
  const edit = (i, value) => withText(value, (at) => wasm._velorix_edit(i, at));
  let layout;
  try {
    layout = JSON.parse(wasm.UTF8ToString(wasm._velorix_layout()));
  } catch {
    throw new Halt('memory');
  }
  const rows = layout.controls;
  const dialog = document.querySelector('.report');
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
  if (loaded < 0) throw new Halt('start');
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
      // Only result labels ever change their caption, and a screen reader reads each change.
      el.setAttribute('aria-live', 'polite');
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
        // Of the group only the selected option is a Tab stop; the arrow keys reach the other.
        el.checked = (flags & 2) !== 0;
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

  // Where focus and caret stood, to be put back when the user is done with a report or a press
  // on a label.
  const remember = () => {
    const el = document.activeElement;
    const caret = el instanceof HTMLInputElement && el.type === 'text'
      ? [el.selectionStart, el.selectionEnd] : null;
    return () => {
      if (!(el instanceof HTMLElement) || !el.isConnected || el.disabled) return;
      el.focus();
      if (caret) el.setSelectionRange(caret[0], caret[1]);
    };
  };

  // One report per user event, in a modal dialog. Closing it puts focus and caret back at once,
  // inside the very click or key that closes it: the dialog's close event comes a moment later,
  // and a key typed in between would land at the old caret place.
  let putBack = null;
  const closeReport = () => {
    if (dialog.open) dialog.close();
    const restore = putBack;
    putBack = null;
    restore?.();
  };
  const report = () => {
    putBack = remember();
    dialog.querySelector('.message').textContent = wasm.UTF8ToString(wasm._velorix_failure());
    dialog.showModal();
    dialog.querySelector('.ok').focus();
  };
  dialog.querySelector('.ok').addEventListener('click', (event) => {
    event.preventDefault();
    closeReport();
  });
  dialog.addEventListener('keydown', (event) => {
    if (event.key !== 'Escape') return;
    event.preventDefault();
    closeReport();
  });
  dialog.addEventListener('cancel', (event) => {
    event.preventDefault();
    closeReport();
  });
  // A close event can come after the next report has opened: that one stays.
  dialog.addEventListener('close', () => { if (!dialog.open) closeReport(); });

  // The controls Tab reaches now, in the window's focus order: enabled, and of the options only
  // the selected one.
  const tabStops = () => layout.focus.map((i) => els[i])
    .filter((el) => !el.disabled && (el.type !== 'radio' || el.checked));

  // Hands the focus on to the next control Tab reaches, round the window.
  const focusAfter = (el) => {
    const place = (c) => layout.focus.indexOf(els.indexOf(c));
    const order = tabStops();
    (order.find((c) => place(c) > place(el)) ?? order[0])?.focus();
  };

  // The browser's own Tab reaches only the first and the last control of the focus order,
  // which are also the first and last in the page: from outside the window, Tab enters at its
  // first control and Shift+Tab at its last, and past them it goes on out of the window.
  const markEnds = () => {
    const order = tabStops();
    const ends = [order[0], order[order.length - 1]];
    for (const i of layout.focus) {
      const tabIndex = ends.includes(els[i]) ? 0 : -1;
      if (els[i].tabIndex !== tabIndex) els[i].tabIndex = tabIndex;
    }
  };

  const deliver = (failed) => {
    const focused = document.activeElement;
    for (let i = 0; i < rows.length; i += 1) {
      if (wasm._velorix_changed(i)) mirror(i);
    }
    markEnds();
    // A control that disables itself hands the focus on, as on the desktop.
    if (focused?.disabled) focusAfter(focused);
    if (failed < 0) throw new Halt('inner');
    if (failed > 0) report();
  };

  // Tab and Shift+Tab follow the window's focus order, which crosses the groups; past either end
  // they leave the window as in any page. WebKitGTK names Shift+Tab's key "Unidentified".
  root.addEventListener('keydown', (event) => {
    const tab = event.key === 'Tab' || (event.key === 'Unidentified' && event.code === 'Tab');
    if (!tab || event.ctrlKey || event.altKey || event.metaKey) return;
    const order = tabStops();
    const at = order.indexOf(event.target);
    if (at < 0) return;
    const next = order[at + (event.shiftKey ? -1 : 1)];
    if (next) {
      event.preventDefault();
      next.focus();
    }
  });

  // A press on a caption, a group, a disabled control or the empty page leaves the focus where
  // it is, as on the desktop; only an enabled field, button or option takes it. A label's text
  // may be selected and copied: the press goes ahead there, and only if nothing got selected
  // does the focus go back.
  let afterPress = null;
  root.addEventListener('mousedown', (event) => {
    const control = event.target.closest('input, button');
    if (control && !control.disabled) return;
    if (event.button === 0 && event.target.closest('.label')) {
      afterPress = afterPress ?? remember();
      return;
    }
    event.preventDefault();
  });
  document.addEventListener('mouseup', () => {
    const restore = afterPress;
    afterPress = null;
    if (restore && getSelection().isCollapsed) restore();
  });

  rows.forEach((row, i) => {
    const el = els[i];
    if (row.kind === 'text') {
      // The input event is the user's own change: the program's writes raise none.
      el.addEventListener('input', guarded(() => deliver(edit(i, el.value))));
    } else if (row.kind === 'button' || row.kind === 'option') {
      el.addEventListener('click', guarded(() => deliver(wasm._velorix_click(i))));
    }
  });

  els[layout.focus[0]].focus();
  deliver(loaded);
  document.documentElement.dataset.state = 'ready';
  performance.mark('velorix-ready');

  keepOffline();
})().catch((error) => halt(error instanceof Halt ? error.kind : 'start'));
