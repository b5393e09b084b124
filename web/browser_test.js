// SPDX-License-Identifier: MIT
// What a browser adds to the page, in one engine: the same table of states
// reached as a person would, by opening a link, clicking a status and typing
// at the keyboard, over http on 127.0.0.1 and from file://. Each state is
// checked against what the page must show, and with axe-core where marked.
// Chromium and Firefox are driven through puppeteer-core, WebKit through its
// WebDriver (run this under xvfb-run). Prints the site's size and how soon the
// box takes input; saves screenshots and, where the engine prints, a PDF.
// usage: node browser_test.js SITE-DIRECTORY OUTPUT-DIRECTORY chromium|firefox|webkit|lighthouse
'use strict';
const assert = require('assert');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const {spawn} = require('child_process');
const modules = path.join(__dirname, 'node_modules');
const chromium = process.env.TAX2008_CHROMIUM || '/usr/bin/chromium';  // as the build found it, or Debian's
const batch_dir = path.join(__dirname, '..', 'app', 'testdata');  // tax2008-batch's cases, and its output

const [site_dir, out, engine] = process.argv.slice(2).map((arg, i) => i < 2 ? path.resolve(arg) : arg);
const advice = '; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign';
const jointly = 'Your 2008 tax is: $6697.50';

// Each state: how it is reached from the one before, and what the page shows
// then. `open` loads a page (with a link's fragment), `clear` empties the box,
// `status` clicks a filing status, `type` types into the box (the income's, or
// `box`) and presses Enter unless `enter` is false, `then` types into another
// box the same way, `width` sets the window's width in CSS pixels.
// `announced`: the live region says something new, led by `announced`.
const states = [
  {name: 'starting', open: 'index.html', width: 1024,
   shows: {focused: 'income', disabled: false, result: '', error: '', wide: false}},
  {name: 'refused', type: '50 000', axe: true,
   shows: {error: 'the income has a space inside it' + advice, result: '', figure: '', total_tax: ''}},
  {name: 'answered', clear: true, type: '50000', axe: true, announced: 'For a 2008 Form 1040 the tax is $8,850',
   shows: {result: 'Your 2008 tax is: $8843.75', figure: '$8,850', total_tax: '$8,843.75', error: '',
           hash: '#income=50000&status=single'}},
  {name: 'repeated', type: '', announced: 'For a 2008 Form 1040 the tax is $8,850',
   shows: {result: 'Your 2008 tax is: $8843.75'}},
  {name: 'status', status: 'married-jointly', announced: 'For a 2008 Form 1040 the tax is $6,701',
   shows: {result: jointly, figure: '$6,701', hash: '#income=50000&status=married-jointly'}},
  {name: 'stale', type: '0', enter: false, shows: {box: '500000', result: '', figure: '', total_tax: ''}},
  {name: 'worksheet', clear: true, status: 'head-of-household', type: '150000',
   shows: {result: 'Your 2008 tax is: $33683.00', figure: '$33,683.00', total_tax: '$33,683.00', worksheet: 0}},
  {name: 'dividends', status: 'single', clear: true, type: '50000', axe: true, screenshot: true, then: {box: 'qualified-dividends', type: '5000'},
   announced: 'For a 2008 Form 1040 the tax is $8,350.00',
   shows: {figure: '$8,350.00', result: 'Your 2008 tax is: $8843.75', worksheet: 14, error: '',
           hash: '#income=50000&status=single&qualified-dividends=5000'}},
  {name: 'dividends-refused', box: 'capital-gain', type: 'abc', axe: true,
   shows: {figure: '', result: '', worksheet: 0, invalid: 'capital-gain',
           error: 'Net capital gain: the amount is not a number' + advice}},
  {name: 'gain-linked', open: 'index.html#income=35000&status=single&qualified-dividends=3000&capital-gain=2000',
   shows: {figure: '$4,470.50', worksheet: 14, box: '35000', checked: 'single'}},
  {name: 'decimals', open: 'index.html#income=357700.105', shows: {figure: '$103,791.79',
   taken_to: 'Amounts are taken to the cent, halves up: the taxable income as $357,700.11.'}},
  {name: 'batch', upload: 'batch_cases.csv', axe: true, screenshot: true,
   shows: {summary: /^batch_cases\.csv: 9 rows answered, 6 refused\. The first refused: line 9, the number runs into other characters; line 10,/,
           download: 'batch_cases-tax2008.csv'}},
  {name: 'linked', open: 'index.html#income=50000&status=married-jointly', screenshot: true,
   shows: {box: '50000', checked: 'married-jointly', result: jointly, figure: '$6,701'}},
  {name: 'printed', print: true, shows: {result: jointly}},
  {name: 'phone', width: 360, open: 'index.html#income=50000&status=single', screenshot: true,
   shows: {result: 'Your 2008 tax is: $8843.75', wrapped: [], wide: false}},
  {name: 'phone-huge', width: 320, clear: true, type: '123456789012345.67',
   shows: {figure: '$43,209,876,132,917.73', wrapped: [], wide: false}},
  {name: 'phone-dividends', box: 'qualified-dividends', type: '1e14', screenshot: true,
   shows: {worksheet: 14, wrapped: [], wide: false}},
  {name: 'desktop-huge', width: 1024, clear: true, type: '1e300', shows: {wrapped: [], wide: false}},
  {name: 'dark', dark: true, width: 360, open: 'index.html#income=50000&status=single', axe: true,
   screenshot: true, shows: {dark: true, figure: '$8,850', wrapped: [], wide: false}},
  {name: 'no-webassembly', open: 'no-webassembly.html', width: 1024,
   shows: {error: /^This browser cannot run the calculator: it needs WebAssembly/, disabled: true}},
];

