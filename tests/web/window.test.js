// SPDX-License-Identifier: GPL-3.0-or-later
// The web edition played in headless Chromium with real key and mouse events, in German and
// in English.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve, launch, open } = require('./harness');

let server;
let browser;
before(async () => {
  server = await serve(Number(process.env.VELORIX_TEST_PORT || 8101));
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.stop();
});

const state = (page, id) => page.$eval(`#${id}`, (el) => ({
  text: { INPUT: el.type === 'radio' ? String(el.checked) : el.value,
    FIELDSET: el.querySelector('legend')?.textContent }[el.tagName] ?? el.textContent,
  enabled: !el.disabled,
}));
// Replaces a field's text the way a user does: click in, select all, type.
async function typeInto(page, id, text) {
  await page.click(`#${id}`);
  await page.keyboard.press('Control+A');
  await page.keyboard.type(text);
}

for (const [locale, sep] of [['de-DE', ','], ['en-US', '.']]) {
  test(`${locale}: every control starts as the window does`, async () => {
    const page = await open(browser, server.url, locale);
    assert.equal(await page.title(), 'Velorix');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'txtAFzg');
    const start = {
      txtAFzg: ['10', true], txtVFzg: ['100', true], txtV: ['0', true], txtBremsDiff: ['0', true],
      txtErfolgeBrems: ['0', true], txtErfolgeBeschl: ['0', true], txtRadius: ['100', true],
      txtGForce: ['1', false], txtGForceMK: ['76', false], txtErfolgeKurve: ['0', true],
      txtPHI: ['0', true], cmdCalcMWBrake: ['Berechne den Mindestwurf', true],
      cmdBrake: ['BRAKE!', false], cmdAccel: ['ACCELERATE!', true],
      cmdCalcMWTURN: ['Berechne den Mindestwurf', true], cmdTurn: ['TURN!', false],
      optRadius: ['true', true], optGForce: ['false', true], lblAmax: ['', true],
      lblVmax: ['', true], lblMindestwurf: ['Mindestwurf', true],
      Label3: ['max. sichere Bremsbeschleunigung:  Amax=', true], Frame4: ['Kurve', true],
      Label18: ['Überstrichener Winkel in einer Kampfrunde', true],
    };
    for (const [id, [text, enabled]] of Object.entries(start)) {
      assert.deepEqual(await state(page, id), { text, enabled }, id);
    }
    assert.equal(await page.$$eval('.window [id]', (els) => els.length), 53);
    assert.equal(await page.$eval('#Line4', (el) => el.tagName), 'line');
    assert.equal(await page.$eval('#txtAFzg', (el) => el.getAttribute('aria-label')),
      'Beschleunigung des Fahrzeugs A= m/k²');
    // "Kurve" lies over "Aktion": a click in its caption's middle hits it.
    assert.equal(await page.evaluate(() => {
      const r = document.querySelector('#Frame4 legend').getBoundingClientRect();
      return document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2).closest('[id]').id;
    }), 'Frame4');
    assert.deepEqual(await page.evaluate(() => window.reports), []);
  });

  test(`${locale}: brake and turn worked examples, the 1${sep}23 chain`, async () => {
    const page = await open(browser, server.url, locale);
    await typeInto(page, 'txtAFzg', '10');
    await typeInto(page, 'txtV', '100');
    await typeInto(page, 'txtBremsDiff', '60');
    await page.click('#cmdCalcMWBrake');
    assert.equal((await state(page, 'lblMindestwurf')).text, '+1');
    await typeInto(page, 'txtErfolgeBrems', '3');
    assert.equal((await state(page, 'cmdBrake')).enabled, true);
    await page.click('#cmdBrake');
    assert.equal((await state(page, 'txtV')).text, '40');
    // "BRAKE!" disabled itself and left the focus in its panel, on the successes.
    assert.deepEqual([(await state(page, 'cmdBrake')).enabled,
      await page.evaluate(() => document.activeElement.id)], [false, 'txtErfolgeBrems']);

    await typeInto(page, 'txtV', '100');
    await typeInto(page, 'txtRadius', '70');
    await page.click('#cmdCalcMWTURN');
    assert.equal((await state(page, 'txtGForce')).text, `1${sep}88`);
    assert.equal((await state(page, 'txtGForceMK')).text, `142${sep}8571`);
    assert.equal((await state(page, 'lblMindestwurf')).text, '+6');

    await page.click('#optGForce');
    await typeInto(page, 'txtGForce', `1${sep}23`);
    assert.equal((await state(page, 'txtGForce')).text, `1${sep}22`);
    assert.equal((await state(page, 'txtGForceMK')).text, '93');
    // The field was rewritten while typed in: the caret stands at the end.
    assert.deepEqual(await page.$eval('#txtGForce', (el) => [el.selectionStart, el.selectionEnd]),
      [4, 4]);
    assert.deepEqual(await page.evaluate(() => window.reports), []);
  });
}

