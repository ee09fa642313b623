// SPDX-License-Identifier: GPL-3.0-or-later
// The web edition played with real key and mouse events in each browser engine (all three
// unless VELORIX_ENGINES names some), in German and in English. Every engine must give the
// same literal results.
'use strict';
const { describe, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { serve, site, openWindow, test } = require('./harness');
const { launch, chosen, until } = require('./engines');

const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const limit = { timeout: 120000 };
// Wide enough for the whole window at its widest, in the fonts of a bare Debian.
const viewport = { width: 1100, height: 700 };

let server;
before(async () => { server = await serve(); });
after(() => server?.stop());

// A fresh page at the window, ready, with every report it opens counted.
const open = (browser, url = server.url) => openWindow(browser, url, viewport);
async function withPage(browser, body, url) {
  const page = await open(browser, url);
  try {
    await body(page);
  } finally {
    await page.close();
  }
}

// What a control shows: a field's text, an option's state, a group's or label's caption; and
// whether it is enabled.
const states = (page, ids) => page.evaluate((list) => Object.fromEntries(list.map((id) => {
  const el = document.getElementById(id);
  const text = { INPUT: el.type === 'radio' ? String(el.checked) : el.value,
    FIELDSET: el.querySelector('legend')?.textContent }[el.tagName] ?? el.textContent;
  return [id, [text, !el.disabled]];
})), ids);
// Fields' texts, and for 'focus' the focused element's id (or class, for the report's OK).
const values = (page, ids) => page.evaluate((list) => list.map((id) => (id === 'focus'
  ? document.activeElement.id || document.activeElement.className
  : document.getElementById(id).value)), ids);
// The middle of an element's text, where a click hits a word.
const textAt = (page, id) => page.evaluate((el) => {
  const range = document.createRange();
  range.selectNodeContents(document.getElementById(el));
  const r = range.getBoundingClientRect();
  return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
}, id);
// What a screen reader finds of the window: its controls, whether it is inert, how many fields
// and buttons are disabled and enabled, and the first field's name.
const readable = (page) => page.evaluate(() => {
  const window = document.querySelector('.window');
  const controls = [...window.querySelectorAll('input, button')];
  return [window.querySelectorAll('[id]').length, Boolean(window.closest('[inert]')),
    controls.filter((el) => el.disabled).length, controls.filter((el) => !el.disabled).length,
    txtAFzg.getAttribute('aria-label')];
});
const focus = (page) => page.evaluate(() => {
  const el = document.activeElement;
  return [el.id, el.selectionStart ?? null, el.selectionEnd ?? null];
});
// The ids Tab and Shift+Tab reach from outside the window until they leave it, as the window's
// behaviour decides after Load: asked of a second copy of the page's own program.
const tabStops = (page) => page.evaluate(async () => {
  const core = connect(await createVelorix({ instantiateWasm(imports, receive) {
    velorixEarly.module.then((module) => receive(new WebAssembly.Instance(module, imports), module));
    return {};
  } }));
  core.start(',');
  return [1, -1].map((step) => {
    const stops = [];
    for (let at = core.nextTabStop(-1, step, false); at >= 0 && stops.length < 60;
      at = core.nextTabStop(at, step, false)) stops.push(velorixEarly.layout.controls[at].name);
    return stops;
  });
});
async function typeInto(page, id, text) {
  await page.click(`#${id}`);
  await page.press('Control+A');
  await page.type(text);
}
// axe-core's findings, best practices included, as "rule: elements".
async function axe(page) {
  if (!await page.evaluate(() => Boolean(window.axe))) await page.run(axeSource);
  return page.evaluate(async () => {
    const { violations } = await window.axe.run(document);
    return violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
}

for (const engine of chosen) {
  describe(engine, () => {
    for (const [locale, sep] of [['de-DE', ','], ['en-US', '.']]) {
      describe(locale, () => {
        let browser;
        before(async () => {
          browser = await launch(engine, { locale });
        }, limit);
        after(() => browser?.close());

        test('every control starts as the window does', limit, () => withPage(browser, async (page) => {
          assert.deepEqual(await page.evaluate(() => [document.title, navigator.language,
            document.querySelectorAll('.window [id]').length, document.activeElement.id,
            txtAFzg.selectionStart, txtAFzg.selectionEnd, txtAFzg.getAttribute('aria-label'),
            Line4.tagName]),
          ['Velorix', locale, 53, 'txtAFzg', 0, 2, 'Beschleunigung des Fahrzeugs A= m/k²', 'line']);
          assert.deepEqual(await states(page, ['txtAFzg', 'txtVFzg', 'txtV', 'txtBremsDiff',
            'txtErfolgeBrems', 'txtErfolgeBeschl', 'txtRadius', 'txtGForce', 'txtGForceMK',
            'txtErfolgeKurve', 'txtPHI', 'cmdCalcMWBrake', 'cmdBrake', 'cmdAccel', 'cmdCalcMWTURN',
            'cmdTurn', 'optRadius', 'optGForce', 'lblAmax', 'lblVmax', 'lblMindestwurf', 'Label3',
            'Frame4', 'Label18']), {
            txtAFzg: ['10', true], txtVFzg: ['100', true], txtV: ['0', true],
            txtBremsDiff: ['0', true], txtErfolgeBrems: ['0', true], txtErfolgeBeschl: ['0', true],
            txtRadius: ['100', true], txtGForce: ['1', false], txtGForceMK: ['76', false],
            txtErfolgeKurve: ['0', true], txtPHI: ['0', true],
            cmdCalcMWBrake: ['Berechne den Mindestwurf', true], cmdBrake: ['BRAKE!', false],
            cmdAccel: ['ACCELERATE!', true], cmdCalcMWTURN: ['Berechne den Mindestwurf', true],
            cmdTurn: ['TURN!', false], optRadius: ['true', true], optGForce: ['false', true],
            lblAmax: ['', true], lblVmax: ['', true], lblMindestwurf: ['Mindestwurf', true],
            Label3: ['max. sichere Bremsbeschleunigung:  Amax=', true], Frame4: ['Kurve', true],
            Label18: ['Überstrichener Winkel in einer Kampfrunde', true],
          });
          // "Kurve" lies over "Aktion": a click in its caption's middle hits it.
          assert.equal(await page.evaluate(() => {
            const r = document.querySelector('#Frame4 legend').getBoundingClientRect();
            return document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2)
              .closest('[id]').id;
          }), 'Frame4');
          assert.deepEqual(await axe(page), []);
          assert.deepEqual(await page.evaluate(() => window.reports), []);
        }));

        test(`the brake and a turn's plan by the mouse, the 1${sep}23 chain`, limit, () => withPage(browser, async (page) => {
          await typeInto(page, 'txtAFzg', '10');
          await typeInto(page, 'txtV', '100');
          await typeInto(page, 'txtBremsDiff', '60');
          await page.click('#cmdCalcMWBrake');
          await typeInto(page, 'txtErfolgeBrems', '3');
          assert.deepEqual(await states(page, ['lblMindestwurf', 'cmdBrake']),
            { lblMindestwurf: ['+1', true], cmdBrake: ['BRAKE!', true] });
          await page.click('#cmdBrake');
          // "BRAKE!" disabled itself and left the focus in its panel, on the successes.
          assert.deepEqual(await values(page, ['txtV', 'focus']), ['40', 'txtErfolgeBrems']);
          assert.equal((await states(page, ['cmdBrake'])).cmdBrake[1], false);

          await typeInto(page, 'txtV', '100');
          await typeInto(page, 'txtRadius', '70');
          await page.click('#cmdCalcMWTURN');
          assert.deepEqual(await values(page, ['txtGForce', 'txtGForceMK']),
            [`1${sep}88`, `142${sep}8571`]);
          assert.equal((await states(page, ['lblMindestwurf'])).lblMindestwurf[0], '+6');
          assert.deepEqual(await axe(page), []);

          await page.click('#optGForce');
          await typeInto(page, 'txtGForce', `1${sep}23`);
          assert.deepEqual(await values(page, ['txtGForce', 'txtGForceMK']), [`1${sep}22`, '93']);
          // The field was rewritten while typed in: the caret stands at the end.
          assert.deepEqual(await focus(page), ['txtGForce', 4, 4]);
          assert.deepEqual(await page.evaluate(() => window.reports), []);
        }));

        test('typing goes on straight after a report is closed, by any way', limit, () => withPage(browser, async (page) => {
          // "-" alone is no number; closed with Enter, the rest of "-32769" follows at once.
          await typeInto(page, 'txtErfolgeBrems', '-');
          await page.press('Enter');
          await page.type('32769');
          assert.deepEqual(await values(page, ['txtErfolgeBrems', 'focus']), ['-32769', 'ok']);
          assert.deepEqual(await axe(page), []);
          await page.press('Escape');
          await page.press('Backspace');
          await page.type('8');
          await page.click('#txtAFzg');
          await page.press('End');
          await page.type('x');
          await page.click('dialog .ok');
          await page.type('y');
          await page.click('dialog .ok');
          await page.press('Home');
          await page.type('1');
          await page.press('Escape');
          assert.deepEqual(await values(page, ['txtErfolgeBrems', 'txtAFzg']), ['-32768', '110xy']);
          assert.deepEqual(await focus(page), ['txtAFzg', 1, 1]);
          assert.deepEqual(await page.evaluate(() => [window.reports,
            document.querySelector('dialog').open]), [[
            'Ungültige Zahl: Im Feld „Erfolge“ unter „Bremsen“ steht „-“, das ist keine Zahl. '
            + `Bitte eine Zahl eintragen, etwa 12 oder 2${sep}5.`,
            'Überlauf: Im Feld „Erfolge“ unter „Bremsen“ steht „-32769“, gerundet liegt das '
            + 'außerhalb von -32768 bis 32767. Bitte eine Zahl in diesem Bereich eintragen.',
            ...['10x', '10xy', '110xy'].map((t) => `Ungültige Zahl: Im Feld „A=“ steht „${t}“, `
              + `das ist keine Zahl. Bitte eine Zahl eintragen, etwa 12 oder 2${sep}5.`)], false]);
        }));

        test('Tab goes where the window says and leaves it at either end', limit, () => withPage(browser, async (page) => {
          // Fields before and after the window, as a page that embeds it might have.
          await page.evaluate(() => ['before', 'after'].forEach((id) => {
            const field = Object.assign(document.createElement('input'), { id });
            document.querySelector('.window')[id](field);
          }));
          // Key by key from the focus at start out to the field after the window, and back.
          const walked = [[], []];
          for (const [way, key, beyond] of [[0, 'Tab', 'after'], [1, 'Shift+Tab', 'before']]) {
            if (way) await page.press(key);
            for (let at; (at = (await focus(page))[0]) !== beyond && walked[way].length < 60;) {
              walked[way].push(at);
              await page.press(key);
            }
          }
          assert.deepEqual(walked, await tabStops(page));
          assert.deepEqual(walked.map((ids) => ids.slice(0, 2)),
            [['txtAFzg', 'txtVFzg'], ['txtPHI', 'txtErfolgeKurve']]);
          await page.press('Tab');
          assert.equal((await focus(page))[0], 'txtAFzg');
          await page.click('#optRadius');
          await page.press('ArrowDown');
          assert.deepEqual(await page.evaluate(() => [document.activeElement.id,
            optGForce.checked, txtGForce.disabled, txtRadius.disabled]),
          ['optGForce', true, false, true]);
        }));

        test('labels can be selected; a press elsewhere keeps the focus', limit, () => withPage(browser, async (page) => {
          await typeInto(page, 'txtAFzg', '12');
          await page.press('ArrowLeft');
          await page.click(await textAt(page, 'lblAmax'), { count: 2 });
          assert.deepEqual(await page.evaluate(() => [getSelection().toString(),
            document.activeElement.id]), ['48', '']);
          await page.click('#txtAFzg');
          await page.press('End');
          await page.press('ArrowLeft');
          for (const at of ['#Label3', '#Frame4 legend', '#cmdBrake', '#Frame3 legend', '#Frame8']) {
            await page.click(at);
          }
          assert.deepEqual(await focus(page), ['txtAFzg', 1, 1]);
          await page.drag(await textAt(page, 'Label3'), await textAt(page, 'label4'));
          assert.match(await page.evaluate(() => getSelection().toString()), /Amax=\s*48/);
        }));
      });
    }

    describe('served', () => {
      let browser;
      before(async () => {
        browser = await launch(engine, { locale: 'de-DE' });
      }, limit);
      after(() => browser?.close());
      const folders = [];
      const copy = () => {
        const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'velorix-site-'));
        fs.cpSync(site, folder, { recursive: true });
        folders.push(folder);
        return folder;
      };
      after(() => folders.forEach((f) => fs.rmSync(f, { recursive: true, force: true })));

      // Sampled from a frame around the page, each frame the browser draws: no control moves
      // from the first frame it shows in, so the page's layout shift is 0.
      test('the first frame is the window as it stays, on a desktop and on a phone', limit, async () => {
        const folder = copy();
        fs.copyFileSync(path.join(__dirname, 'frames.html'), path.join(folder, 'frames.html'));
        const served = await serve(folder);
        try {
          for (const size of [viewport, { width: 390, height: 844 }]) {
            const page = await browser.open(`${served.url}frames.html`, size);
            const frames = await page.waitFor(() => window.velorixFrames);
            // Each control that moved, once, with where and when, for the failure to show.
            const moved = new Map();
            frames.forEach((shown, n) => Object.keys(shown).forEach((id) => {
              const was = frames[n - 1]?.[id];
              if (was !== undefined && was !== shown[id] && !moved.has(id)) {
                moved.set(id, `${id} in frame ${n} of ${frames.length}: ${was} to ${shown[id]},`
                  + ` ${Object.keys(frames[n - 1]).filter((k) => k !== 'inert').length} shown before`);
              }
            }));
            // Until the program is there, the window takes no input.
            const open = frames.filter((shown) => shown.inert === false);
            assert.deepEqual([Object.keys(frames.at(-1)).length, [...moved.values()], open.length],
              [53, [], 0], `${size.width}×${size.height}`);
            await page.close();
          }
        } finally {
          await served.stop();
        }
      });

      // The window drawn from the page alone, at the place the program keeps it in; Chromium's
      // driver alone can turn a page's scripts off.
      if (engine === 'chromium') {
        test('without its scripts the page shows the window and says why it cannot calculate', limit, async () => {
          const places = (page) => page.evaluate(() => {
            const origin = document.querySelector('.window').getBoundingClientRect();
            return [...document.querySelectorAll('.window [id]')].map((el) => {
              const r = el.getBoundingClientRect();
              return `${el.id} ${r.x - origin.x} ${r.y - origin.y} ${r.width} ${r.height}`;
            });
          });
          const page = await open(browser);
          const running = await places(page);
          const bare = await browser.open(server.url, { ...viewport, scripts: false });
          assert.deepEqual(await bare.evaluate(() => getComputedStyle(document.querySelector('noscript .halt'))
            .display === 'block' && document.querySelector('noscript').textContent),
          'Velorix kann ohne sein Programm nicht rechnen: es braucht JavaScript und WebAssembly.');
          assert.deepEqual(await places(bare), running);
          assert.deepEqual((await readable(bare)).slice(0, 2), [53, false]);
        });
      }

      test('a damaged program is refused by the page and said in it', limit, async () => {
        const folder = copy();
        const index = path.join(folder, 'index.html');
        const html = fs.readFileSync(index, 'utf8');
        // The program stands in the page in base64, the one long run of it there.
        const program = /'[A-Za-z0-9+/=]{10000,}'/;
        assert.match(html, program);
        fs.writeFileSync(index, html.replace(program, () => `'${btoa('not WebAssembly')}'`));
        const broken = await serve(folder);
        const page = await browser.open(broken.url, viewport);
        try {
          await page.waitFor(() => document.documentElement.dataset.state === 'failed');
          // The page's policy knows the program by its digest and refuses the changed one.
          // WebKit's driver starts listening once the page has loaded, which may be before or
          // after it hears of the refusal: there the refusal is taken as the test's own.
          if (engine === 'webkit') page.tolerate(/^script-src(-elem)? inline$/);
          else {
            const refused = [];
            await until(async () => refused.push(...await page.violations()), 'the refusal');
            assert.match(refused.join(), /^script-src(-elem)? inline$/);
          }
          assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('.halt')]
            .map((p) => [p.getAttribute('role'), p.textContent])), [['alert',
            'Velorix konnte nicht geladen werden: die Programmdatei fehlt oder ist beschädigt. '
            + 'Bitte die Seite neu laden.']]);
          // The window is still there for the eye and a screen reader, and takes no input.
          assert.deepEqual(await readable(page), [53, false, 18, 0,
            'Beschleunigung des Fahrzeugs A= m/k²']);
        } finally {
          await page.close();
          await broken.stop();
        }
      });

      test('one download of each file, offline after it, a new build at the next load', limit, async () => {
        const folder = copy();
        const served = await serve(folder);
        const page = await browser.open(served.url, viewport);
        try {
          await page.waitFor(() => navigator.serviceWorker.controller
            && document.documentElement.dataset.state === 'ready');
          // The first visit downloaded each file once: the page, and for the worker the rest.
          // WebKit's automated browser keeps no HTTP cache that the page's fetch() could reuse:
          // there the worker downloads the page a second time.
          const downloads = (requests) => requests.filter((r) => r.status === 200)
            .map((r) => `${r.path} ${r.tag}`);
          const visited = served.requests.length;
          const first = downloads(served.requests);
          assert.deepEqual(first.map((d) => d.split(' ')[0]).sort(), [...(engine === 'webkit'
            ? ['/'] : []), '/', '/icon.svg', '/manifest.webmanifest', '/sw.js']);

          // A second build on the same address, marked in its index.
          const index = path.join(folder, 'index.html');
          fs.writeFileSync(index, fs.readFileSync(index, 'utf8')
            .replace('<html lang="de">', '<html lang="de" data-build="2">'));
          execFileSync('cmake', [`-DSITE=${folder}`, '-DTEMPLATE=' + path.join(__dirname,
            '../../src/web/sw.js.in'), '-DFILES=index.html;manifest.webmanifest;icon.svg', '-P', path.join(__dirname,
            '../../src/web/service_worker.cmake')]);
          await page.goto(served.url);
          await page.waitFor(() => Boolean(document.querySelector('.update')));
          assert.deepEqual(await page.evaluate(() => [document.documentElement.dataset.build ?? '',
            document.querySelector('.update').textContent, document.activeElement.id]),
          ['', 'Eine neue Version von Velorix ist da. Neu laden', 'txtAFzg']);
          await page.click('.update button');
          await page.waitFor(() => document.documentElement.dataset.build === '2'
            && document.documentElement.dataset.state === 'ready');
          assert.equal(await page.evaluate(() => caches.keys().then((k) => k.length)), 1);
          // Nothing of the first build was downloaded again, however late the browser asked;
          // where it keeps an HTTP cache, nothing of the second build twice.
          const later = downloads(served.requests.slice(visited));
          assert.deepEqual(later.filter((d) => first.includes(d)), []);
          if (engine !== 'webkit') assert.deepEqual(later.filter((d, n) => later.indexOf(d) !== n), []);

          await served.stop();
          await page.goto(served.url);
          await page.waitFor(() => document.documentElement.dataset.state === 'ready');
          assert.deepEqual(await page.evaluate(() => [document.documentElement.dataset.build,
            txtVFzg.value]), ['2', '100']);
        } finally {
          await page.close();
          await served.stop();
        }
      });
    });
  });
}
