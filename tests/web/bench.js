// SPDX-License-Identifier: GPL-3.0-or-later
// Size and speed of the web edition: what the page loads, gzip-compressed; in each engine, on a
// desktop's and a phone's screen, the median times from navigation to the first contentful paint
// and to the ready window over cold loads, beside a bare page's in the same run, their ratios,
// the page's own marks and how often its first script had to change the window's scale; and, in
// Chromium, one keystroke of the coupled g-force fields.
//   node bench.js [LOADS] [ENGINES]     ENGINES: chromium,firefox,webkit unless given
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { serve, site } = require('./harness');
const { launch } = require('./engines');

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

(async () => {
  const loads = Number(process.argv[2] || 20);
  const engines = (process.argv[3] || 'chromium,firefox,webkit').split(',');

  // Everything a first visit loads: the page and, through the service worker, every other
  // file of the folder.
  let plain = 0;
  let packed = 0;
  const files = fs.readdirSync(site);
  for (const file of files) {
    const body = fs.readFileSync(path.join(site, file));
    plain += body.length;
    packed += zlib.gzipSync(body, { level: 9 }).length;
  }
  console.log(`page: ${files.length} files, ${(plain / 1024).toFixed(1)} KB, `
    + `${(packed / 1024).toFixed(1)} KB gzip-compressed (limit 70 KB)`);

  // The bare page: ready as soon as its one inline script runs.
  const bareFolder = fs.mkdtempSync(path.join(os.tmpdir(), 'velorix-bare-'));
  fs.writeFileSync(path.join(bareFolder, 'index.html'), '<!DOCTYPE html><title>bare</title>'
    + '<p>bare</p><script>document.documentElement.dataset.state="ready";'
    + 'performance.mark("velorix-ready")</script>');
  const server = await serve();
  const bare = await serve(bareFolder);
  try {
    for (const engine of engines) {
      const browser = await launch(engine, { locale: 'de-DE' });
      try {
        await sleep(1000); // a browser just started is busy with itself for a while
        if (engine === 'chromium') {
          // One keystroke of the longest chain: the g-force field and its m/k² twin rewrite
          // each other. Measured first, while no closing context still keeps the browser busy,
          // once the service worker has the page (its first install works beside it), and in
          // rounds a moment apart: a browser just started is busy with itself for a while.
          const warm = await browser.open(server.url);
          await warm.waitFor(() => document.documentElement.dataset.state === 'ready'
            && navigator.serviceWorker.controller);
          await warm.click('#optGForce');
          const perRound = [];
          for (let round = 0; round < 15; round += 1) {
            await sleep(200);
            perRound.push(await warm.evaluate(() => {
              const field = document.getElementById('txtGForce');
              const texts = ['1,23', '1,5', '2,75', '0,9'];
              const start = performance.now();
              for (let k = 0; k < 2000; k += 1) {
                field.value = texts[k % texts.length];
                field.dispatchEvent(new InputEvent('input', { bubbles: true }));
              }
              return (performance.now() - start) / 2000;
            }));
          }
          const perKey = median(perRound);
          await warm.close();
          console.log(`chromium: keystroke of the g-force chain: median ${(perKey * 1000).toFixed(1)} µs `
            + '(limit 50 µs)');
        }
        // Cold loads: a fresh context each time, so neither cache nor service worker helps;
        // the two pages alternate, on a desktop's screen and on a phone's.
        for (const [screen, size] of [['desktop', { width: 1100, height: 700 }],
          ['phone', { width: 390, height: 844 }]]) {
          const times = { velorix: {}, bare: {} };
          let rescaled = 0;
          for (let n = 0; n < loads; n += 1) {
            for (const [name, url] of [['velorix', server.url], ['bare', bare.url]]) {
              const cold = await browser.open(url, size);
              await cold.waitFor(() => document.documentElement.dataset.state === 'ready'
                && performance.getEntriesByName('first-contentful-paint').length);
              const marks = await cold.evaluate(() => Object.fromEntries(
                [...performance.getEntriesByType('mark'), ...performance.getEntriesByType('paint')]
                  .filter((e) => /^velorix-|contentful/.test(e.name))
                  .map((e) => [e.name.replace('velorix-', ''), e.startTime])));
              for (const [mark, at] of Object.entries(marks)) (times[name][mark] ??= []).push(at);
              // The page's first script gave the window another scale than it was built with.
              if (name === 'velorix' && await cold.evaluate(
                () => document.documentElement.style.getPropertyValue('--tpp') !== '')) rescaled += 1;
              await cold.close();
            }
          }
          const ms = (xs) => `${median(xs).toFixed(1)} ms`;
          const ratio = (mark) => (median(times.velorix[mark]) / median(times.bare[mark])).toFixed(2);
          console.log(`${engine}, ${screen} ${size.width}×${size.height}, medians of ${loads} `
            + `cold loads: first contentful paint ${ms(times.velorix['first-contentful-paint'])}, `
            + `bare page ${ms(times.bare['first-contentful-paint'])}, ratio `
            + `${ratio('first-contentful-paint')} (limit 1.15); ready ${ms(times.velorix.ready)}, `
            + `bare page ${ms(times.bare.ready)}, ratio ${ratio('ready')} (limit 1.25); `
            + `scale changed by the page in ${rescaled} of ${loads} loads`);
          console.log(`  marks: ${['head', 'compiled', 'instantiated', 'ready']
            .map((mark) => `${mark} ${ms(times.velorix[mark])}`).join(', ')}`);
        }
      } finally {
        await browser.close();
      }
    }
  } finally {
    await bare.stop();
    await server.stop();
    fs.rmSync(bareFolder, { recursive: true });
  }
})();
