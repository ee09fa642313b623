// SPDX-License-Identifier: GPL-3.0-or-later
// Phones: the screen keypad's "next" key, and the sign and separator keys beside the field
// being typed in on a narrow screen, whose layout itself is the styles'.

function phoneKeys(els, focusAfter, decimal, narrow) {
  const root = document.querySelector('.window');
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
  const follow = (el) => {
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
    if (!keys.contains(event.target)) follow(event.target);
  });
  narrow.addEventListener('change', guarded(() => follow(document.activeElement)));
}
