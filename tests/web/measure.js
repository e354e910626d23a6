// The page's figures for the README's table (tools/measure-web.sh): size, opening to an enabled
// Input Data, Analysis of 45 pairs at degree 10 and 44 (the equation, then the statistics from the
// worker, and the longest the page left input waiting meanwhile), Draw Graph and the plot, Paste
// Data of a row of tabs, and the requests it makes.
const { chromium } = require('@playwright/test');
const fs = require('fs');
const { pathToFileURL } = require('url');
const h = require('./helpers');

const RUNS = Number(process.env.RUNS || 9);
const page45 = Array.from({ length: 45 }, (_, k) => `${k * 0.25}\t${(10 * Math.sin(k) + k).toFixed(3)}`).join('\r\n') + '\r\n';
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (v) => `${v.toFixed(v < 10 ? 2 : 1)} ms`;
const summary = (values) => `median ${ms(median(values))} (min ${ms(Math.min(...values))}, max ${ms(Math.max(...values))})`;

// From now until `done()` is true in the page: the longest gap between two turns of its event
// loop, which is the longest a key or click would have waited.
async function longestWait(page, done) {
  await page.evaluate(() => {
    window.probe = { last: performance.now(), longest: 0 };
    const tick = () => {
      const now = performance.now();
      window.probe.longest = Math.max(window.probe.longest, now - window.probe.last);
      window.probe.last = now;
      if (!window.probe.stop) setTimeout(tick, 0);
    };
    setTimeout(tick, 0);
  });
  await done();
  return page.evaluate(() => { window.probe.stop = true; return window.probe.longest; });
}

// Typing the degree, then OK after `pause` ms: 0 as a script clicks; 200, about a practised
// typist's Enter after the last digit. Meanwhile the worker makes the fit and its statistics
// ahead; when they are ready at OK the page takes them, otherwise it fits on its own.
async function analysisFigures(page, n) {
  let fresh = 0;
  for (const degree of [10, 44]) {
    for (const pause of [0, 200]) {
      const equation = [];
      const statistics = [];
      const fits = [];
      const waits = [];
      const aheads = [];
      for (let run = 0; run < RUNS; ++run) {
        await h.button(page, n, 'inputData').click();
        await page.getByRole('alertdialog').getByRole('button', { name: n.no }).click();
        // Pairs of their own each time, so that nothing is taken from an Analysis before.
        await page.getByRole('textbox', { name: 'Y 1', exact: true }).fill((1 + ++fresh / 1024).toString());
        await h.button(page, n, 'analysis').click();
        const dialog = page.getByRole('dialog', { name: n.fit });
        await dialog.getByRole('combobox', { name: n.degree }).fill(String(degree));
        await page.waitForTimeout(pause);
        // Still in work at OK: the page fits on its own, as without the worker.
        const ahead = await page.evaluate(() => (window.plorimetPage.helper.preparing ? null : window.plorimetPage.helper.aheadTime));
        if (pause && ahead !== null) aheads.push(ahead);
        waits.push(await longestWait(page, async () => {
          await dialog.getByRole('button', { name: n.ok }).click();
          await page.getByRole('region', { name: n.statistics }).getByRole('table').first().waitFor();
        }));
        const t = await page.evaluate(() => window.plorimetPage.timings);
        equation.push(t.analysis);
        statistics.push(t.statistics);
        fits.push(t.fit);
      }
      console.log(`Analysis of 45 pairs, degree ${degree}, OK ${pause} ms after the degree is typed: OK to equation shown ${summary(equation)}; the model's step alone median ${ms(median(fits))}`);
      console.log(`  OK to statistics shown ${summary(statistics)}; longest the page left input waiting meanwhile: median ${ms(median(waits))} (max ${ms(Math.max(...waits))})`);
      if (aheads.length) console.log(`  the worker's fit and statistics ahead, from the degree typed: ${summary(aheads)}`);
    }
  }
}

