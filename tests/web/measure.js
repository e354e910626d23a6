// The page's figures for the README's table (tools/measure-web.sh): size, opening to an enabled
// Input Data, Analysis of 45 pairs at degree 10 and 44, Draw Graph, and the requests it makes.
const { chromium } = require('@playwright/test');
const fs = require('fs');
const { pathToFileURL } = require('url');
const h = require('./helpers');

const RUNS = Number(process.env.RUNS || 9);
const page45 = Array.from({ length: 45 }, (_, k) => `${k * 0.25}\t${(10 * Math.sin(k) + k).toFixed(3)}`).join('\r\n') + '\r\n';
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (v) => `${v.toFixed(v < 10 ? 2 : 1)} ms`;

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
  console.log(`open to enabled Input Data: median ${ms(median(ready))} (min ${ms(Math.min(...ready))}, max ${ms(Math.max(...ready))}) over ${RUNS}`);

  const context = await browser.newContext();
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const page = await context.newPage();
  page.on('request', (r) => { if (!/^(data|blob):/.test(r.url())) requests.push(r.url()); });
  const n = await h.openPage(page, 'en');
  await h.button(page, n, 'inputData').click();
  await page.evaluate((t) => navigator.clipboard.writeText(t), page45);
  await h.button(page, n, 'pasteData').click();
  for (const degree of [10, 44]) {
    const times = [];
    const fits = [];
    for (let run = 0; run < RUNS; ++run) {
      await h.button(page, n, 'inputData').click();
      await page.getByRole('alertdialog').getByRole('button', { name: n.no }).click();
      await h.analyse(page, n, { degree });
      times.push(await page.evaluate(() => window.plorimetPage.timings.analysis));
      fits.push(await page.evaluate(() => window.plorimetPage.timings.fit));
    }
    console.log(`Analysis of 45 pairs, degree ${degree}, OK to equation shown: median ${ms(median(times))} (max ${ms(Math.max(...times))}); the model's step alone: median ${ms(median(fits))}`);
  }
  const draw = [];
  const frame = [];
  for (let run = 0; run < RUNS; ++run) {
    await h.button(page, n, 'inputData').click();
    await page.getByRole('alertdialog').getByRole('button', { name: n.no }).click();
    await h.analyse(page, n, { degree: 10 });
    await h.button(page, n, 'drawGraph').click();
    await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
    await page.waitForFunction(() => window.plorimetPage.timings.graphFrame !== undefined);
    const t = await page.evaluate(() => { const r = window.plorimetPage.timings; const v = [r.graph, r.graphFrame]; delete r.graphFrame; return v; });
    draw.push(t[0]);
    frame.push(t[1]);
  }
  console.log(`Draw Graph, OK to picture drawn: median ${ms(median(draw))}; to the next frame: median ${ms(median(frame))}`);
  const file_ = pathToFileURL(file).href;
  const others = requests.filter((u) => !u.startsWith(file_));
  console.log(`requests other than the page itself: ${others.length}${others.length ? ' ' + others.join(' ') : ''}`);
  await browser.close();
}

main().catch((e) => { console.error(e); process.exit(1); });
