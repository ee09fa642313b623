// SPDX-License-Identifier: GPL-3.0-or-later
// The calls into the window's behaviour, compiled to WebAssembly: texts in and out as UTF-8.

// The window's behaviour behind the program's plain C functions (src/web/bridge.cpp).
function connect(wasm) {
  const string = (at) => wasm.UTF8ToString(at);
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
  return {
    // Each event gives 1 when it failed (its report is failure()), 0 when it ran through and
    // -1 for a fault of the page.
    start: (decimal) => withText(decimal, (at) => wasm._velorix_start(at)),
    edit: (i, value) => withText(value, (at) => wasm._velorix_edit(i, at)),
    click: (i) => wasm._velorix_click(i),
    failure: () => string(wasm._velorix_failure()),
    announcement: () => string(wasm._velorix_announcement()),
    // Whether a control changed since it was last asked; its text; bit 0 of its flags enabled,
    // bit 1 selected.
    changed: (i) => wasm._velorix_changed(i) !== 0,
    text: (i) => string(wasm._velorix_text(i)),
    flags: (i) => wasm._velorix_flags(i),
    // Where the focus goes after a press that disabled its button (-1: it stays), and which
    // control Tab (1) or Shift+Tab (-1) reaches from control i (-1: from outside).
    focus: () => wasm._velorix_focus(),
    nextTabStop: (i, step, round) => wasm._velorix_next_tab_stop(i, step, round ? 1 : 0),
  };
}

// The decimal separator of the common languages from a table: a page's first Intl number
// format costs more than the rest of its start. Any other language asks Intl.
function decimalSeparator(language) {
  return ({ de: ',', 'de-de': ',', 'de-at': ',', en: '.', 'en-us': '.', 'en-gb': '.',
    fr: ',', 'fr-fr': ',', es: ',', 'es-es': ',', it: ',', 'it-it': ',', nl: ',', 'nl-nl': ',',
    pl: ',', 'pl-pl': ',', 'pt-br': ',', 'pt-pt': ',', ru: ',', 'ru-ru': ',', sv: ',',
    'sv-se': ',', ja: '.', 'ja-jp': '.', 'zh-cn': '.' })[language.toLowerCase()]
    ?? new Intl.NumberFormat(language).formatToParts(1.5)
      .find((part) => part.type === 'decimal')?.value ?? '.';
}