// Chooses `file` for the batch section, waits for the download and returns
// its bytes, with what the progress bar showed on the way.
async function convert(driver, file, unreadable = false, read = true) {
  await driver.upload('#batch-file', file);
  const start = Date.now();
  const seen = new Set();
  for (let i = 0; i < 600; ++i) {
    const now = await driver.eval(() => ({shown: !document.getElementById('batch-download').hidden,
      working: document.getElementById('batch-summary').textContent.startsWith('Working out'),
      progress: document.getElementById('batch-progress').value}));
    seen.add(now.progress);
    if (now.shown || !now.working) break;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const seconds = (Date.now() - start) / 1000;
  if (unreadable || !read || !(await driver.eval(() => !document.getElementById('batch-download').hidden))) {
    return {bytes: [], progress: seen.size, seconds};
  }
  // XMLHttpRequest: WebKit fetches no blob: URL on a page from file://.
  const bytes = await driver.eval(() => new Promise((resolve, reject) => {
    const request = new XMLHttpRequest();
    request.open('GET', document.getElementById('batch-download').href);
    request.responseType = 'arraybuffer';
    request.onload = () => resolve(Array.from(new Uint8Array(request.response)));
    request.onerror = () => reject(new Error('cannot read the download'));
    request.send();
  }));
  return {bytes, progress: seen.size, seconds};
}

// A million rows through the batch section, over http: prints how long they
// took and how many places the progress bar showed on the way.
async function million(driver, folder) {
  const file = path.join(os.tmpdir(), 'tax2008-million.csv');
  const rows = ['taxable_income,status,qualified_dividends'];
  for (let i = 1; i <= 1000000; ++i) rows.push(`${(i * 0.25) % 250000},single,${i % 5 ? '' : 1000}`);
  fs.writeFileSync(file, rows.join('\n') + '\n');
  await driver.open(folder + 'index.html');
  await new Promise((resolve) => setTimeout(resolve, 1000));
  const {progress, seconds} = await convert(driver, file, false, false);
  const summary = await driver.eval(() => document.getElementById('batch-summary').textContent);
  fs.rmSync(file);
  console.log(`${engine}: 1000000 rows in ${seconds.toFixed(1)} s, ` +
              `the progress bar at ${progress} places; ${summary}`);
  assert.match(summary, /^tax2008-million\.csv: 1000000 rows answered, 0 refused\.$/);
}

// What the page shows, read inside it.
function probe() {
  const by_id = (id) => document.getElementById(id);
  const rendered = (el) => el.getClientRects().length > 0;
  const shown = (id) => rendered(by_id(id)) ? by_id(id).textContent.replace(/\s+/g, ' ').trim() : '';
  const lines = (el) => {
    const range = document.createRange();
    range.selectNodeContents(el);
    return new Set([...range.getClientRects()].map((box) => Math.round(box.top))).size;
  };
  const money = [...document.querySelectorAll('.figure, .money, #total-income, #total-tax')];
  return {
    result: shown('result'), error: shown('error'), figure: shown('table-tax') + shown('worksheet-tax'),
    total_tax: shown('total-tax'), hash: location.hash, box: by_id('income').value,
    worksheet: rendered(by_id('worksheet')) ? by_id('worksheet').querySelectorAll('tr').length : 0,
    summary: shown('batch-summary'), download: rendered(by_id('batch-download')) ? by_id('batch-download').download : '',
    taken_to: shown('taken-to'), invalid: document.querySelector('[aria-invalid="true"]')?.id ?? '',
    focused: document.activeElement.id, disabled: by_id('income').disabled,
    checked: document.querySelector('input[name="status"]:checked').value,
    announcement: by_id('announcement').textContent,
    wrapped: money.filter((el) => rendered(el) && el.textContent && lines(el) > 1).map((el) => el.textContent),
    wide: document.documentElement.scrollWidth > innerWidth, width: innerWidth,
    dark: matchMedia('(prefers-color-scheme: dark)').matches &&
      getComputedStyle(document.documentElement).backgroundColor === 'rgb(22, 24, 27)',
    ready_ms: document.documentElement.dataset.readyMs,
    resources: performance.getEntriesByType('resource').map((entry) => entry.name),
  };
}

// The page as printed, read inside it with print media on.
function printed_probe() {
  const style = (selector) => getComputedStyle(document.querySelector(selector));
  const bar = style('#bars span');
  return {button: style('#work-out').display, form: style('#ask').display, summary: style('#print-summary').display,
          bars: (bar.printColorAdjust || bar.webkitPrintColorAdjust), outline: style('#income').outlineStyle};
}

// The pages of a PDF: its page objects, also those packed in compressed streams.
function pdf_pages(pdf) {
  const text = [pdf.toString('latin1')];
  for (let at = pdf.indexOf('stream'); at >= 0; at = pdf.indexOf('stream', at + 6)) {
    const start = at + (pdf[at + 6] === 0x0d ? 8 : 7);
    try {
      text.push(zlib.inflateSync(pdf.subarray(start, pdf.indexOf('endstream', start))).toString('latin1'));
    } catch {}  // not a deflated stream
  }
  return text.join('').match(/\/Type\s*\/Page\b(?!s)/g)?.length ?? 0;
}

async function axe(driver) {
  await driver.eval(fs.readFileSync(path.join(modules, 'axe-core', 'axe.min.js'), 'utf8'));
  return driver.eval(() => axe.run().then((r) => r.violations.map((v) => `${v.id}: ${v.nodes.length}`)));
}

// A copy of the site, with a page that deletes WebAssembly before anything runs.
function site_copy() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tax2008-site-'));
  for (const file of fs.readdirSync(site_dir)) fs.copyFileSync(path.join(site_dir, file), path.join(dir, file));
  const page = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
  fs.writeFileSync(path.join(dir, 'no-webassembly.html'),
                   page.replace('<head>', '<head>\n<script>delete window.WebAssembly;</script>'));
  return dir;
}

