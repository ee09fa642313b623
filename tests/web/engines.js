// SPDX-License-Identifier: GPL-3.0-or-later
// One small driver for the three browser engines the web edition is played in, so that a test
// file is written once and runs in each: Debian's Chromium (puppeteer-core over CDP), Firefox ESR
// (puppeteer-core over WebDriver BiDi) and WebKitGTK (its WebKitWebDriver, spoken to over plain
// HTTP, with MiniBrowser under an Xvfb of its own).
//
//   const { launch, names, chosen } = require('./engines');
//   const browser = await launch('firefox', { locale: 'de-DE' }); // names: chromium firefox webkit
//   // chosen: the engines VELORIX_ENGINES names (all three unless set)
//   // scheme 'dark' for the dark colour scheme; touch for a touch screen as a phone has
//   // (any-pointer: coarse); WebKitGTK knows no touch, and Firefox takes both only at launch.
//   const phone = await launch('chromium', { locale: 'de-DE', scheme: 'dark', touch: true });
//   const page = await browser.open(url, { width: 800, height: 600 }); // a fresh page, loaded
//   // scale: device pixels per CSS pixel, scripts: false for a page without its scripts (neither
//   // in WebKit); MiniBrowser's window goes no narrower than 447 CSS px, so a narrower width
//   // there gives that.
//   await page.goto(url);                 // load another address in the same page
//   await page.evaluate(fn, ...args);     // runs fn(...args) in the page; its JSON-able result
//   await page.waitFor(fn, ...args);      // until fn(...args) is truthy (30 s at most); as for
//                                         // evaluate, return plain values, not elements
//   await page.run(source);               // a script's text run in the page as the driver's own,
//                                         // which the page's policy does not hold back
//   await until(check, what);             // until check() in node is truthy (30 s at most)
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
// browser.name is the engine's name; browser.locale the language the pages report. Each page
// keeps page.engine, the engine with its version, page.messages(), what its console said, and
// page.violations(), what its Content-Security-Policy refused, each as "directive what"; WebKit's
// driver can run a script only once a page has loaded, so there both tell what came after the
// driver's last navigation. page.tolerate(pattern): refusals matching it are the test's own,
// heard or not (in WebKit a refusal during the load may come just before or just after the
// driver starts listening), and page.violations() leaves them out.
// Offline is not switched per engine: stop the server instead.
// Every browser starts cold: a new process with a home folder of its own (no profile, no font
// cache), and its X server and driver (WebKit) on a display and a port found free.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');

const names = ['chromium', 'firefox', 'webkit'];
const chosen = (process.env.VELORIX_ENGINES || names.join(',')).split(',');
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// A home folder of its own for each browser, removed with it where it can be: a browser's
// helper process may still be writing there for a moment after the browser has gone, so the
// test command also empties the folder of all homes (VELORIX_HOMES) at the end of a run.
function freshHome() {
  const base = process.env.VELORIX_HOMES || os.tmpdir();
  fs.mkdirSync(base, { recursive: true });
  const home = fs.mkdtempSync(path.join(base, 'velorix-home-'));
  return {
    env: { HOME: home, XDG_CACHE_HOME: path.join(home, '.cache'),
      XDG_CONFIG_HOME: path.join(home, '.config'), XDG_DATA_HOME: path.join(home, '.local/share') },
    remove() {
      try {
        fs.rmSync(home, { recursive: true, force: true, maxRetries: 5 });
      } catch { /* left to the end of the run */ }
    },
  };
}

