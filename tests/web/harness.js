// SPDX-License-Identifier: GPL-3.0-or-later
// Serves the built web folder on localhost and drives Debian's Chromium headless, for the
// browser tests and the benchmark alike.
'use strict';
const { spawn } = require('node:child_process');
const path = require('node:path');
const { chromium } = require('playwright-core');

const site = process.env.VELORIX_SITE || path.join(__dirname, '../../build-web/site');

// python3's http.server on the folder, started and stopped by the caller; resolves once it
// answers.
async function serve(port, folder = site) {
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1'], {
    cwd: folder, stdio: 'ignore',
  });
  const url = `http://127.0.0.1:${port}/`;
  for (let tries = 0; tries < 100; tries += 1) {
    try {
      await fetch(url);
      return { url, stop: () => new Promise((done) => { server.once('exit', done); server.kill(); }) };
    } catch {
      await new Promise((done) => setTimeout(done, 50));
    }
  }
  server.kill();
  throw new Error(`no server on ${url}`);
}

function launch() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// A fresh page in the given language (and on the given device), with every opened report counted.
async function open(browser, url, locale, device = {}) {
  const context = await browser.newContext({ locale, ...device });
  await context.addInitScript(() => {
    window.reports = [];
    const show = HTMLDialogElement.prototype.showModal;
    HTMLDialogElement.prototype.showModal = function counted() {
      window.reports.push(this.textContent);
      return show.call(this);
    };
  });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => document.documentElement.dataset.state === 'ready');
  return page;
}

module.exports = { serve, launch, open, site };
