// SPDX-License-Identifier: GPL-3.0-or-later
// The controls: each event handed to the window's behaviour, what it changed written back into
// the page, and the focus moved as the behaviour says, by Tab, by a press and after a button.

// Wires the drawn controls (els, one per row of the layout table) to the behaviour. deliver()
// mirrors what an event changed and reports or announces it; focusAfter() hands the focus on.
function attachControls(core, layout, els, { announce, report }) {
  const root = document.querySelector('.window');
  const rows = layout.controls;
  const legends = els.map((el, i) => (rows[i].kind === 'frame' ? el.querySelector('legend') : null));

  // Writes what differs from the page as it stands, and nothing else: the window the page was
  // built with is already the window after Load.
  const mirror = (i) => {
    const el = els[i];
    const flags = core.flags(i);
    const caption = core.text(i);
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

  // Hands the focus on to the next control Tab reaches, round the window.
  const focusAfter = (el, step = 1) => {
    const to = core.nextTabStop(els.indexOf(el), step, true);
    if (to >= 0) els[to].focus();
  };

  // The browser's own Tab reaches only the first and the last control of the focus order,
  // which are also the first and last in the page: from outside the window, Tab enters at its
  // first control and Shift+Tab at its last, and past them it goes on out of the window. Which
  // controls are Tab stops now is the window behaviour's to say; it names the two ends.
  const markEnds = () => {
    const first = core.nextTabStop(-1, 1, false);
    const last = core.nextTabStop(-1, -1, false);
    for (const i of layout.focus) {
      const tabIndex = i === first || i === last ? 0 : -1;
      if (els[i].tabIndex !== tabIndex) els[i].tabIndex = tabIndex;
    }
  };

  const deliver = (failed, pressed) => {
    // A button that disables itself sends the focus into its own panel, before it is disabled.
    const to = pressed === undefined ? -1 : core.focus();
    if (to >= 0 && [els[pressed], document.body].includes(document.activeElement)) {
      const field = els[to];
      field.focus();
      field.setSelectionRange(field.value.length, field.value.length);
    }
    const focused = document.activeElement;
    for (let i = 0; i < rows.length; i += 1) {
      if (core.changed(i)) mirror(i);
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
    const to = core.nextTabStop(at, event.shiftKey ? -1 : 1, false);
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
      el.addEventListener('input', guarded(() => deliver(core.edit(i, el.value))));
    } else if (row.kind === 'button' || row.kind === 'option') {
      el.addEventListener('click', guarded(() => deliver(core.click(i), i)));
    }
  });
  return { deliver, focusAfter };
}
