// SPDX-License-Identifier: GPL-3.0-or-later
// One small driver for the three browser engines the web edition is played in, so that a test
// file is written once and runs in each: Debian's Chromium (puppeteer-core over CDP), Firefox ESR
// (puppeteer-core over WebDriver BiDi) and WebKitGTK (its WebKitWebDriver, spoken to over plain
// HTTP, with MiniBrowser under an Xvfb of its own).
//
//   const { launch, names } = require('./engines');
//   const browser = await launch('firefox', { locale: 'de-DE' }); // names: chromium firefox webkit
//   // scheme 'dark' for the dark colour scheme; touch for a touch screen as a phone has
//   // (any-pointer: coarse); WebKitGTK knows no touch, and Firefox takes both only at launch.
//   const phone = await launch('chromium', { locale: 'de-DE', scheme: 'dark', touch: true });
//   const page = await browser.open(url, { width: 800, height: 600 }); // a fresh page, loaded
//   // scale: device pixels per CSS pixel (not in WebKit); MiniBrowser's window goes no narrower
//   // than 447 CSS px, so a narrower width there gives that.
//   await page.goto(url);                 // load another address in the same page
//   await page.evaluate(fn, ...args);     // runs fn(...args) in the page; its JSON-able result
//   await page.waitFor(fn, ...args);      // until fn(...args) is truthy (30 s at most); as for
//                                         // evaluate, return plain values, not elements
//   await page.click('#cmdBrake');        // real mouse press and release at the element's middle
//   await page.click({ x, y }, { count: 2 }); // or at a point; count 2 is a double click
//   await page.tap('#cmdBrake');          // a finger's tap, where the browser has touch; a
//                                         // click where it has not (WebKit)
//   await page.drag(from, to);            // press at one selector or point, release at another
//   await page.press('Shift+Tab');        // one key chord: Tab Enter Escape End Home Backspace
//                                         // ArrowUp/Down/Left/Right Space, with Shift/Control
//   await page.type('-32769');            // characters as real key presses
//   await page.screenshot('/tmp/x.png');  // what the viewport shows, as PNG
//   await page.close(); await browser.close();
// browser.name is the engine's name; browser.locale the language the pages report.
// Offline is not switched per engine: stop the server instead.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const names = ['chromium', 'firefox', 'webkit'];
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// A function and its arguments as the text of an expression the page evaluates.
const call = (fn, args) => `(${fn})(...${JSON.stringify(args)})`;

