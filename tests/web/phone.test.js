// SPDX-License-Identifier: GPL-3.0-or-later
// The web edition on phones and zoomed screens: Chromium's phone emulation played by taps.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve, launch, open } = require('./harness');

let server;
let browser;
before(async () => {
  server = await serve(Number(process.env.VELORIX_TEST_PORT || 8101) + 2);
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.stop();
});

const phone = (width, height, colorScheme = 'light') => ({
  viewport: { width, height }, isMobile: true, hasTouch: true, deviceScaleFactor: 2, colorScheme,
});
// Every fault of the narrow layout that a player would see, as a list of words.
const faults = (page) => page.evaluate(() => {
  const found = [];
  const root = document.documentElement;
  if (root.scrollWidth > innerWidth) found.push(`scrolls sideways to ${root.scrollWidth}`);
  const shown = [...document.querySelectorAll('.window [id]:not(line, fieldset), legend, .keys button')]
    .filter((el) => el.getClientRects().length);
  const box = (el) => el.getBoundingClientRect();
  shown.forEach((el, n) => {
    const name = el.id || el.textContent;
    const r = box(el);
    if (r.left < 0 || r.right > innerWidth) found.push(`${name} outside`);
    if (parseFloat(getComputedStyle(el).fontSize) < 16) found.push(`${name} small text`);
    if (el.scrollWidth > el.clientWidth || el.scrollHeight > el.clientHeight) found.push(`${name} cut`);
    if (/INPUT|BUTTON/.test(el.tagName) && (r.width < 44 || r.height < 44)) found.push(`${name} small`);
    if (el.type === 'text' && `${el.inputMode} ${el.enterKeyHint}` !== 'decimal next') found.push(`${name} keypad`);
    for (const other of shown.slice(n + 1)) {
      const o = box(other);
      const overlap = Math.min(r.right, o.right) - Math.max(r.left, o.left) > 0
        && Math.min(r.bottom, o.bottom) - Math.max(r.top, o.top) > 0;
      if (overlap && !el.contains(other) && !other.contains(el)) found.push(`${name} on ${other.id || other.textContent}`);
    }
  });
  return found;
});

test('phones in portrait and landscape and desktops zoomed to 200 and 400 %', { timeout: 120000 }, async () => {
  for (const [width, height, touch] of [[390, 844, 1], [320, 568, 1], [844, 390, 1], [640, 400], [320, 200]]) {
    const page = await open(browser, server.url, 'de-DE', touch ? phone(width, height) : { viewport: { width, height } });
    assert.deepEqual(await faults(page), [], `${width}×${height}`);
    await page.tap('#optGForce').catch(() => page.click('#optGForce'));
    await page.focus('#txtGForce');
    assert.deepEqual(await faults(page), [], `${width}×${height}, g-force chosen`);
    await page.context().close();
  }
  // Where the window fits, it is the window.
  const page = await open(browser, server.url, 'de-DE', { viewport: { width: 1280, height: 800 } });
  assert.deepEqual(await page.$eval('#txtAFzg', (el) => [el.closest('.narrow'), el.inputMode]), [null, 'decimal']);
  await page.context().close();
});

async function tapType(page, id, text) {
  await page.tap(`#${id}`);
  await page.keyboard.press('Control+A');
  await page.keyboard.type(text);
}
const value = (page, id) => page.$eval(`#${id}`, (el) => el.value ?? el.textContent);

test('the brake and turn examples, the sign and separator keys and a report, by taps', { timeout: 120000 }, async () => {
  const page = await open(browser, server.url, 'de-DE', phone(390, 844));
  await tapType(page, 'txtAFzg', '10');
  await page.keyboard.press('Enter'); // the keypad's "next"
  assert.equal(await page.evaluate(() => document.activeElement.id), 'txtVFzg');
  await tapType(page, 'txtV', '100');
  await tapType(page, 'txtBremsDiff', '60');
  await page.tap('#cmdCalcMWBrake');
  assert.equal(await page.textContent('#lblMindestwurf'), '+1');
  await tapType(page, 'txtErfolgeBrems', '3');
  await page.tap('#cmdBrake');
  assert.equal(await value(page, 'txtV'), '40');
  await tapType(page, 'txtRadius', '70');
  await tapType(page, 'txtV', '100');
  await page.tap('#cmdCalcMWTURN');
  assert.deepEqual([await value(page, 'txtGForce'), await page.textContent('#lblMindestwurf')], ['1,88', '+6']);
  // Keys beside the field: "0," reads as 0, "-0,4" does not enable "TURN!", "0,4" does.
  const turn = () => page.$eval('#cmdTurn', (el) => !el.disabled);
  await tapType(page, 'txtErfolgeKurve', '0');
  await page.tap('.keys button:nth-child(2)');
  await page.tap('.keys button:first-child');
  await page.keyboard.type('4');
  assert.deepEqual([await value(page, 'txtErfolgeKurve'), await turn()], ['-0,4', false]);
  await page.tap('.keys button:first-child');
  assert.deepEqual([await value(page, 'txtErfolgeKurve'), await turn()], ['0,4', true]);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'txtErfolgeKurve');
  assert.deepEqual(await page.evaluate(() => window.reports), []);

  await tapType(page, 'txtAFzg', '10x');
  const ok = await page.$eval('dialog .ok', (el) => [el.closest('dialog').open, el.offsetWidth >= 44, el.offsetHeight >= 44,
    el.closest('dialog').getBoundingClientRect().right <= innerWidth]);
  assert.deepEqual(ok, [true, true, true, true]);
  await page.tap('dialog .ok');
  await page.evaluate(() => new Promise((done) => setTimeout(done, 50))); // the close event's turn
  assert.deepEqual(await page.evaluate(() => [document.querySelector('dialog').open, document.activeElement.id,
    document.activeElement.selectionStart, window.reports.length]), [false, 'txtAFzg', 3, 1]);
});

test('text 4.5:1 and field edges 3:1 in the light and the dark scheme', { timeout: 60000 }, async () => {
  for (const scheme of ['light', 'dark']) {
    const page = await open(browser, server.url, 'en-US', phone(390, 844, scheme));
    const low = await page.evaluate(() => {
      const rgb = (c) => c.match(/[\d.]+/g).slice(0, 3).map((v) => (v / 255 <= 0.04045 ? v / 255 / 12.92
        : ((v / 255 + 0.055) / 1.055) ** 2.4));
      const light = (c) => rgb(c).reduce((sum, v, k) => sum + v * [0.2126, 0.7152, 0.0722][k], 0);
      const ratio = (a, b) => (Math.max(light(a), light(b)) + 0.05) / (Math.min(light(a), light(b)) + 0.05);
      const behind = (el) => {
        for (; el; el = el.parentElement) {
          const c = getComputedStyle(el).backgroundColor;
          if (!/^rgba\(.*, 0\)$/.test(c)) return c;
        }
        return 'rgb(255, 255, 255)';
      };
      const page = behind(document.body);
      return [...document.querySelectorAll('.label, legend, input[type=text]:enabled, button:enabled')]
        .map((el) => [el.id || el.textContent, ratio(getComputedStyle(el).color, behind(el)),
          el.type === 'text' ? ratio(getComputedStyle(el).borderTopColor, page) : 3])
        .filter(([, text, edge]) => text < 4.5 || edge < 3);
    });
    assert.deepEqual(low, [], scheme);
    await page.context().close();
  }
});
