// SPDX-License-Identifier: GPL-3.0-or-later
// The web edition on phones and zoomed screens, in each engine: phone screens played by taps.
// WebKitGTK has neither touch nor a window narrower than 447 CSS px: there taps are clicks, the
// phones are 447 px wide (still the narrow layout), and what needs a coarse pointer is skipped.
'use strict';
const { describe, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve, openWindow, test } = require('./harness');
const { launch, chosen } = require('./engines');

const limit = { timeout: 120000 };
let server;
before(async () => { server = await serve(); });
after(() => server?.stop());

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
    fault(text && `${el.getAttribute('inputmode')} ${el.getAttribute('enterkeyhint')}` !== 'decimal next', 'keypad');
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
const narrow = (page) => page.evaluate(() => getComputedStyle(document.querySelector('.window')).display === 'flex');

async function tapType(page, ...pairs) {
  for (let n = 0; n < pairs.length; n += 2) {
    await page.tap(`#${pairs[n]}`);
    await page.press('Control+A');
    await page.type(pairs[n + 1]);
  }
}
const values = (page, ...ids) => page.evaluate((list) => list.map((id) => (id === 'focus'
  ? document.activeElement.id : document.getElementById(id).value)), ids);

for (const engine of chosen) {
  describe(engine, () => {
    // Phones upright and sideways, light and dark; desktops zoomed to 200 and 400 %, by mouse.
    for (const [scheme, touch, screens] of [['light', true, [[390, 844], [844, 390]]],
      ['dark', true, [[390, 844], [320, 568]]], ['light', false, [[640, 400], [320, 200]]]]) {
      describe(`${scheme}${touch ? ', touch' : ''}`, () => {
        let browser;
        before(async () => {
          browser = await launch(engine, { locale: 'de-DE', scheme, touch });
        }, limit);
        after(() => browser?.close());

        test(`${screens.map((s) => s.join('×')).join(', ')}: whole, readable, big enough`, limit, async () => {
          for (const [width, height] of screens) {
            const page = await openWindow(browser, server.url, { width, height, scale: touch ? 2 : 1 });
            const at = `${width}×${height}`;
            assert.deepEqual([await narrow(page), await faults(page)], [true, []], at);
            await page.tap('#optGForce');
            await page.evaluate(() => txtGForce.focus());
            assert.deepEqual(await faults(page), [], `${at}, g-force chosen`);
            await page.close();
          }
        });

        if (scheme === 'dark' || !touch) return;
        test('the brake and turn examples, the sign and separator keys and a report, by taps', limit, async () => {
          const page = await openWindow(browser, server.url, { width: 390, height: 844, scale: 2 });
          const coarse = engine !== 'webkit'; // WebKitGTK offers no coarse pointer to emulate
          await tapType(page, 'txtAFzg', '10');
          if (coarse) {
            await page.press('Enter'); // the keypad's "next"
            assert.deepEqual(await values(page, 'focus'), ['txtVFzg']);
          }
          await tapType(page, 'txtV', '100', 'txtBremsDiff', '60');
          await page.tap('#cmdCalcMWBrake');
          assert.equal(await page.evaluate(() => lblMindestwurf.textContent), '+1');
          await tapType(page, 'txtErfolgeBrems', '3');
          await page.tap('#cmdBrake');
          assert.deepEqual(await values(page, 'txtV'), ['40']);
          await tapType(page, 'txtRadius', '70', 'txtV', '100');
          await page.tap('#cmdCalcMWTURN');
          assert.deepEqual(await page.evaluate(() => [txtGForce.value, lblMindestwurf.textContent]),
            ['1,88', '+6']);
          if (coarse) {
            // Keys beside the field: "0," reads as 0, "-0,4" does not enable "TURN!", "0,4" does.
            const kurve = () => page.evaluate(() => [txtErfolgeKurve.value, !cmdTurn.disabled,
              document.activeElement.id]);
            await tapType(page, 'txtErfolgeKurve', '0');
            await page.tap('.keys button:nth-child(2)');
            await page.tap('.keys button:first-child');
            await page.type('4');
            assert.deepEqual(await kurve(), ['-0,4', false, 'txtErfolgeKurve']);
            await page.tap('.keys button:first-child');
            assert.deepEqual(await kurve(), ['0,4', true, 'txtErfolgeKurve']);
          }

          await tapType(page, 'txtAFzg', '10x');
          assert.deepEqual(await page.evaluate(() => {
            const ok = document.querySelector('dialog .ok');
            return [ok.closest('dialog').open, ok.closest('dialog').getBoundingClientRect().right
              <= innerWidth, ok.offsetWidth >= 44 && ok.offsetHeight >= 44];
          }), [true, true, true]);
          await page.tap('dialog .ok');
          assert.deepEqual(await page.evaluate(() => [document.querySelector('dialog').open,
            document.activeElement.id, document.activeElement.selectionStart, window.reports.length]),
          [false, 'txtAFzg', 3, 1]);
          await page.close();
        });
      });
    }
  });
}
