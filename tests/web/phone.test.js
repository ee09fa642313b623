// SPDX-License-Identifier: GPL-3.0-or-later
// The web edition on phones and zoomed screens: Chromium's phone emulation played by taps.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve } = require('./harness');
const { launch, open } = require('./playwright');

let server;
let browser;
before(async () => {
  server = await serve(Number(process.env.VELORIX_TEST_PORT || 8101) + 8);
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.stop();
});

const phone = (width, height, colorScheme) => ({
  viewport: { width, height }, isMobile: true, hasTouch: true, deviceScaleFactor: 2, colorScheme,
});
// What a player would see amiss: sideways scrolling, controls out of the screen, on each other,
// cut, too small to read or to hit, the wrong keypad, text below 4.5:1 or field edges below 3:1.
const faults = (page) => page.evaluate(() => {
  const lum = (c) => c.match(/[\d.]+/g).slice(0, 3).map((v) => v / 255)
    .map((v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
    .reduce((sum, v, k) => sum + v * [0.2126, 0.7152, 0.0722][k], 0);
  const ratio = (a, b) => (Math.max(lum(a), lum(b)) + 0.05) / (Math.min(lum(a), lum(b)) + 0.05);
  const behind = (el) => (!el ? 'rgb(255, 255, 255)' : [getComputedStyle(el).backgroundColor]
    .find((c) => !/, 0\)$/.test(c)) ?? behind(el.parentElement));
  const found = [];
  if (document.documentElement.scrollWidth > innerWidth) found.push('scrolls sideways');
  const shown = [...document.querySelectorAll('.window [id]:not(line, fieldset), legend, .keys *')]
    .filter((el) => el.getClientRects().length);
  shown.forEach((el, n) => {
    const [r, style, text] = [el.getBoundingClientRect(), getComputedStyle(el), el.type === 'text'];
    const fault = (bad, what) => bad && found.push(`${el.id || el.textContent} ${what}`);
    fault(r.left < 0 || r.right > innerWidth, 'outside');
    fault(parseFloat(style.fontSize) < 16, 'small text');
    fault(el.scrollWidth > el.clientWidth || el.scrollHeight > el.clientHeight, 'cut');
    fault(/INPUT|BUTTON/.test(el.tagName) && (r.width < 44 || r.height < 44), 'small');
    fault(text && `${el.inputMode} ${el.enterKeyHint}` !== 'decimal next', 'keypad');
    fault(!el.disabled && ratio(style.color, behind(el)) < 4.5, 'pale');
    fault(text && ratio(style.borderTopColor, behind(el.parentElement)) < 3, 'edge');
    for (const other of shown.slice(n + 1)) {
      const o = other.getBoundingClientRect();
      const on = Math.min(r.right, o.right) > Math.max(r.left, o.left)
        && Math.min(r.bottom, o.bottom) > Math.max(r.top, o.top);
      fault(on && !el.contains(other), `on ${other.id || other.textContent}`);
    }
  });
  return found;
});

test('phones upright and sideways, light and dark, desktops zoomed to 200 and 400 %', {
  timeout: 120000,
}, async () => {
  const screens = [[390, 844, 'light'], [390, 844, 'dark'], [320, 568, 'dark'], [844, 390, 'light'],
    [640, 400], [320, 200]];
  for (const [width, height, scheme] of screens) {
    const device = scheme ? phone(width, height, scheme) : { viewport: { width, height } };
    const page = await open(browser, server.url, 'de-DE', device);
    assert.deepEqual(await faults(page), [], `${width}×${height} ${scheme}`);
    await page[scheme ? 'tap' : 'click']('#optGForce');
    await page.focus('#txtGForce');
    assert.deepEqual(await faults(page), [], `${width}×${height} ${scheme}, g-force chosen`);
    await page.context().close();
  }
});

async function tapType(page, ...pairs) {
  for (let n = 0; n < pairs.length; n += 2) {
    await page.tap(`#${pairs[n]}`);
    await page.keyboard.press('Control+A');
    await page.keyboard.type(pairs[n + 1]);
  }
}
const focused = (page) => page.evaluate(() => document.activeElement.id);

test('the brake and turn examples, the sign and separator keys and a report, by taps', {
  timeout: 120000,
}, async () => {
  const page = await open(browser, server.url, 'de-DE', phone(390, 844));
  await tapType(page, 'txtAFzg', '10');
  await page.keyboard.press('Enter'); // the keypad's "next"
  assert.equal(await focused(page), 'txtVFzg');
  await tapType(page, 'txtV', '100', 'txtBremsDiff', '60');
  await page.tap('#cmdCalcMWBrake');
  assert.equal(await page.textContent('#lblMindestwurf'), '+1');
  await tapType(page, 'txtErfolgeBrems', '3');
  await page.tap('#cmdBrake');
  assert.equal(await page.inputValue('#txtV'), '40');
  await tapType(page, 'txtRadius', '70', 'txtV', '100');
  await page.tap('#cmdCalcMWTURN');
  assert.deepEqual([await page.inputValue('#txtGForce'), await page.textContent('#lblMindestwurf')],
    ['1,88', '+6']);
  // Keys beside the field: "0," reads as 0, "-0,4" does not enable "TURN!", "0,4" does.
  const kurve = async () => [await page.inputValue('#txtErfolgeKurve'),
    await page.isEnabled('#cmdTurn'), await focused(page)];
  await tapType(page, 'txtErfolgeKurve', '0');
  await page.tap('.keys button:nth-child(2)');
  await page.tap('.keys button:first-child');
  await page.keyboard.type('4');
  assert.deepEqual(await kurve(), ['-0,4', false, 'txtErfolgeKurve']);
  await page.tap('.keys button:first-child');
  assert.deepEqual(await kurve(), ['0,4', true, 'txtErfolgeKurve']);

  await tapType(page, 'txtAFzg', '10x');
  assert.deepEqual(await page.$eval('dialog .ok', (ok) => [ok.closest('dialog').open,
    ok.closest('dialog').getBoundingClientRect().right <= innerWidth,
    ok.offsetWidth >= 44 && ok.offsetHeight >= 44]), [true, true, true]);
  await page.tap('dialog .ok');
  await page.evaluate(() => new Promise((done) => setTimeout(done, 50))); // the close event's turn
  assert.deepEqual(await page.evaluate(() => [document.querySelector('dialog').open,
    document.activeElement.id, document.activeElement.selectionStart, window.reports.length]),
  [false, 'txtAFzg', 3, 1]);
});
