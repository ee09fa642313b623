// SPDX-License-Identifier: GPL-3.0-or-later
// Failure: what the page says when it cannot go on, and the guard around every handler.

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
