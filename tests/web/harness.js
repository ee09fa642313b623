// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests and the benchmark share: a static server for the built folder, the
// window opened ready, and `test`, node's own, which keeps the evidence of a test that fails.
'use strict';
const assert = require('node:assert/strict');
const { createHash } = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const nodeTest = require('node:test');
const { watch } = require('./engines');

const site = process.env.VELORIX_SITE || path.join(__dirname, '../../build-web/site');
const evidenceRoot = process.env.VELORIX_EVIDENCE || path.join(site, '../test-evidence');
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml' };
const servers = new Set();

// A static server on a free port of localhost, answering as a plain web host would: each
// file with its type and an entity tag drawn from its content, and "not modified" to a request
// that names the tag it has. So a changed file is told by its bytes, not by the clock. No
// freshness is given: a browser must ask again before it reuses a copy, which is the hardest
// case for the page's promise of one download per file. `requests` lists every request in
// order: its path, milliseconds since the server started, who asked (the browser's
// Sec-Fetch-Dest), the answer's status and the tag of what was sent.
async function serve(folder = site) {
  const requests = [];
  const started = Date.now();
  const server = http.createServer((request, response) => {
    const { pathname } = new URL(request.url, 'http://localhost');
    const entry = { path: request.url, at: Date.now() - started,
      dest: request.headers['sec-fetch-dest'] ?? '', status: 404, tag: '' };
    requests.push(entry);
    const file = path.join(folder, decodeURIComponent(pathname) + (pathname.endsWith('/') ? 'index.html' : ''));
    let body = null;
    if (file.startsWith(path.join(folder, path.sep)) && request.method === 'GET') {
      try { body = fs.readFileSync(file); } catch { /* answered as not found */ }
    }
    if (!body) {
      response.writeHead(404).end();
      return;
    }
    entry.tag = `"${createHash('sha256').update(body).digest('hex').slice(0, 16)}"`;
    entry.status = request.headers['if-none-match'] === entry.tag ? 304 : 200;
    response.writeHead(entry.status, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream',
      ETag: entry.tag });
    response.end(entry.status === 200 ? body : undefined);
  });
  await new Promise((listening, failed) => {
    server.once('error', failed);
    server.listen(0, '127.0.0.1', listening);
  });
  const url = `http://127.0.0.1:${server.address().port}/`;
  const served = {
    url,
    requests,
    stop: () => new Promise((done) => {
      server.close(done);
      server.closeAllConnections();
    }),
  };
  servers.add(served);
  return served;
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

// node:test's test, which also fails when a page it opened broke its Content-Security-Policy
// (unless the test took the refusal with page.violations()), and on a failure keeps in a folder
// of its own, named in the failure, what shows what went wrong: a picture of each page the test opened, as it stood at the failure,
// with the page's console messages, the engine and its version, and every request the test's
// servers saw while it ran.
let failures = 0;
function test(name, options, body) {
  return nodeTest.test(name, options, async (context) => {
    const pages = watch();
    const from = new Map([...servers].map((s) => [s, s.requests.length]));
    try {
      await body(context);
      const refused = [...pages.violations];
      for (const page of pages.opened.filter((p) => !p.closed)) refused.push(...await page.violations());
      assert.deepEqual(refused, [], 'the page broke its Content-Security-Policy');
    } catch (error) {
      const folder = path.join(evidenceRoot, `${process.pid}-${(failures += 1)}-${name
        .toLowerCase().replace(/[^a-z0-9]+/g, '-').slice(0, 60)}`);
      fs.mkdirSync(folder, { recursive: true });
      const about = [`test: ${name}`, `error: ${error.stack ?? error}`];
      for (const [n, page] of pages.opened.filter((p) => !p.closed).entries()) {
        about.push(`page ${n + 1}: ${page.engine}`);
        await page.screenshot(path.join(folder, `page-${n + 1}.png`))
          .catch((why) => about.push(`  no picture: ${why.message}`));
        fs.writeFileSync(path.join(folder, `page-${n + 1}-console.txt`), (await page.messages()).join('\n'));
      }
      const asked = [...servers].flatMap((s) => s.requests.slice(from.get(s) ?? 0)
        .map((r) => `${s.url} ${r.at} ms ${r.path} ${r.dest} ${r.status} ${r.tag}`));
      fs.writeFileSync(path.join(folder, 'requests.txt'), asked.join('\n'));
      fs.writeFileSync(path.join(folder, 'test.txt'), about.join('\n'));
      error.message = `${error.message}\nevidence kept in ${folder}`;
      throw error;
    } finally {
      await pages.release();
    }
  });
}

module.exports = { serve, site, openWindow, test };
