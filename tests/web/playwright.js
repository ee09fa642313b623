// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's Chromium through playwright-core, for the tests that emulate a phone (touch, device
// pixels, colour scheme) and the announcement checks, which the three-engine driver does not
// offer yet.
'use strict';
const { chromium } = require('playwright-core');

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

module.exports = { launch, open };
