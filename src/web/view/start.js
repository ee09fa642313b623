// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the program compiled by the page's earlier script, instantiated with what its glue
// needs, the Load handler run, and the drawn window handed to it. Runs last.

(async () => {
  // A failed compile or a refused instantiation ends the start-up with its reason. A program
  // changed since the page was built is refused by the page's own policy: its script never runs.
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
  const decimal = decimalSeparator(navigator.language);
  const core = connect(await Promise.race([loading, refused]));
  performance.mark('velorix-instantiated');

  const loaded = core.start(decimal);
  if (loaded < 0) throw new Halt('start');
  // The controls, each the element the page was built with for its row of the layout table.
  const { layout } = early;
  const els = layout.controls.map((row) => document.getElementById(row.name));
  if (els.some((el) => !el)) throw new Halt('start');
  const { deliver, focusAfter } = attachControls(core, layout, els, reporter(core));
  // On a screen too narrow for the window (a phone, a desktop zoomed in) the styles stand the
  // controls in one column; the page's first script knows from which width on.
  phoneKeys(els, focusAfter, decimal, matchMedia(early.narrow));

  // The window takes input from now on, and the focus is where the window opens, not scrolled
  // into view, which would lay out the page once more before it is ready. The field's text is
  // selected as the behaviour says, which each engine would otherwise choose for itself.
  document.documentElement.inert = false;
  const [opening, start, end] = layout.opening;
  els[opening].focus({ preventScroll: true });
  els[opening].setSelectionRange(start, end);
  deliver(loaded);
  document.documentElement.dataset.state = 'ready';
  performance.mark('velorix-ready');

  // The service worker once the window is on the screen: its start would hold up the first
  // frame. A page opened in the background, which draws no frames, starts it at once.
  if (document.visibilityState === 'hidden') keepOffline(early);
  else requestAnimationFrame(() => setTimeout(() => keepOffline(early)));
})().catch((error) => halt(error instanceof Halt ? error.kind : 'start'));