// Asks until the answer is truthy; a page that is being replaced answers with an error, which
// counts as not yet.
async function poll(check, what, timeout = 30000) {
  const end = Date.now() + timeout;
  for (;;) {
    let failure = '';
    try {
      const value = await check();
      if (value) return value;
    } catch (error) {
      failure = `: ${error.message}`;
    }
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}${failure}`);
    await sleep(25);
  }
}

// Where a selector's element has its middle, in viewport pixels, scrolled into view first.
const middle = (page, target) => (typeof target === 'string'
  ? page.evaluate((s) => {
    const el = document.querySelector(s);
    el.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    const r = el.getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
  }, target)
  : target);

// ---- Chromium and Firefox through puppeteer-core ----

async function puppeteerBrowser(name, locale, scheme, touch) {
  const puppeteer = require('puppeteer-core');
  const chromium = name === 'chromium';
  const options = chromium ? {
    browser: 'chrome',
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    // The sandbox cannot start as root, which is how a fresh Debian root runs the tests.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', 
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  } : {
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    // Over BiDi neither the colour scheme nor a coarse pointer can be emulated per page.
    extraPrefsFirefox: { 'intl.accept_languages': locale, 'intl.locale.requested': locale,
      'layout.css.prefers-color-scheme.content-override': scheme === 'dark' ? 0 : 1,
      ...(touch && { 'ui.primaryPointerCapabilities': 1, 'ui.allPointerCapabilities': 1 }) },
  };
  const browser = await puppeteer.launch({ headless: true, protocolTimeout: 60000, ...options });
  const keys = { Control: 'Control', Shift: 'Shift', Space: ' ' }; // BiDi knows no "Space"
  return {
    name,
    locale,
    async open(url, { width = 800, height = 600, scale = 1 } = {}) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width, height, deviceScaleFactor: scale, isMobile: touch,
        hasTouch: touch });
      if (chromium) {
        await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
        // The page's language, as navigator.language, Intl and the HTTP server see it.
        const cdp = await page.createCDPSession();
        await cdp.send('Emulation.setUserAgentOverride',
          { userAgent: await browser.userAgent(), acceptLanguage: locale });
        await cdp.send('Emulation.setLocaleOverride', { locale });
      }
      const driver = {
        goto: (to) => page.goto(to).then(() => undefined),
        evaluate: (fn, ...args) => page.evaluate(call(fn, args)),
        waitFor: (fn, ...args) => poll(() => page.evaluate(call(fn, args)), String(fn)),
        async click(target, { count = 1 } = {}) {
          const { x, y } = await middle(driver, target);
          await page.mouse.click(x, y, { count });
        },
        async tap(target) {
          const { x, y } = await middle(driver, target);
          await page[touch ? 'touchscreen' : 'mouse'][touch ? 'tap' : 'click'](x, y);
        },
        async drag(from, to) {
          const a = await middle(driver, from);
          const b = await middle(driver, to);
          await page.mouse.move(a.x, a.y);
          await page.mouse.down();
          await page.mouse.move(b.x, b.y, { steps: 5 });
          await page.mouse.up();
        },
        async press(chord) {
          const parts = chord.split('+');
          const key = parts.pop();
          for (const m of parts) await page.keyboard.down(keys[m]);
          await page.keyboard.press(keys[key] ?? key);
          for (const m of parts.reverse()) await page.keyboard.up(keys[m]);
        },
        type: (text) => page.keyboard.type(text),
        screenshot: (file) => page.screenshot({ path: file }).then(() => undefined),
        close: () => context.close(),
      };
      if (url) await driver.goto(url);
      return driver;
    },
    close: () => browser.close(),
  };
}

// ---- WebKit through WebKitWebDriver ----

// The keys' code points in the WebDriver protocol.
const webdriverKeys = {
  Tab: '\uE004', Enter: '\uE007', Escape: '\uE00C', Shift: '\uE008', Control: '\uE009',
  Backspace: '\uE003', Delete: '\uE017', End: '\uE010', Home: '\uE011', ArrowLeft: '\uE012',
  ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Space: '\uE00D',
};

function child(command, args, env) {
  const proc = spawn(command, args, { env: { ...process.env, ...env }, stdio: 'ignore' });
  proc.on('error', () => {});
  return {
    stop: () => new Promise((done) => {
      if (proc.exitCode !== null || proc.signalCode) { done(); return; }
      proc.once('exit', done);
      proc.kill();
    }),
  };
}

async function webkitBrowser(locale, { display, port, scheme }) {
  const lang = `${locale.replace('-', '_')}.UTF-8`;
  const xvfb = child('Xvfb', [display, '-screen', '0', '1280x1024x24', '-nolisten', 'tcp', '-noreset']);
  const driverProc = child(process.env.WEBKITWEBDRIVER || 'WebKitWebDriver', [`--port=${port}`],
    { DISPLAY: display, LANG: lang, LC_ALL: lang, LANGUAGE: locale.replace('-', '_') });
  const base = `http://127.0.0.1:${port}`;
  const stopAll = () => Promise.all([driverProc.stop(), xvfb.stop()]);
  const request = async (method, url, body) => {
    const response = await fetch(`${base}${url}`, {
      method, headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${url}: ${answer.value?.message}`);
    return answer.value;
  };
  try {
    await poll(() => fetch(`${base}/status`).then((r) => r.ok, () => false), 'WebKitWebDriver');
  } catch (error) {
    await stopAll();
    throw error;
  }
  const miniBrowser = process.env.MINIBROWSER
    || [`/usr/lib/${os.arch() === 'arm64' ? 'aarch64' : 'x86_64'}-linux-gnu/webkit2gtk-4.1/MiniBrowser`]
      .find((p) => fs.existsSync(p));
  const sessions = new Set();
  return {
    name: 'webkit',
    locale,
    async open(url, { width = 800, height = 600 } = {}) {
      // One MiniBrowser per page: a fresh profile, as a new browser context is elsewhere.
      const { sessionId } = await request('POST', '/session', {
        capabilities: { alwaysMatch: { browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': { binary: miniBrowser,
            args: ['--automation', ...(scheme === 'dark' ? ['--dark-mode'] : [])] } } },
      });
      sessions.add(sessionId);
      const s = (url2) => `/session/${sessionId}${url2}`;
      await request('POST', s('/timeouts'), { script: 60000, pageLoad: 60000 });
      const evaluate = async (fn, ...args) => {
        const result = await request('POST', s('/execute/async'), {
          script: `const done = arguments[0];
            Promise.resolve().then(() => ${call(fn, args)})
              .then((value) => done({ value: value === undefined ? null : value }),
                (error) => done({ error: String(error && error.stack || error) }));`,
          args: [],
        });
        if (result.error) throw new Error(result.error);
        return result.value;
      };
      // The window's size includes MiniBrowser's toolbar: correct by what the page sees.
      await request('POST', s('/window/rect'), { width, height });
      const inner = await evaluate(() => [innerWidth, innerHeight]);
      await request('POST', s('/window/rect'),
        { width: 2 * width - inner[0], height: 2 * height - inner[1] });
      const pointer = (steps) => request('POST', s('/actions'), { actions: [{
        type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: steps }] });
      const keys = (steps) => request('POST', s('/actions'), { actions: [{
        type: 'key', id: 'keyboard', actions: steps }] });
      const at = ({ x, y }) => ({ type: 'pointerMove', x: Math.round(x), y: Math.round(y),
        origin: 'viewport', duration: 0 });
      const driver = {
        goto: (to) => request('POST', s('/url'), { url: to }).then(() => undefined),
        evaluate,
        waitFor: (fn, ...args) => poll(() => evaluate(fn, ...args), String(fn)),
        async click(target, { count = 1 } = {}) {
          const point = await middle(driver, target);
          const steps = [at(point)];
          for (let n = 0; n < count; n += 1) {
            steps.push({ type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 });
          }
          await pointer(steps);
        },
        // WebKitGTK's driver has no touch (its touch actions arrive as a mouse): a tap is a click.
        tap: (target) => driver.click(target),
        async drag(from, to) {
          const a = await middle(driver, from);
          const b = await middle(driver, to);
          await pointer([at(a), { type: 'pointerDown', button: 0 },
            { ...at(b), duration: 100 }, { type: 'pointerUp', button: 0 }]);
        },
        press(chord) {
          const parts = chord.split('+').map((k) => webdriverKeys[k] ?? k);
          return keys([...parts.map((value) => ({ type: 'keyDown', value })),
            ...parts.reverse().map((value) => ({ type: 'keyUp', value }))]);
        },
        type: (text) => keys([...text].flatMap((value) => [{ type: 'keyDown', value },
          { type: 'keyUp', value }])),
        async screenshot(file) {
          // The first picture after a resize can come back blank: let two frames pass.
          await evaluate(() => new Promise((done) => requestAnimationFrame(
            () => requestAnimationFrame(done))));
          fs.writeFileSync(file, Buffer.from(await request('GET', s('/screenshot')), 'base64'));
        },
        async close() {
          sessions.delete(sessionId);
          await request('DELETE', s('')).catch(() => {});
        },
      };
      if (url) await driver.goto(url);
      return driver;
    },
    async close() {
      for (const id of sessions) await request('DELETE', `/session/${id}`).catch(() => {});
      await stopAll();
    },
  };
}

// Starts one engine whose pages report the given language. WebKit needs an X display and a
// port of its own for its driver.
function launch(name, { locale = 'de-DE', display = ':40', port = 8129, scheme = 'light',
  touch = false } = {}) {
  if (name === 'webkit') return webkitBrowser(locale, { display, port, scheme });
  if (names.includes(name)) return puppeteerBrowser(name, locale, scheme, touch);
  throw new Error(`no engine ${name}; there are ${names.join(', ')}`);
}

module.exports = { launch, names, sleep };
