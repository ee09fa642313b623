// SPDX-License-Identifier: GPL-3.0-or-later
// Size and speed of the web edition in headless Chromium: what the page loads, gzip-compressed;
// the time from navigation to the window's Load having run, median of cold loads; and one
// keystroke of the coupled g-force fields.
//   node bench.js [LOADS]
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { serve, site } = require('./harness');
const { launch } = require('./engines');

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

(async () => {
  const loads = Number(process.argv[2] || 20);
  const server = await serve(Number(process.env.VELORIX_BENCH_PORT || 8110));
  const browser = await launch('chromium', { locale: 'de-DE' });
  try {
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
      + `${(packed / 1024).toFixed(1)} KB gzip-compressed (limit 100 KB)`);

    // One keystroke of the longest chain: the g-force field and its m/k² twin rewrite each other.
    // Measured first, while no closing context still keeps the browser busy.
    const warm = await browser.open(server.url);
    await warm.waitFor(() => document.documentElement.dataset.state === 'ready');
    await warm.click('#optGForce');
    const perKey = await warm.evaluate(() => {
      const field = document.getElementById('txtGForce');
      const texts = ['1,23', '1,5', '2,75', '0,9'];
      const rounds = [];
      for (let r = 0; r < 15; r += 1) {
        const start = performance.now();
        for (let k = 0; k < 400; k += 1) {
          field.value = texts[k % texts.length];
          field.dispatchEvent(new InputEvent('input', { bubbles: true }));
        }
        rounds.push((performance.now() - start) / 400);
      }
      return rounds.sort((a, b) => a - b)[7];
    });
    console.log(`keystroke of the g-force chain: median ${(perKey * 1000).toFixed(1)} µs (limit 50 µs)`);

    // Cold loads: a fresh context each time, so neither cache nor service worker helps. For
    // comparison, alternately, a bare page that is ready as soon as its one script runs.
    const bareFolder = fs.mkdtempSync(path.join(os.tmpdir(), 'velorix-bare-'));
    fs.writeFileSync(path.join(bareFolder, 'index.html'), '<!DOCTYPE html><title>bare</title>'
      + '<script>document.documentElement.dataset.state="ready";performance.mark("velorix-ready")'
      + '</script>');
    const bare = await serve(Number(process.env.VELORIX_BENCH_PORT || 8110) + 1, bareFolder);
    const ready = { velorix: [], bare: [] };
    for (let n = 0; n < loads; n += 1) {
      for (const [name, url] of [['velorix', server.url], ['bare', bare.url]]) {
        const cold = await browser.open(url);
        await cold.waitFor(() => document.documentElement.dataset.state === 'ready');
        ready[name].push(await cold.evaluate(
          () => performance.getEntriesByName('velorix-ready')[0].startTime));
        await cold.close();
      }
    }
    await bare.stop();
    fs.rmSync(bareFolder, { recursive: true });
    for (const [name, times] of Object.entries(ready)) {
      console.log(`${name} page ready after navigation: median ${median(times).toFixed(1)} ms of `
        + `${loads} cold loads (min ${Math.min(...times).toFixed(1)}, max `
        + `${Math.max(...times).toFixed(1)})${name === 'velorix' ? '; limit 150 ms' : ''}`);
    }

  } finally {
    await browser.close();
    await server.stop();
  }
})();
