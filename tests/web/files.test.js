// Read Data, Save Data and Save Graph against the command-line tool's files, byte for byte.
const { test, expect } = require('@playwright/test');
const fs = require('fs');
const path = require('path');
const h = require('./helpers');

const SAMPLE = path.join(h.EXAMPLES, 'sample.txt');

async function readSample(page, n, how) {
  await h.button(page, n, 'inputData').click();
  if (how === 'chooser') {
    const chooser = page.waitForEvent('filechooser');
    await h.button(page, n, 'readData').click();
    await (await chooser).setFiles(SAMPLE);
  } else {
    // A file dropped on the page.
    const bytes = [...fs.readFileSync(SAMPLE)];
    const drop = await page.evaluateHandle((b) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([new Uint8Array(b)], 'sample.txt', { type: 'text/plain' }));
      return transfer;
    }, bytes);
    await page.dispatchEvent('main', 'drop', { dataTransfer: drop });
  }
  await expect(page.getByRole('textbox', { name: 'X 8', exact: true })).toHaveValue('8');
}

for (const how of ['chooser', 'drop']) {
  test(`Read Data by the file ${how} fills the cells as plorimet read does`, async ({ page }) => {
    const n = await h.openPage(page, 'en');
    await readSample(page, n, how);
    const rows = h.cli(['read', SAMPLE]).toString('utf8').trim().split('\n').slice(-8);
    for (let k = 0; k < 8; ++k) {
      const [x, y] = rows[k].trim().split(/\s+/).slice(-2);
      await expect(page.getByRole('textbox', { name: `X ${k + 1}`, exact: true })).toHaveValue(x);
      await expect(page.getByRole('textbox', { name: `Y ${k + 1}`, exact: true })).toHaveValue(y);
    }
  });
}

for (const lang of ['en', 'ja']) {
  test(`Save Data's file is plorimet fit --save's (${lang})`, async ({ page }) => {
    const n = await h.openPage(page, lang);
    await readSample(page, n, 'chooser');
    await h.analyse(page, n, { degree: 3, digits: 5 });
    const saved = await h.saveAs(page, n, 'saveData', 'saveDataTitle', 'result');
    expect(saved.name).toBe('result.txt');
    const expected = h.tempFile('expected.txt');
    h.cli(['fit', SAMPLE, '--degree', '3', '--digits', '5', '--lang', lang, '--save', expected]);
    expect(saved.bytes.equals(fs.readFileSync(expected))).toBe(true);
  });
}

const GRAPHS = [
  { lang: 'en', size: '100', scale: 'none', line: '1', dot: '5', name: 'graph' },
  { lang: 'en', size: '70', scale: 'ticks', line: '3', dot: '9', name: 'seventy.bmp' },
  { lang: 'ja', size: '50', scale: 'grid', line: '5', dot: '13', name: 'half.BMP' },
];
const SCALE_LABEL = { en: { none: 'None', ticks: 'Scale', grid: 'Grid' }, ja: { none: 'なし', ticks: '目盛', grid: '格子' } };
const GROUPS = { en: ['Line Thickness', 'Dot Size', 'Graph Size (%)', 'Scale/Grid'], ja: ['線の太さ', '点の大きさ', 'グラフの大きさ (%)', '目盛・格子'] };

async function drawGraph(page, n, lang, g) {
  await h.button(page, n, 'drawGraph').click();
  const dialog = page.getByRole('dialog', { name: n.graph });
  const choices = [g.line, g.dot, g.size, SCALE_LABEL[lang][g.scale]];
  for (let k = 0; k < 4; ++k)
    await dialog.getByRole('radiogroup', { name: GROUPS[lang][k] }).getByRole('radio', { name: choices[k], exact: true }).check();
  await dialog.getByRole('button', { name: n.ok }).click();
  await expect(page.getByRole('img', { name: n.picture })).toBeVisible();
}

for (const g of GRAPHS) {
  test(`Save Graph's BMP is plorimet graph --out's: ${g.size} %, ${g.scale}, line ${g.line}, dot ${g.dot} (${g.lang})`, async ({ page }) => {
    const n = await h.openPage(page, g.lang);
    await readSample(page, n, 'chooser');
    await h.analyse(page, n, { degree: 3 });
    await drawGraph(page, n, g.lang, g);
    const saved = await h.saveAs(page, n, 'saveGraph', 'saveGraphTitle', g.name);
    expect(saved.name.toLowerCase()).toMatch(/\.bmp$/);
    const expected = h.tempFile('expected.bmp');
    h.cli(['graph', SAMPLE, '--degree', '3', '--size', g.size, '--scale', g.scale, '--line', g.line, '--dot', g.dot,
      '--lang', g.lang, '--out', expected]);
    expect(saved.bytes.equals(fs.readFileSync(expected))).toBe(true);
  });
}

test('Save Graph writes PNG and SVG by the name as plorimet graph does, and the browser opens both', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  await readSample(page, n, 'chooser');
  await h.analyse(page, n, { degree: 2 });
  const g = GRAPHS[1];
  await drawGraph(page, n, 'en', g);
  for (const [name, type] of [['graph.png', 'image/png'], ['graph.svg', 'image/svg+xml']]) {
    const saved = await h.saveAs(page, n, 'saveGraph', 'saveGraphTitle', name);
    expect(saved.name).toBe(name);
    const expected = h.tempFile(name);
    h.cli(['graph', SAMPLE, '--degree', '2', '--size', g.size, '--scale', g.scale, '--line', g.line, '--dot', g.dot,
      '--out', expected]);
    expect(saved.bytes.equals(fs.readFileSync(expected))).toBe(true);
    const size = await page.evaluate(async ([bytes, mime]) => {
      const image = new Image();
      image.src = URL.createObjectURL(new Blob([new Uint8Array(bytes)], { type: mime }));
      await image.decode();
      return [image.naturalWidth, image.naturalHeight];
    }, [[...saved.bytes], type]);
    expect(size).toEqual([366, 215]);  // the 70 % frame with its one-pixel border
  }
});
