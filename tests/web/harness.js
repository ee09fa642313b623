// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the built web folder on localhost, for the browser tests and the benchmark alike.
'use strict';
const { spawn } = require('node:child_process');
const path = require('node:path');

const site = process.env.VELORIX_SITE || path.join(__dirname, '../../build-web/site');

// python3's http.server on the folder, started and stopped by the caller; resolves once it
// answers. `requests` lists the paths asked for since then, in order, as its log says.
async function serve(port, folder = site) {
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1'], {
    cwd: folder, stdio: ['ignore', 'ignore', 'pipe'],
  });
  const requests = [];
  let rest = '';
  server.stderr.setEncoding('utf8').on('data', (chunk) => {
    const lines = (rest + chunk).split('\n');
    rest = lines.pop();
    for (const line of lines) {
      const asked = /"GET ([^ ]+) HTTP/.exec(line);
      if (asked) requests.push(asked[1]);
    }
  });
  const url = `http://127.0.0.1:${port}/`;
  const probe = `/?ready`;
  for (let tries = 0; tries < 100; tries += 1) {
    try {
      await fetch(url + probe.slice(1));
      // The server logs a request after answering it: the probe's line may come later than the
      // answer, and must not count as the page's first request.
      for (let waits = 0; waits < 100 && !requests.includes(probe); waits += 1) {
        await new Promise((done) => setTimeout(done, 10));
      }
      requests.length = 0;
      return {
        url, requests,
        stop: () => new Promise((done) => {
          if (server.exitCode !== null || server.signalCode !== null) { done(); return; }
          server.once('exit', done);
          server.kill();
        }),
      };
    } catch {
      await new Promise((done) => setTimeout(done, 50));
    }
  }
  server.kill();
  throw new Error(`no server on ${url}`);
}

// A fresh page of one engine's browser at the window, ready, with every report it opens
// counted in window.reports.
async function openWindow(browser, url, size) {
  const page = await browser.open(url, size);
  await page.waitFor(() => document.documentElement.dataset.state === 'ready');
  await page.evaluate(() => {
    window.reports = [];
    const show = HTMLDialogElement.prototype.showModal;
    HTMLDialogElement.prototype.showModal = function counted() {
      window.reports.push(this.querySelector('.message').textContent);
      return show.call(this);
    };
  });
  return page;
}

// The engines to play in (all three unless VELORIX_ENGINES names some), and the ports and X
// displays of the tests: n above VELORIX_TEST_PORT and VELORIX_TEST_DISPLAY.
const engines = (process.env.VELORIX_ENGINES || 'chromium,firefox,webkit').split(',');
const port = (n) => Number(process.env.VELORIX_TEST_PORT || 8101) + n;
const display = (n) => `:${Number((process.env.VELORIX_TEST_DISPLAY || ':99').slice(1)) + n}`;

module.exports = { serve, site, openWindow, engines, port, display };
