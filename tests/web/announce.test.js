// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is given on the page: one polite live region saying what each event
// changed, the report as an alert dialog described by its message, and the focus after BRAKE!
// and TURN! staying in their panels.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve } = require('./harness');
const { launch, open } = require('./playwright');

let server;
let browser;
before(async () => {
  server = await serve(Number(process.env.VELORIX_TEST_PORT || 8101) + 9);
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.stop();
});

const said = (page) => page.$eval('[aria-live]', (el) => el.textContent);
const focused = (page) => page.evaluate(() => {
  const el = document.activeElement;
  return [el.id, el.selectionStart];
});
async function typeInto(page, id, text) {
  await page.click(`#${id}`);
  await page.keyboard.press('Control+A');
  await page.keyboard.type(text);
}

test('every changed value is said in the one live region, with its captions', async () => {
  const page = await open(browser, server.url, 'de-DE');
  assert.deepEqual(await page.$$eval('[aria-live]', (els) => els.map((el) => el.className)),
    ['spoken']);
  await typeInto(page, 'txtV', '300');
  assert.equal(await said(page), 'Aktuelle Geschwindigkeit 150 m/k');
  await typeInto(page, 'txtAFzg', '10');
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
});

test('BRAKE! and TURN! leave the focus on their successes, and a second key does nothing',
  async () => {
    const page = await open(browser, server.url, 'de-DE');
    await typeInto(page, 'txtAFzg', '10');
    await typeInto(page, 'txtV', '100');
    await typeInto(page, 'txtBremsDiff', '60');
    await typeInto(page, 'txtErfolgeBrems', '3');
    await page.focus('#cmdBrake');
    await page.keyboard.press('Space');
    assert.equal(await said(page), 'Aktuelle Geschwindigkeit 40 m/k');
    assert.deepEqual(await focused(page), ['txtErfolgeBrems', 1]);
    await page.keyboard.press('Enter');
    assert.equal(await page.$eval('#txtV', (el) => el.value), '40');

    await page.click('#cmdCalcMWTURN');
    await typeInto(page, 'txtErfolgeKurve', '2');
    await page.focus('#cmdTurn');
    await page.keyboard.press('Enter');
    // 40 m/k on a 100 m curve: 24°, less 16 m/k².
    assert.equal(await said(page),
      'Überstrichener Winkel in einer Kampfrunde 24, Aktuelle Geschwindigkeit 24 m/k');
    assert.deepEqual(await focused(page), ['txtErfolgeKurve', 1]);
    await page.keyboard.press('Space');
    assert.equal(await page.$eval('#txtPHI', (el) => el.value), '24');
    assert.deepEqual(await page.evaluate(() => window.reports), []);
  });

test('the report is an alert dialog that a screen reader reads whole', async () => {
  const page = await open(browser, server.url, 'de-DE');
  await page.keyboard.press('End');
  await page.keyboard.type('x');
  const dialog = await page.$('dialog');
  const tree = await page.accessibility.snapshot({ root: dialog });
  assert.deepEqual([tree.role, tree.name, tree.description], ['alertdialog', 'Velorix',
    'Ungültige Zahl: Im Feld „A=“ steht „10x“, das ist keine Zahl. Bitte eine Zahl eintragen, '
    + 'etwa 12 oder 2,5.']);
});
