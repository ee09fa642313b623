// SPDX-License-Identifier: GPL-3.0-or-later
// The browser view of the window: builds the page from the window's layout table, which the
// build wrote into the page, forwards the user's edits and clicks to the compiled window
// behaviour and mirrors what changed. No rule lives here; every number is read, computed and
// written by the C++ side.
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
  // The program compiled by the page's own script before this one, instantiated with what the
  // glue needs. A failed compile or a refused instantiation ends the start-up with its reason.
  // A program changed since the page was built is refused by the page's own policy: its script
  // never runs.
  const early = self.velorixEarly;
  if (!early?.module) throw new Halt('load');
  let refuse;
  const refused = new Promise((_, reject) => { refuse = reject; });
  await early.module.catch(() => { throw new Halt('load'); });
  if (typeof createVelorix !== 'function') throw new Halt('load');
  const loading = createVelorix({
    instantiateWasm(imports, receive) {
      early.module.then((module) => receive(new WebAssembly.Instance(module, imports), module))
        .catch(() => refuse(new Halt('start')));
      return {};
    },
    onAbort: () => refuse(new Halt('start')),
  });
  // The decimal separator of the common languages from a table: a page's first Intl number
  // format costs more than the rest of its start. Any other language asks Intl.
  const language = navigator.language;
  const decimal = ({ de: ',', 'de-de': ',', 'de-at': ',', en: '.', 'en-us': '.', 'en-gb': '.',
    fr: ',', 'fr-fr': ',', es: ',', 'es-es': ',', it: ',', 'it-it': ',', nl: ',', 'nl-nl': ',',
    pl: ',', 'pl-pl': ',', 'pt-br': ',', 'pt-pt': ',', ru: ',', 'ru-ru': ',', sv: ',',
    'sv-se': ',', ja: '.', 'ja-jp': '.', 'zh-cn': '.' })[language.toLowerCase()]
    ?? new Intl.NumberFormat(language).formatToParts(1.5)
      .find((part) => part.type === 'decimal')?.value ?? '.';
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
  // The window's layout table, written into the page when it was built.
  const { layout } = early;
  const rows = layout.controls;
  const dialog = document.querySelector('.report');
  const spoken = document.querySelector('.spoken');
  const svgNS = 'http://www.w3.org/2000/svg';

  // A phone offers its decimal keypad, whose Enter key goes on to the next field.
  function numberKeyboard(el) {
    el.inputMode = 'decimal';
    el.enterKeyHint = 'next';
  }

  // One scale for the whole window, chosen by the window's core from what every caption needs
  // in the default sans-serif font, each measured once.
  const line = Math.ceil(fontSize * 1.2);
  const width = (s) => Math.ceil(pen.measureText(s).width);
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
  // A wrapping caption breaks at its blanks: the width of every run of its words, as one line.
  const runs = (caption) => {
    const words = caption.split(' ');
    return words.flatMap((_, first) => words.map((__, last) => (
      last < first ? 0 : width(words.slice(first, last + 1).join(' ')))));
  };
  const measured = rows.flatMap((row) => need(row, row.text))
    .concat(rows.filter((row) => row.wraps).flatMap((row) => runs(row.text)));

  const loaded = withText(decimal, (at) => wasm._velorix_start(at));
  if (loaded < 0) throw new Halt('start');
  const tpp = withText(measured.join(' '), (at) => wasm._velorix_twips_per_pixel(at));
  if (!(tpp > 0)) throw new Halt('start');
  const px = (twips) => Math.round(twips / tpp);

  document.title = layout.title;
  root.style.width = `${px(layout.width)}px`;
  root.style.height = `${px(layout.height)}px`;
  root.style.setProperty('--line', `${line}px`);
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
    if (row.kind === 'text') numberKeyboard(el);
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
  // and a key typed in between would land at the old caret place. Then it says what the event
  // changed.
  let putBack = null;
  const closeReport = () => {
    if (dialog.open) dialog.close();
    const restore = putBack;
    putBack = null;
    if (!restore) return;
    restore();
    announce();
  };
  const report = () => {
    putBack = remember();
    dialog.querySelector('.message').textContent = wasm.UTF8ToString(wasm._velorix_failure());
    // The modal dialog hides the live region, and its return would read the old text again.
    spoken.replaceChildren();
    lastSaid = '';
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

  // Hands the focus on to the next control Tab reaches, round the window.
  const focusAfter = (el, step = 1) => {
    const to = wasm._velorix_next_tab_stop(els.indexOf(el), step, 1);
    if (to >= 0) els[to].focus();
  };

  // The browser's own Tab reaches only the first and the last control of the focus order,
  // which are also the first and last in the page: from outside the window, Tab enters at its
  // first control and Shift+Tab at its last, and past them it goes on out of the window. Which
  // controls are Tab stops now is the window behaviour's to say; it names the two ends.
  const markEnds = () => {
    const first = wasm._velorix_next_tab_stop(-1, 1, 0);
    const last = wasm._velorix_next_tab_stop(-1, -1, 0);
    for (const i of layout.focus) {
      const tabIndex = i === first || i === last ? 0 : -1;
      if (els[i].tabIndex !== tabIndex) els[i].tabIndex = tabIndex;
    }
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
    markEnds();
    // A control that disables itself hands the focus on, as on the desktop.
    if (focused?.disabled) focusAfter(focused);
    if (failed < 0) throw new Halt('inner');
    if (failed > 0) report();
    else announce();
  };

  // Tab and Shift+Tab follow the window's focus order, which crosses the groups; past either end
  // they leave the window as in any page. WebKitGTK names Shift+Tab's key "Unidentified".
  root.addEventListener('keydown', (event) => {
    const tab = event.key === 'Tab' || (event.key === 'Unidentified' && event.code === 'Tab');
    if (!tab || event.ctrlKey || event.altKey || event.metaKey) return;
    const at = els.indexOf(event.target);
    if (!layout.focus.includes(at)) return;
    const to = wasm._velorix_next_tab_stop(at, event.shiftKey ? -1 : 1, 0);
    if (to >= 0) {
      event.preventDefault();
      els[to].focus();
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
      el.addEventListener('click', guarded(() => deliver(wasm._velorix_click(i), i)));
    }
  });

  // On a screen too narrow for the window at this scale (a phone, a desktop zoomed in) the same
  // controls stand in one column of their groups, each group's controls in reading order and
  // wrapping as the width needs. Where the window fits, it stays exactly as drawn above.
  function narrowLayout() {
    // The groups from top to bottom; "Kurve", drawn over "Aktion", goes inside it where its box
    // lies. An arrow starts the line where the lines lead from the modifier on to the successes.
    const groupOrder = ['Frame1', 'Frame2', 'Frame5', 'Frame8', 'Frame3'];
    const arrowBefore = ['txtErfolgeBrems', 'txtErfolgeKurve'];
    const named = (name) => rows.findIndex((row) => row.name === name);
    const inside = (a, b) => a[0] >= b[0] && a[1] >= b[1]
      && a[0] + a[2] <= b[0] + b[2] && a[1] + a[3] <= b[1] + b[3];
    const guest = new Map(); // top-level group -> the top-level group it goes into
    rows.forEach((row, i) => {
      if (row.kind !== 'frame' || row.parent >= 0) return;
      const host = rows.findIndex((other, j) => j !== i && other.kind === 'frame'
        && other.parent < 0 && inside(row.place, other.place));
      if (host >= 0) guest.set(i, host);
    });

    // Reading order: split into columns at wide gaps (600 twips, some 40 px), then into bands at
    // any gap, and so on; what cannot be split is one line, left to right.
    const split = (items, axis, gap) => {
      const parts = [];
      let end = -Infinity;
      for (const item of [...items].sort((a, b) => a.box[axis] - b.box[axis])) {
        if (!parts.length || item.box[axis] - end >= gap) parts.push([]);
        parts.at(-1).push(item);
        end = Math.max(end, item.box[axis] + item.box[axis + 2]);
      }
      return parts;
    };
    const linesOf = (items) => {
      for (const [axis, gap] of [[0, 600], [1, 1]]) {
        const parts = split(items, axis, gap);
        if (parts.length > 1) return parts.flatMap(linesOf);
      }
      return [[...items].sort((a, b) => a.box[0] - b.box[0])];
    };
    const order = new Map();
    const keysAt = new Map();
    const decoration = (group, className, text, at) => {
      const el = document.createElement('span');
      el.className = className;
      el.setAttribute('aria-hidden', 'true');
      el.textContent = text;
      el.style.order = at;
      group.append(el);
    };
    rows.forEach((row, g) => {
      if (row.kind !== 'frame') return;
      const items = [];
      rows.forEach((child, i) => {
        if (child.kind !== 'line' && child.parent === g) items.push({ i, box: child.place });
      });
      guest.forEach((host, i) => {
        const [x, y, w, h] = rows[i].place;
        if (host === g) items.push({ i, box: [x - row.place[0], y - row.place[1], w, h] });
      });
      const lines = linesOf(items);
      // A caption the table sets below its field stands above it.
      for (let n = 1; n < lines.length; n += 1) {
        const captions = (line) => line.every((item) => rows[item.i].kind === 'label');
        if (captions(lines[n]) && !lines[n - 1].some((item) => rows[item.i].kind === 'label')) {
          [lines[n - 1], lines[n]] = [lines[n], lines[n - 1]];
        }
      }
      let at = 0;
      lines.forEach((line, n) => {
        if (n > 0) decoration(els[g], 'break', '', (at += 10));
        line.forEach((item, k) => {
          at += 10;
          // The keys follow a field's unit, if it has one.
          if (rows[item.i].kind === 'text') {
            keysAt.set(item.i, at + (rows[line[k + 1]?.i]?.kind === 'label' ? 11 : 1));
          }
          if (arrowBefore.includes(rows[item.i].name)) {
            decoration(els[g], 'break', '', at - 2);
            decoration(els[g], 'arrow', '→', at - 1);
          }
          order.set(item.i, at);
        });
      });
    });
    groupOrder.forEach((name, n) => order.set(named(name), (n + 1) * 10));

    const wide = els.map((el) => el.style.cssText);
    const keys = signAndSeparatorKeys(keysAt);
    const arrange = () => {
      const narrow = media.matches;
      if (narrow === root.classList.contains('narrow')) return;
      const putBack = remember();
      root.classList.toggle('narrow', narrow);
      document.documentElement.classList.toggle('narrow', narrow);
      root.style.width = narrow ? '' : `${px(layout.width)}px`;
      root.style.height = narrow ? '' : `${px(layout.height)}px`;
      els.forEach((el, i) => {
        if (rows[i].kind === 'line') return;
        el.style.cssText = wide[i];
        if (!narrow) return;
        el.style.left = el.style.top = el.style.height = el.style.zIndex = '';
        // A field keeps its width in the window, as wide as a finger at least.
        el.style.width = rows[i].kind === 'text' ? `${Math.max(44, px(rows[i].place[2]))}px` : '';
        el.style.order = order.get(i) ?? '';
      });
      // A guest group stands in its host's children where it is shown, for a screen reader too.
      guest.forEach((host, i) => {
        const next = els.find((el, j) => rows[j].parent === host && order.get(j) > order.get(i));
        if (narrow) els[host].insertBefore(els[i], next ?? null);
        else root.insertBefore(els[i], els[host]);
      });
      // Moving a group in the page may take the focus away.
      putBack();
      keys.follow(document.activeElement);
    };
    media.addEventListener('change', arrange);
    arrange();
  }

  // Enter on a screen keypad, shown as "next", goes on in the focus order as Tab does.
  root.addEventListener('keydown', (event) => {
    const el = event.target;
    if (event.key !== 'Enter' || !(el instanceof HTMLInputElement) || el.type !== 'text') return;
    if (!matchMedia('(any-pointer: coarse)').matches) return;
    event.preventDefault();
    focusAfter(el, 1);
  });

  // A phone's decimal keypad may lack the minus sign or offer another decimal separator than
  // the page's. Beside the field being typed in, a key toggles its sign and one types the
  // separator; the keys belong to the field, take no focus and are no controls of the window.
  function signAndSeparatorKeys(keysAt) {
    const keys = document.createElement('span');
    keys.className = 'keys';
    keys.setAttribute('aria-hidden', 'true');
    keys.hidden = true;
    let field = null;
    const key = (caption, type) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.tabIndex = -1;
      button.textContent = caption;
      button.addEventListener('mousedown', (event) => event.preventDefault());
      button.addEventListener('click', () => {
        if (!field || field.disabled) return;
        // Where a browser took the focus all the same, the field gets it back, caret and all.
        if (document.activeElement !== field) field.focus();
        type(field);
        field.dispatchEvent(new Event('input', { bubbles: true }));
      });
      keys.append(button);
    };
    key('±', (el) => {
      const [from, to] = [el.selectionStart, el.selectionEnd];
      const shift = el.value.startsWith('-') ? -1 : 1;
      el.value = shift < 0 ? el.value.slice(1) : `-${el.value}`;
      el.setSelectionRange(Math.max(0, from + shift), Math.max(0, to + shift));
    });
    key(decimal, (el) => el.setRangeText(decimal, el.selectionStart, el.selectionEnd, 'end'));
    keys.follow = (el) => {
      const typed = el instanceof HTMLInputElement && el.type === 'text'
        && root.classList.contains('narrow');
      keys.hidden = !root.classList.contains('narrow');
      // Hidden, not taken away: the controls after them must not move under the finger.
      keys.style.visibility = typed ? '' : 'hidden';
      if (!typed) return;
      field = el;
      keys.style.order = keysAt.get(els.indexOf(el));
      el.after(keys);
    };
    root.addEventListener('focusin', (event) => {
      if (!keys.contains(event.target)) keys.follow(event.target);
    });
    return keys;
  }

  // Without scrolling it into view, which would lay out the page before it is ready.
  els[layout.focus[0]].focus({ preventScroll: true });
  deliver(loaded);
  document.documentElement.dataset.state = 'ready';
  performance.mark('velorix-ready');

  // Whether the screen is narrower than the window is known only from a laid-out page. Asked
  // after the mark, but still before the first frame is drawn: a phone never shows the wide
  // window. The narrow layout is worked out only once the screen is narrow.
  const media = matchMedia(`(max-width: ${px(layout.width) - 0.5}px)`);
  if (media.matches) narrowLayout();
  else media.addEventListener('change', guarded(narrowLayout), { once: true });

  keepOffline();
})().catch((error) => halt(error instanceof Halt ? error.kind : 'start'));