// The pages opened while a test runs, for its evidence. A page the test closes stays open
// until the test ends or opens another page (WebKit's driver holds one at a time), so that a
// failure can still be pictured. watch() starts a record; record.release() closes every page
// the test opened, whether it got to close it or not.
const records = new Set();
let held = [];
async function closeHeld() {
  const closes = held;
  held = [];
  for (const close of closes) await close();
}
function watch() {
  const record = { opened: [], violations: [] };
  record.release = async () => {
    records.delete(record);
    await closeHeld();
    for (const page of record.opened) await page.close();
  };
  records.add(record);
  return record;
}
function watched(driver, close) {
  const really = async () => {
    if (driver.closed) return;
    const refused = await driver.violations();
    for (const record of records) record.violations.push(...refused);
    driver.closed = true;
    await close();
  };
  const heard = driver.violations;
  const tolerated = [];
  driver.tolerate = (pattern) => { tolerated.push(pattern); };
  driver.violations = async () => (await heard()).filter((v) => !tolerated.some((p) => p.test(v)));
  for (const record of records) record.opened.push(driver);
  driver.closed = false;
  driver.close = () => {
    if (!records.size) return really();
    held.push(really);
    return Promise.resolve();
  };
  return driver;
}

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
  const home = freshHome();
  const browser = await puppeteer.launch({ headless: true, protocolTimeout: 60000,
    env: { ...process.env, ...home.env }, ...options });
  const engine = `${name} ${await browser.version()}`;
  const keys = { Control: 'Control', Shift: 'Shift', Space: ' ' }; // BiDi knows no "Space"
  return {
    name,
    locale,
    async open(url, { width = 800, height = 600, scale = 1, scripts = true } = {}) {
      await closeHeld();
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      if (!scripts) await page.setJavaScriptEnabled(false);
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
      const messages = [];
      page.on('console', (m) => messages.push(`${m.type()}: ${m.text()}`));
      page.on('pageerror', (error) => messages.push(`uncaught: ${error.message}`));
      // Heard from the start of every document the page loads, before any script of its own.
      const violations = [];
      await page.exposeFunction('velorixViolation', (what) => { violations.push(what); });
      await page.evaluateOnNewDocument(() => addEventListener('securitypolicyviolation',
        (event) => velorixViolation(`${event.effectiveDirective} ${event.blockedURI}`)));
      const driver = {
        engine,
        messages: async () => messages,
        violations: async () => violations.splice(0),
        goto: (to) => page.goto(to).then(() => undefined),
        evaluate: (fn, ...args) => page.evaluate(call(fn, args)),
        run: (source) => page.evaluate(source).then(() => undefined),
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
      };
      watched(driver, () => context.close());
      if (url) await driver.goto(url);
      return driver;
    },
    async close() {
      await browser.close();
      home.remove();
    },
  };
}

// ---- WebKit through WebKitWebDriver ----

// The keys' code points in the WebDriver protocol.
const webdriverKeys = {
  Tab: '\uE004', Enter: '\uE007', Escape: '\uE00C', Shift: '\uE008', Control: '\uE009',
  Backspace: '\uE003', Delete: '\uE017', End: '\uE010', Home: '\uE011', ArrowLeft: '\uE012',
  ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Space: '\uE00D',
};

// A child process, with its descriptor 3 a pipe if told; stop() ends it and waits.
function child(command, args, { env = {}, fd3 = false } = {}) {
  const proc = spawn(command, args, { env: { ...process.env, ...env },
    stdio: ['ignore', 'ignore', 'ignore', ...(fd3 ? ['pipe'] : [])] });
  proc.on('error', () => {});
  const ended = new Promise((done) => proc.once('close', done));
  return {
    proc,
    ended,
    stop() {
      if (proc.exitCode === null && !proc.signalCode) proc.kill();
      return ended;
    },
  };
}

// An X server on a display it finds free itself, which it names on its descriptor 3.
async function xServer() {
  const server = child('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten',
    'tcp', '-noreset'], { fd3: true });
  let said = '';
  const number = await new Promise((found, failed) => {
    server.proc.stdio[3].setEncoding('utf8').on('data', (chunk) => {
      said += chunk;
      if (said.includes('\n')) found(said.trim());
    });
    server.ended.then(() => failed(new Error('Xvfb ended without a display')));
  });
  return { display: `:${number}`, stop: server.stop };
}

const freePort = () => new Promise((found, failed) => {
  const probe = net.createServer();
  probe.once('error', failed);
  probe.listen(0, '127.0.0.1', () => {
    const { port } = probe.address();
    probe.close(() => found(port));
  });
});

