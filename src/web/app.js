// SPDX-License-Identifier: GPL-3.0-or-later
// The browser view of the window: attaches to the window the page was built with, forwards the
// user's edits and clicks to the compiled window behaviour and mirrors what changed. No rule
// lives here; every number is read, computed and written by the C++ side.
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
  // The window stays readable, for a screen reader too, but takes no input.
  const root = document.querySelector('.window');
  document.documentElement.inert = false;
  root.querySelectorAll('input, button').forEach((el) => { el.disabled = true; });
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
  performance.mark('velorix-compiled');
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

  const wasm = await Promise.race([loading, refused]);
  performance.mark('velorix-instantiated');
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

  const loaded = withText(decimal, (at) => wasm._velorix_start(at));
  if (loaded < 0) throw new Halt('start');

  // The controls, each the element the page was built with for its row.
  const els = rows.map((row) => document.getElementById(row.name));
  if (els.some((el) => !el)) throw new Halt('start');
  const legends = els.map((el, i) => (rows[i].kind === 'frame' ? el.querySelector('legend') : null));

  // Writes what differs from the page as it stands, and nothing else: the window the page was
  // built with is already the window after Load.
  const mirror = (i) => {
    const el = els[i];
    const flags = wasm._velorix_flags(i);
    const caption = text(i);
    const kind = rows[i].kind;
    if (['text', 'button', 'option'].includes(kind) && el.disabled !== !(flags & 1)) {
      el.disabled = !(flags & 1);
    }
    switch (kind) {
      case 'text':
        // Only a real rewrite moves the caret, and then to the end of the new text.
        if (el.value !== caption) {
          el.value = caption;
          if (el === document.activeElement) el.setSelectionRange(caption.length, caption.length);
        }
        break;
      case 'option':
        // Of the group only the selected option is a Tab stop; the arrow keys reach the other.
        if (el.checked !== ((flags & 2) !== 0)) el.checked = (flags & 2) !== 0;
        break;
      case 'button':
      case 'label':
        if (el.textContent !== caption) el.textContent = caption;
        break;
      case 'frame':
        if (legends[i].textContent !== caption) legends[i].textContent = caption;
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
  function signAndSeparatorKeys() {
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
      const typed = el instanceof HTMLInputElement && el.type === 'text' && narrow.matches;
      keys.hidden = !narrow.matches;
      // Hidden, not taken away: the controls after them must not move under the finger.
      keys.style.visibility = typed ? '' : 'hidden';
      if (!typed) return;
      field = el;
      // Where the build placed them in the field's reading order: after its unit, if it has one.
      keys.style.order = el.dataset.keys;
      el.after(keys);
    };
    root.addEventListener('focusin', (event) => {
      if (!keys.contains(event.target)) keys.follow(event.target);
    });
    return keys;
  }

  // On a screen too narrow for the window (a phone, a desktop zoomed in) the styles stand the
  // controls in one column; the keys beside the field being typed in come and go with it.
  const narrow = matchMedia(early.narrow);
  const keys = signAndSeparatorKeys();
  narrow.addEventListener('change', guarded(() => keys.follow(document.activeElement)));

  // The window takes input from now on, and the focus is in its first field, not scrolled into
  // view, which would lay out the page once more before it is ready.
  document.documentElement.inert = false;
  els[layout.focus[0]].focus({ preventScroll: true });
  deliver(loaded);
  document.documentElement.dataset.state = 'ready';
  performance.mark('velorix-ready');

  keepOffline();
})().catch((error) => halt(error instanceof Halt ? error.kind : 'start'));
