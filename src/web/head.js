// SPDX-License-Identifier: GPL-3.0-or-later
// What the page does before its window is drawn. The build has put into self.velorixEarly the
// window's layout table (layout), the scale and line height the window's HTML is built with
// (reference), and in base64 the scale module (scale) and the program (program).
{
  const early = self.velorixEarly;
  const decode = (text) => Uint8Array.fromBase64?.(text)
    ?? Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
  // The program compiles beside the page from here on, while the window is parsed and drawn.
  early.module = (async () => WebAssembly.compile(decode(early.program)))();
  delete early.program;
  // The page takes no input until the program has attached to its window: set before the window
  // is even parsed, so no frame shows a field that takes a key without its handler. A page
  // without scripts stays as it is, for a screen reader to read.
  document.documentElement.inert = true;
  // Whether a service worker served this page, and whether a newer one took over since: that
  // can happen before the page's own script runs.
  early.served = Boolean(navigator.serviceWorker?.controller);
  early.replaced = false;
  navigator.serviceWorker?.addEventListener('controllerchange', () => {
    early.replaced = true;
  });

  // One scale for the whole window, chosen by the scale module from what every caption needs in
  // this browser's default sans-serif font, each measured once. Where that is not the scale the
  // window was built with, the styles get this one before the first frame, and the narrow
  // layout its width: the window is drawn once, as it stays.
  early.narrow = early.reference.narrow;
  try {
    const root = document.documentElement;
    const fontSize = parseFloat(getComputedStyle(root).fontSize);
    const pen = document.createElement('canvas').getContext('2d');
    pen.font = `${fontSize}px sans-serif`;
    const line = Math.ceil(fontSize * 1.2);
    const width = (s) => Math.ceil(pen.measureText(s).width);
    const need = (row) => {
      switch (row.kind) {
        case 'label': return [width(row.text), line];
        case 'text': return [width(row.text) + 6, line + 2];
        case 'button': return [width(row.text) + 12, line + 2];
        case 'frame': return [width(row.text) + 12, line];
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
    const rows = early.layout.controls;
    const measured = rows.flatMap(need)
      .concat(rows.filter((row) => row.wraps).flatMap((row) => runs(row.text)));
    const scale = new WebAssembly.Instance(new WebAssembly.Module(decode(early.scale))).exports;
    scale._initialize();
    new Int32Array(scale.memory.buffer, scale.velorix_scale_input(), measured.length).set(measured);
    const tpp = scale.velorix_scale(measured.length);
    if (tpp > 0 && (tpp !== early.reference.twipsPerPixel || line !== early.reference.line)) {
      root.style.setProperty('--tpp', tpp);
      root.style.setProperty('--line', `${line}px`);
      early.narrow = `(max-width: ${scale.velorix_window_width(tpp) - 0.5}px)`;
      for (const rule of document.styleSheets[0].cssRules) {
        if (rule.media?.mediaText.includes('max-width')) rule.media.mediaText = early.narrow;
      }
    }
    if (tpp > 0) root.dataset.twipsPerPixel = tpp;
  } catch {
    // The window keeps the scale it was built with.
  }
  performance.mark('velorix-head');
}