function serve(dir) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css'};
  const server = http.createServer((request, response) => {
    const file = path.join(dir, path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    fs.readFile(file, (error, body) => {
      // Compressed where the browser takes it, as a static host serves files.
      const gzip = !error && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '');
      response.writeHead(error ? 404 : 200, {'content-type': types[path.extname(file)] ?? 'text/plain',
                                             ...(gzip ? {'content-encoding': 'gzip'} : {})});
      response.end(error ? '' : gzip ? zlib.gzipSync(body) : body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function puppeteer_driver(dark) {
  const puppeteer = require(path.join(modules, 'puppeteer-core'));
  const browser = await puppeteer.launch(engine === 'firefox'
    ? {browser: 'firefox', executablePath: process.env.TAX2008_FIREFOX || '/usr/bin/firefox-esr', headless: true,
       extraPrefsFirefox: {'layout.css.prefers-color-scheme.content-override': dark ? 0 : 1}}
    : {executablePath: chromium, headless: true,
       args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--disable-background-networking',
              '--no-first-run', '--disable-component-update', '--disable-sync']});
  const page = await browser.newPage();
  if (engine === 'chromium' && dark) await page.emulateMediaFeatures([{name: 'prefers-color-scheme', value: 'dark'}]);
  const errors = [];
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(String(error)));
  return {
    errors,
    open: (url) => page.goto(url, {waitUntil: 'load'}),
    eval: (code) => page.evaluate(code),
    type: async (text, enter, box) => {
      await page.focus('#' + box);
      await page.keyboard.type(text);
      if (enter) await page.keyboard.press('Enter');
    },
    clear: async () => {
      await page.click('#income', {count: 3});
      await page.keyboard.press('Backspace');
    },
    click: (selector) => page.click(selector),
    upload: async (selector, file) => (await page.$(selector)).uploadFile(file),
    width: (width) => page.setViewport({width, height: 800}),
    screenshot: (file) => page.screenshot({path: file, fullPage: true}),
    print: async (file) => {
      // A size, not a format: Firefox 153 takes puppeteer-core 23's "letter" as 2.54 times smaller.
      await page.pdf({path: file, width: '8.5in', height: '11in'});
      const pages = pdf_pages(fs.readFileSync(file));
      if (engine !== 'chromium') return {pages};  // print media is emulated through CDP alone
      await page.emulateMediaType('print');
      const shown = await page.evaluate(printed_probe);
      await page.emulateMediaType(null);
      return {pages, ...shown};
    },
    close: () => browser.close(),
  };
}

// WebKit's own WebDriver, spoken to over HTTP.
async function webkit_driver(dark) {
  const port = await new Promise((resolve) => {
    const probe_server = http.createServer().listen(0, '127.0.0.1', () => {
      const {port} = probe_server.address();
      probe_server.close(() => resolve(port));
    });
  });
  const env = {...process.env, ...(dark ? {GTK_THEME: 'Adwaita:dark'} : {})};
  const server = spawn(process.env.TAX2008_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver', [`--port=${port}`], {env, stdio: 'ignore'});
  const call = async (method, route, body) => {
    for (let tries = 0; ; ++tries) {
      try {
        const response = await fetch(`http://127.0.0.1:${port}${route}`, {method,
          headers: {'content-type': 'application/json'}, body: body && JSON.stringify(body)});
        const {value} = await response.json();
        if (!response.ok) throw new Error(`${route}: ${value.error} ${value.message}`);
        return value;
      } catch (error) {
        if (tries > 50 || error.message.startsWith(route)) throw error;
        await new Promise((resolve) => setTimeout(resolve, 100));  // the server is starting
      }
    }
  };
  const session = await call('POST', '/session', {capabilities: {alwaysMatch: {'webkitgtk:browserOptions':
    {binary: process.env.TAX2008_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
     args: ['--automation']}}}});
  const at = `/session/${session.sessionId}`;
  const element = async (selector) => Object.values(await call('POST', `${at}/element`,
    {using: 'css selector', value: selector}))[0];
  const run = (code) => call('POST', `${at}/execute/async`, {args: [], script:
    `const done = arguments[0]; Promise.resolve((${code})()).then(done, (e) => done({failed: String(e)}));`});
  return {
    errors: [],
    open: (url) => call('POST', `${at}/url`, {url}),
    eval: (code) => typeof code === 'function' ? run(code) : run(`() => { ${code}; }`),
    type: async (text, enter, box) => call('POST', `${at}/element/${await element('#' + box)}/value`,
      {text: text + (enter ? '\uE007' : '')}),
    clear: async () => call('POST', `${at}/element/${await element('#income')}/clear`, {}),
    click: async (selector) => call('POST', `${at}/element/${await element(selector)}/click`, {}),
    upload: async (selector, file) => call('POST', `${at}/element/${await element(selector)}/value`, {text: file}),
    width: async (width) => {
      await call('POST', `${at}/window/rect`, {width, height: 800});
      const inner = await run(() => innerWidth);  // the window's frame takes its share
      await call('POST', `${at}/window/rect`, {width: 2 * width - inner, height: 800});
    },
    screenshot: async (file) => fs.writeFileSync(file, Buffer.from(await call('GET', `${at}/screenshot`), 'base64')),
    print: null,  // WebKitGTK's WebDriver has no print
    close: async () => {
      await call('DELETE', at);
      server.kill();
    },
  };
}

async function run_states(driver, folder, theme) {
  let previous = {announcement: ''};
  let failures = 0;
  for (const state of states.filter((s) => Boolean(s.dark) === (theme === 'dark'))) {
    const where = `${engine} ${folder.startsWith('file:') ? 'file://' : 'http'} ${state.name}`;
    if (state.width) await driver.width(state.width);
    if (state.open) {
      await driver.open(folder + state.open);
      for (let i = 0; i < 100 && !(await driver.eval(() => document.documentElement.dataset.readyMs ||
                                                       document.getElementById('error').textContent)); ++i) {
        await new Promise((resolve) => setTimeout(resolve, 100));
      }
    }
    if (state.clear) await driver.clear();
    if (state.status) await driver.click(`input[name="status"][value="${state.status}"]`);
    for (const step of [state, state.then ?? {}]) {
      if (step.type !== undefined) await driver.type(step.type, state.enter !== false, step.box ?? 'income');
    }
    // WebKit's worker cannot read a file chosen on a page from file://: the page must say so.
    const no_worker = Boolean(state.upload) && engine === 'webkit' && folder.startsWith('file:');
    let converted = null;
    let failed = null;
    if (state.upload) {
      converted = await convert(driver, path.join(batch_dir, state.upload), no_worker)
        .catch((error) => { failed = error; });
    }
    const shown = await driver.eval(probe);
    const shows = no_worker ? {summary: /^batch_cases\.csv could not be worked out: NotReadableError/}
                            : state.shows;
    try {
      if (failed) throw failed;
      if (state.name !== 'no-webassembly') assert.deepStrictEqual(driver.errors, [], 'errors logged');
      for (const [key, want] of Object.entries(shows)) {
        if (want instanceof RegExp) assert.match(shown[key], want, `${key}: ${shown[key]}`);
        else assert.deepStrictEqual(shown[key], want, key);
      }
      if (converted && !no_worker) {
        const want = fs.readFileSync(path.join(batch_dir, state.upload.replace(/\.csv$/, '.expected.csv')));
        assert.ok(Buffer.from(converted.bytes).equals(want), 'the download differs from tax2008-batch\'s output');
      }
      if (state.announced) {
        assert.notStrictEqual(shown.announcement, previous.announcement, 'announced again');
        assert.ok(shown.announcement.startsWith(state.announced), shown.announcement);
      }
      const foreign = shown.resources.filter((url) => !url.startsWith(folder) && !url.startsWith('data:'));
      assert.deepStrictEqual(foreign, [], 'requests leaving the site');
      if (state.axe) assert.deepStrictEqual(await axe(driver), [], 'axe-core violations');
      if (state.print && driver.print) {
        const file = path.join(out, `page-${engine}-printed.pdf`);
        const printed = await driver.print(file);
        const want = {pages: 1, button: 'none', form: 'none', summary: 'block', bars: 'exact', outline: 'none'};
        for (const key of Object.keys(printed)) assert.strictEqual(printed[key], want[key], `printed: ${key}`);
      }
    } catch (error) {
      ++failures;
      console.error(`FAILED ${where}: ${error.message}`);
    }
    if (state.screenshot && folder.startsWith('http')) {
      await driver.screenshot(path.join(out, `page-${engine}-${state.name}.png`));
    }
    if (state.width && shown.width !== state.width && folder.startsWith('http')) {
      console.log(`${where}: the narrowest window this engine gives is ${shown.width} px wide, not ${state.width}`);
    }
    if (state.name === 'starting') console.log(`${where}: the box takes input ${shown.ready_ms} ms after navigation`);
    previous = shown;
    driver.errors.length = 0;
  }
  return failures;
}

// Lighthouse's mobile audit of the page over http, in Chromium: prints the
// scores and the simulated first paint, and fails below the scores aimed at.
async function lighthouse() {
  const server = await serve(site_dir);
  const run = require('util').promisify(require('child_process').execFile);  // the server must go on serving
  let report;
  try {
    report = JSON.parse((await run(process.execPath, [path.join(modules, 'lighthouse', 'cli', 'index.js'),
      `http://127.0.0.1:${server.address().port}/index.html`, '--output=json', '--output-path=stdout', '--quiet',
      '--only-categories=performance,accessibility,best-practices,seo',
      '--chrome-flags=--headless --no-sandbox --disable-gpu --disable-dev-shm-usage --disable-background-networking'],
    {env: {...process.env, CHROME_PATH: chromium}, maxBuffer: 64 << 20})).stdout);
  } finally {
    server.close();
  }
  const scores = Object.fromEntries(Object.values(report.categories).map((c) => [c.id, Math.round(c.score * 100)]));
  const metrics = ['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time', 'speed-index']
    .map((id) => `${report.audits[id].title.toLowerCase()} ${report.audits[id].displayValue}`);
  console.log('Lighthouse, mobile:', Object.entries(scores).map(([id, score]) => `${id} ${score}`).join(', ') +
              `; simulated: ${metrics.join(', ')}`);
  const aims = {'performance': 99, 'accessibility': 100, 'best-practices': 100, 'seo': 100};
  for (const [id, aim] of Object.entries(aims)) assert.ok(scores[id] >= aim, `${id} ${scores[id]} is below ${aim}`);
}

async function main() {
  if (engine === 'lighthouse') return lighthouse();
  if (engine === 'chromium') {
    const files = fs.readdirSync(site_dir).map((file) => fs.readFileSync(path.join(site_dir, file)));
    const packed = files.reduce((sum, body) => sum + zlib.gzipSync(body, {level: 9}).length, 0);
    console.log(`site: ${files.reduce((sum, body) => sum + body.length, 0)} bytes, ${packed} gzipped`);
    assert.ok(packed <= 100000, 'the site is over 100 KB gzipped');
  }
  const dir = site_copy();
  const server = await serve(dir);
  const folders = [`http://127.0.0.1:${server.address().port}/`, 'file://' + dir + '/'];
  let failures = 0;
  try {
    for (const theme of ['light', 'dark']) {
      const driver = await (engine === 'webkit' ? webkit_driver : puppeteer_driver)(theme === 'dark');
      try {
        for (const folder of folders) failures += await run_states(driver, folder, theme);
        if (engine === 'chromium' && theme === 'light') await million(driver, folders[0]);
      } finally {
        await driver.close();
      }
    }
  } finally {
    server.close();
    fs.rmSync(dir, {recursive: true});
  }
  assert.strictEqual(failures, 0, `${failures} states failed`);
  console.log(`${engine}: ${states.length} states, over http and from file://; screenshots in ${out}`);
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
