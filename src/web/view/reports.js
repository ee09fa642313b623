// SPDX-License-Identifier: GPL-3.0-or-later
// Reports and announcements: the failure report's dialog and the live region a screen reader
// hears, with the focus and caret put back when a report closes.

// Where focus and caret stand, to be put back when the user is done with a report or a press
// on a label: remember() gives the function that puts them back.
function remember() {
  const el = document.activeElement;
  const caret = el instanceof HTMLInputElement && el.type === 'text'
    ? [el.selectionStart, el.selectionEnd] : null;
  return () => {
    if (!(el instanceof HTMLElement) || !el.isConnected || el.disabled) return;
    el.focus();
    if (caret) el.setSelectionRange(caret[0], caret[1]);
  };
}

// announce() says what the last event changed; report() shows its failure.
function reporter(core) {
  const dialog = document.querySelector('.report');
  const spoken = document.querySelector('.spoken');

  // What the window has to say after an event goes to the one polite live region, each time as
  // a new paragraph. A screen reader drops a text equal to the one before as a duplicate, so a
  // repeated one gets a zero-width space, which is not spoken.
  let lastSaid = '';
  const announce = () => {
    let message = core.announcement();
    if (!message) return;
    if (message === lastSaid) message += '\u200b';
    lastSaid = message;
    const said = document.createElement('p');
    said.textContent = message;
    spoken.replaceChildren(said);
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
    dialog.querySelector('.message').textContent = core.failure();
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
  return { announce, report };
}