async function webkitBrowser(locale, { scheme }) {
  const lang = `${locale.replace('-', '_')}.UTF-8`;
  const home = freshHome();
  const x = await xServer();
  // A port found free may be taken again before the driver listens on it: then it ends at
  // once, and another is tried.
  let driverProc;
  let base;
  for (let tries = 0; !base; tries += 1) {
    const port = await freePort();
    driverProc = child(process.env.WEBKITWEBDRIVER || 'WebKitWebDriver', [`--port=${port}`], {
      env: { ...home.env, DISPLAY: x.display, LANG: lang, LC_ALL: lang,
        LANGUAGE: locale.replace('-', '_') } });
    const up = await poll(() => (driverProc.proc.exitCode !== null ? 'ended'
      : fetch(`http://127.0.0.1:${port}/status`).then((r) => r.ok && 'up', () => false)),
    'WebKitWebDriver').catch((error) => error);
    if (up === 'up') base = `http://127.0.0.1:${port}`;
    else if (up !== 'ended' || tries === 4) {
      await Promise.all([driverProc.stop(), x.stop()]);
      home.remove();
      throw up instanceof Error ? up : new Error('WebKitWebDriver does not start');
    }
  }
  const stopAll = async () => {
    await Promise.all([driverProc.stop(), x.stop()]);
    home.remove();
  };
  const request = async (method, url, body) => {
    const response = await fetch(`${base}${url}`, {
      method, headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${url}: ${answer.value?.message}`);
    return answer.value;
  };
  const miniBrowser = process.env.MINIBROWSER
    || [`/usr/lib/${os.arch() === 'arm64' ? 'aarch64' : 'x86_64'}-linux-gnu/webkit2gtk-4.1/MiniBrowser`]
      .find((p) => fs.existsSync(p));
  const sessions = new Set();
  return {
    name: 'webkit',
    locale,
    async open(url, { width = 800, height = 600 } = {}) {
      await closeHeld();
      // One MiniBrowser per page: a fresh profile, as a new browser context is elsewhere.
      const { sessionId, capabilities } = await request('POST', '/session', {
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
      // The window's size includes MiniBrowser's toolbar: correct it by what the page sees,
      // once the page has seen the window's new size. A window that gets no smaller stays.
      const innerSize = () => evaluate(() => [innerWidth, innerHeight]);
      let inner = await innerSize();
      let outer = await request('GET', s('/window/rect'));
      for (let n = 0; n < 4 && (inner[0] !== width || inner[1] !== height); n += 1) {
        const now = await request('POST', s('/window/rect'), {
          width: outer.width + width - inner[0], height: outer.height + height - inner[1] });
        if (now.width === outer.width && now.height === outer.height) break;
        outer = now;
        const before = inner;
        inner = await poll(async () => {
          const seen = await innerSize();
          return (seen[0] !== before[0] || seen[1] !== before[1]) && seen;
        }, 'the page to see its window resized');
      }
      const pointer = (steps) => request('POST', s('/actions'), { actions: [{
        type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: steps }] });
      const keys = (steps) => request('POST', s('/actions'), { actions: [{
        type: 'key', id: 'keyboard', actions: steps }] });
      const at = ({ x, y }) => ({ type: 'pointerMove', x: Math.round(x), y: Math.round(y),
        origin: 'viewport', duration: 0 });
      const driver = {
        engine: `webkit ${capabilities.browserVersion}`,
        messages: () => evaluate(() => window.velorixConsole ?? []).catch(() => []),
        violations: () => evaluate(() => (window.velorixViolations ?? []).splice(0)).catch(() => []),
        async goto(to) {
          await request('POST', s('/url'), { url: to });
          await evaluate(() => {
            window.velorixConsole = [];
            for (const type of ['log', 'info', 'warn', 'error']) {
              const write = console[type];
              console[type] = (...args) => {
                window.velorixConsole.push(`${type}: ${args.join(' ')}`);
                write.apply(console, args);
              };
            }
            addEventListener('error', (event) => window.velorixConsole.push(`uncaught: ${event.message}`));
            window.velorixViolations = [];
            addEventListener('securitypolicyviolation', (event) => window.velorixViolations
              .push(`${event.effectiveDirective} ${event.blockedURI}`));
          });
        },
        evaluate,
        run: (source) => request('POST', s('/execute/sync'), { script: source, args: [] })
          .then(() => undefined),
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
      };
      watched(driver, async () => {
        sessions.delete(sessionId);
        await request('DELETE', s('')).catch(() => {});
      });
      if (url) await driver.goto(url);
      return driver;
    },
    async close() {
      for (const id of sessions) await request('DELETE', `/session/${id}`).catch(() => {});
      await stopAll();
    },
  };
}

// Starts one engine whose pages report the given language.
function launch(name, { locale = 'de-DE', scheme = 'light', touch = false } = {}) {
  if (name === 'webkit') return webkitBrowser(locale, { scheme });
  if (names.includes(name)) return puppeteerBrowser(name, locale, scheme, touch);
  throw new Error(`no engine ${name}; there are ${names.join(', ')}`);
}

module.exports = { launch, names, chosen, watch, until: poll };
