// The views as a user sees them: the screenshots of the README in both languages, a phone's
// width without sideways scrolling, and what Copy Graph and the equation's copy put on the clipboard.
const { test, expect } = require('@playwright/test');
const fs = require('fs');
const path = require('path');
const h = require('./helpers');

const SAMPLE = path.join(h.EXAMPLES, 'sample.txt');
const IMAGES = path.join(h.ROOT, 'docs/images');

async function sampleFitted(page, n, degree) {
  await h.typePairs(page, n, h.examplePairs('sample.txt'));
  return h.analyse(page, n, { degree });
}

async function graphDrawn(page, n) {
  await h.button(page, n, 'drawGraph').click();
  await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
  await expect(page.getByRole('img', { name: n.picture })).toBeVisible();
}

for (const lang of ['en', 'ja']) {
  test(`the page in ${lang}: grid, equation and graph, screenshots for the README`, async ({ page }) => {
    await page.setViewportSize({ width: 660, height: 400 });
    const n = await h.openPage(page, lang);
    await expect(h.button(page, n, 'analysis')).toBeDisabled();
    await expect(h.button(page, n, 'inputData')).toBeEnabled();
    await expect(h.button(page, n, 'inputData')).toHaveAttribute('title', `${n.inputData} (Ctrl+N)`);
    await h.typePairs(page, n, h.examplePairs('sample.txt'));
    await h.button(page, n, 'analysis').click();
    const dialog = page.getByRole('dialog', { name: n.fit });
    await dialog.getByRole('combobox', { name: n.degree }).fill('3');
    await page.screenshot({ path: path.join(IMAGES, `page-analysis-${lang}.png`) });
    await dialog.getByRole('button', { name: n.ok }).click();
    await page.screenshot({ path: path.join(IMAGES, `page-equation-${lang}.png`) });
    await graphDrawn(page, n);
    for (const key of ['copyGraph', 'saveGraph']) await expect(h.button(page, n, key)).toBeEnabled();
    for (const key of ['readData', 'analysis', 'drawGraph']) await expect(h.button(page, n, key)).toBeDisabled();
    if (lang === 'en') await page.screenshot({ path: path.join(IMAGES, 'page-graph.png') });
  });
}

test('the equation copy and Copy Graph put the window\'s text and the graph as PNG on the clipboard', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  await page.context().grantPermissions(['clipboard-read', 'clipboard-write']);
  const equation = await sampleFitted(page, n, 2);
  await page.keyboard.press('Control+C');
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  const rows = copied.split('\r\n');
  expect(copied.startsWith(equation.replace(/\n/g, '\r\n') + '\r\n\r\n')).toBe(true);
  expect(rows.slice(-4, -1).map((r) => r.split('\t')[0])).toEqual(['0', '1', '2']);
  // With part of the statistics selected, Ctrl+C copies that.
  const cell = page.getByRole('region', { name: n.statistics }).getByRole('cell').nth(1);
  await expect(cell).toBeVisible();
  await cell.selectText();
  await page.keyboard.press('Control+C');
  expect(await page.evaluate(() => navigator.clipboard.readText())).toBe(await cell.textContent());
  await graphDrawn(page, n);
  await h.button(page, n, 'copyGraph').click();
  const expected = h.tempFile('graph.png');
  h.cli(['graph', SAMPLE, '--degree', '2', '--out', expected]);
  // The browser re-encodes a PNG on the clipboard: the pixels must be plorimet graph's.
  const same = await page.evaluate(async (cliPng) => {
    const [item] = await navigator.clipboard.read();
    const pixels = async (blob) => {
      const bitmap = await createImageBitmap(blob);
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      const context = canvas.getContext('2d');
      context.drawImage(bitmap, 0, 0);
      return [bitmap.width, bitmap.height, context.getImageData(0, 0, bitmap.width, bitmap.height).data.join()];
    };
    const a = await pixels(await item.getType('image/png'));
    const b = await pixels(new Blob([new Uint8Array(cliPng)], { type: 'image/png' }));
    return a.join('|') === b.join('|');
  }, [...fs.readFileSync(expected)]);
  expect(same).toBe(true);
});

test('from a static web server the page asks for nothing but itself', async ({ page }) => {
  const http = require('http');
  const server = http.createServer((request, response) => {
    response.setHeader('Content-Type', 'text/html; charset=utf-8');
    response.end(fs.readFileSync(process.env.PLORIMET_PAGE || path.join(h.ROOT, 'build/web/plorimet.html')));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const requests = [];
  page.on('request', (r) => { if (!r.url().startsWith('data:') && !r.url().startsWith('blob:')) requests.push(r.url()); });
  try {
    const url = `http://127.0.0.1:${server.address().port}/plorimet.html`;
    await page.goto(url);
    await expect(page.locator('body[data-ready=true]')).toHaveCount(1);
    const n = h.NAMES.en;
    await sampleFitted(page, n, 2);
    await graphDrawn(page, n);
    expect(requests).toEqual([url]);
  } finally {
    server.close();
  }
});

test('a stored grid the page cannot read is reported and set aside, and the page starts empty', async ({ page }) => {
  await page.addInitScript(() => {
    if (!sessionStorage.getItem('planted')) {
      localStorage.setItem('plorimet.cells', '["1", "2", {broken');
      sessionStorage.setItem('planted', 'yes');
    }
  });
  const n = await h.openPage(page, 'en');
  await expect(page.getByRole('status')).toHaveText(/could not be read.*set aside/);
  expect(await page.evaluate(() => [localStorage.getItem('plorimet.cells.unreadable'), localStorage.getItem('plorimet.cells')]))
    .toEqual(['["1", "2", {broken', null]);
  await expect(h.button(page, n, 'analysis')).toBeDisabled();  // the start picture: nothing restored
  await expect(page.locator('link[rel=icon]')).toHaveAttribute('href', /^data:image\/x-icon;base64,/);
});

// Each keystroke stores the grid and every other tab of the page takes it, so no tab silently
// writes over cells typed in another.
test('two tabs of the page keep one grid', async ({ context }) => {
  const [a, b] = [await context.newPage(), await context.newPage()];
  const n = await h.openPage(a, 'en');
  await h.openPage(b, 'en');
  await h.typePairs(a, n, [['1', '2']]);
  await h.button(b, n, 'inputData').click();
  await expect(b.getByRole('textbox', { name: 'Y 1', exact: true })).toHaveValue('2');
  await b.getByRole('textbox', { name: 'X 2', exact: true }).fill('3');
  await expect(a.getByRole('textbox', { name: 'X 2', exact: true })).toHaveValue('3');
  await expect(a.getByRole('status')).toHaveText(/changed in another tab/);
  await a.getByRole('textbox', { name: 'Y 2', exact: true }).fill('4');
  await b.reload();
  await expect(b.locator('body[data-ready=true]')).toHaveCount(1);
  for (const [name, value] of [['X 1', '1'], ['X 2', '3'], ['Y 2', '4']])
    await expect(b.getByRole('textbox', { name, exact: true })).toHaveValue(value);
});

test('with storage switched off the page says so once and goes on working', async ({ page }) => {
  await page.addInitScript(() => {
    Storage.prototype.setItem = () => { throw new DOMException('full', 'QuotaExceededError'); };
  });
  const n = await h.openPage(page, 'en');
  const fitted = await sampleFitted(page, n, 1);
  expect(fitted).toContain('Y = ');
  await expect(page.getByRole('status')).toHaveText(/will not survive a reload/);
  await expect(page.getByRole('status')).toHaveCount(1);
});