test('a failure is reported once, and focus and caret return to the field', async () => {
  const page = await open(browser, server.url, 'de-DE');
  await page.keyboard.press('End');
  await page.keyboard.type('x');
  const reports = await page.evaluate(() => window.reports);
  assert.equal(reports.length, 1);
  assert.match(reports[0], /^\s*Velorix\s*Ungültige Zahl: .+OK\s*$/s);
  assert.equal(await page.$eval('dialog', (d) => d.open), true);
  await page.keyboard.press('Enter');
  assert.equal(await page.$eval('dialog', (d) => d.open), false);
  assert.deepEqual(await page.evaluate(() => [document.activeElement.id,
    document.activeElement.selectionStart]), ['txtAFzg', 3]);
  // Typing goes on in the field: the next mistake is the next report, closed with the mouse.
  await page.keyboard.type('y');
  assert.equal(await page.$eval('#txtAFzg', (el) => el.value), '10xy');
  await page.click('dialog button');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('12');
  assert.deepEqual(await page.evaluate(() => [document.activeElement.id,
    document.activeElement.value, window.reports.length]), ['txtAFzg', '12', 2]);
});

test('focus order, one Tab stop for the options, arrow keys between them', async () => {
  const page = await open(browser, server.url, 'en-US');
  const order = [];
  for (let n = 0; n < 14; n += 1) {
    order.push(await page.evaluate(() => document.activeElement.id));
    await page.keyboard.press('Tab');
  }
  assert.deepEqual(order, ['txtAFzg', 'txtVFzg', 'txtV', 'txtErfolgeBeschl', 'txtBremsDiff',
    'cmdAccel', 'optRadius', 'txtRadius', 'cmdCalcMWBrake', 'txtErfolgeBrems', 'cmdCalcMWTURN',
    'txtErfolgeKurve', 'txtPHI', 'txtAFzg']);
  // The last Tab went on to txtVFzg; back twice is round to the end.
  await page.keyboard.press('Shift+Tab');
  await page.keyboard.press('Shift+Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'txtPHI');
  await page.focus('#optRadius');
  await page.keyboard.press('ArrowDown');
  assert.deepEqual(await page.evaluate(() => [document.activeElement.id, optGForce.checked,
    optRadius.tabIndex, txtGForce.disabled, txtRadius.disabled]),
  ['optGForce', true, -1, false, true]);
});

test('a second visit opens without the server, from the service worker', async () => {
  const offline = await serve(Number(process.env.VELORIX_TEST_PORT || 8101) + 1);
  const page = await open(browser, offline.url, 'de-DE');
  await page.evaluate(() => navigator.serviceWorker.ready);
  await offline.stop();
  await page.reload();
  await page.waitForFunction(() => document.documentElement.dataset.state === 'ready');
  assert.equal(await page.$eval('#txtVFzg', (el) => el.value), '100');
});