async function graphFigures(page, n) {
  const draw = [];
  const frame = [];
  const plot = [];
  for (let run = 0; run < RUNS; ++run) {
    await h.button(page, n, 'inputData').click();
    await page.getByRole('alertdialog').getByRole('button', { name: n.no }).click();
    await h.analyse(page, n, { degree: 10 });
    await h.button(page, n, 'drawGraph').click();
    await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
    await page.waitForFunction(() => window.plorimetPage.timings.graphFrame !== undefined);
    await page.getByRole('figure', { name: 'Plot' }).waitFor();
    await page.waitForFunction(() => window.plorimetPage.timings.plot !== undefined);
    const t = await page.evaluate(() => {
      const r = window.plorimetPage.timings;
      const v = [r.graph, r.graphFrame, r.plot];
      delete r.graphFrame;
      delete r.plot;
      return v;
    });
    draw.push(t[0]);
    frame.push(t[1]);
    plot.push(t[2]);
  }
  console.log(`Draw Graph, OK to picture drawn: median ${ms(median(draw))}; to the next frame: median ${ms(median(frame))}; to the plot shown (worker, degree 10): median ${ms(median(plot))}`);
}

// A row of tabs pasted: to the column dialog, a keystroke in its X box, OK to the message.
async function pasteFigures(browser) {
  for (const tabs of [1e5, 1e6, 16777200]) {
    const context = await browser.newContext();
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    const page = await context.newPage();
    const n = await h.openPage(page, 'en');
    await h.button(page, n, 'inputData').click();
    await page.evaluate((count) => navigator.clipboard.writeText('\t'.repeat(count) + '\r\n'), tabs);
    const started = Date.now();
    await h.button(page, n, 'pasteData').click();
    const dialog = page.getByRole('dialog', { name: n.columns });
    await dialog.waitFor();
    const toDialog = Date.now() - started;
    const field = await dialog.getByRole('combobox', { name: n.xColumn }).elementHandle();
    const keystroke = await page.evaluate((field) => {
      const t = performance.now();
      field.value = '12345';
      field.dispatchEvent(new Event('input'));
      return performance.now() - t;
    }, field);
    const ok = Date.now();
    await dialog.getByRole('button', { name: n.ok }).click();
    await page.getByRole('alertdialog').waitFor();
    const toMessage = Date.now() - ok;
    const memory = await page.evaluate(() => window.plorimetPage.p.HEAPU8.length / 1048576);
    console.log(`Paste Data of ${tabs} tabs: click to column dialog ${toDialog} ms, a keystroke in X Column ${ms(keystroke)}, OK to the message ${toMessage} ms; the program's memory ${memory.toFixed(0)} MB`);
    await context.close();
  }
}

async function main() {
  const file = process.env.PLORIMET_PAGE || `${h.ROOT}/build/web/plorimet.html`;
  console.log(`plorimet.html: ${fs.statSync(file).size} bytes`);
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium', args: process.getuid() === 0 ? ['--no-sandbox'] : [] });
  const ready = [];
  const requests = [];
  for (let run = 0; run < RUNS; ++run) {
    const context = await browser.newContext();
    const page = await context.newPage();
    page.on('request', (r) => { if (!/^(data|blob):/.test(r.url())) requests.push(r.url()); });
    await page.goto(pathToFileURL(file).href);
    await page.locator('body[data-ready=true]').waitFor();
    ready.push(await page.evaluate(() => window.plorimetPage.timings.ready));
    await context.close();
  }
  console.log(`open to enabled Input Data: ${summary(ready)} over ${RUNS}`);

  const context = await browser.newContext();
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const page = await context.newPage();
  page.on('request', (r) => { if (!/^(data|blob):/.test(r.url())) requests.push(r.url()); });
  const n = await h.openPage(page, 'en');
  await h.button(page, n, 'inputData').click();
  await page.evaluate((t) => navigator.clipboard.writeText(t), page45);
  await h.button(page, n, 'pasteData').click();
  await analysisFigures(page, n);
  await graphFigures(page, n);
  await context.close();
  await pasteFigures(browser);
  const file_ = pathToFileURL(file).href;
  const others = requests.filter((u) => !u.startsWith(file_));
  console.log(`requests other than the page itself: ${others.length}${others.length ? ' ' + others.join(' ') : ''}`);
  await browser.close();
}

main().catch((e) => { console.error(e); process.exit(1); });
