// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is given on the page, in each engine: one polite live region saying what
// each event changed, the report as an alert dialog described by its message, and the focus
// after BRAKE! and TURN! staying in their panels.
'use strict';
const { describe, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve, openWindow, test } = require('./harness');
const { launch, chosen } = require('./engines');

const limit = { timeout: 120000 };
let server;
before(async () => { server = await serve(); });
after(() => server?.stop());

const said = (page) => page.evaluate(() => document.querySelector('[aria-live]').textContent);
const focused = (page) => page.evaluate(() => {
  const el = document.activeElement;
  return [el.id, el.selectionStart];
});
async function typeInto(page, id, text) {
  await page.click(`#${id}`);
  await page.press('Control+A');
  await page.type(text);
}

for (const engine of chosen) {
  describe(engine, () => {
    let browser;
    let page;
    before(async () => {
      browser = await launch(engine, { locale: 'de-DE' });
    }, limit);
    after(() => browser?.close());
    // Each test closes its page; one that fails leaves it to the browser's close.
    const open = async () => { page = await openWindow(browser, server.url, { width: 1100, height: 700 }); };

    test('each changed value is said with its captions; BRAKE! and TURN! keep the focus in their panel', limit, async () => {
      await open();
      assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('[aria-live]')]
        .map((el) => el.className)), ['spoken']);
      await typeInto(page, 'txtAFzg', '10');
      await typeInto(page, 'txtV', '100');
      await typeInto(page, 'txtBremsDiff', '60');
      await typeInto(page, 'txtErfolgeBrems', '3');
      await page.evaluate(() => cmdBrake.focus());
      await page.press('Space');
      assert.equal(await said(page), 'Aktuelle Geschwindigkeit 40 m/k');
      assert.deepEqual(await focused(page), ['txtErfolgeBrems', 1]);
      await page.press('Enter');
      assert.equal(await page.evaluate(() => txtV.value), '40');

      await page.click('#cmdCalcMWTURN');
      await typeInto(page, 'txtErfolgeKurve', '2');
      await page.evaluate(() => cmdTurn.focus());
      await page.press('Enter');
      // 40 m/k on a 100 m curve: 24°, less 16 m/k².
      assert.equal(await said(page),
        'Überstrichener Winkel in einer Kampfrunde 24, Aktuelle Geschwindigkeit 24 m/k');
      assert.deepEqual(await focused(page), ['txtErfolgeKurve', 1]);
      await page.press('Space');
      assert.equal(await page.evaluate(() => txtPHI.value), '24');
      await typeInto(page, 'txtV', '300');
      assert.equal(await said(page), 'Aktuelle Geschwindigkeit 150 m/k');
      await typeInto(page, 'txtV', '100');
      await typeInto(page, 'txtRadius', '70');
      await page.click('#cmdCalcMWTURN');
      assert.equal(await said(page),
        'Kurve g-Force 1,88, Kurve g-Force 142,8571 m/k², Erforderlicher Mindestwurf +6');
      await page.click('#optGForce');
      await typeInto(page, 'txtGForce', '2');
      assert.equal(await said(page), 'Kurve g-Force 152 m/k²');
      await page.click('#cmdCalcMWTURN');
      assert.equal(await said(page), 'Kurve Radius [m] 65,78947, Erforderlicher Mindestwurf +6');
      assert.deepEqual(await page.evaluate(() => window.reports), []);
      await page.close();
    });

    test('the report is an alert dialog that a screen reader reads whole', limit, async () => {
      await open();
      await page.press('End');
      await page.type('x');
      // Role, name and description as the page gives them (read from the markup: neither BiDi
      // nor WebKitWebDriver gives the accessibility tree back).
      assert.deepEqual(await page.evaluate(() => {
        const dialog = document.querySelector('dialog');
        return [dialog.open, dialog.getAttribute('role'), dialog.getAttribute('aria-label'),
          document.getElementById(dialog.getAttribute('aria-describedby')).textContent];
      }), [true, 'alertdialog', 'Velorix', 'Ungültige Zahl: Im Feld „A=“ steht „10x“, das ist '
        + 'keine Zahl. Bitte eine Zahl eintragen, etwa 12 oder 2,5.']);
      await page.close();
    });
  });
}
