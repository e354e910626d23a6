// The plot beside the graph: its band is `plorimet eval --interval`'s at the same X, its choices
// (prediction band, residuals), a fit through every point without a band and saying why, and its
// two files, which are `plorimet plot`'s byte for byte.
const { test, expect } = require('@playwright/test');
const fs = require('fs');
const path = require('path');
const h = require('./helpers');

const WAVE = path.join(h.EXAMPLES, 'wave.txt');

async function plotShown(page, n, file, degree) {
  await h.typePairs(page, n, h.examplePairs(path.basename(file)));
  await h.analyse(page, n, { degree });
  await h.button(page, n, 'drawGraph').click();
  await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
  const plot = page.getByRole('figure', { name: 'Plot' });
  await expect(plot).toBeVisible();
  return plot;
}

// The band's X and ends as the picture carries them against eval's at those X.
async function bandAgainstEval(plot, name, degree, columns) {
  const band = plot.getByRole('group', { name, exact: true });
  const [xs, lows, highs] = await Promise.all(['data-x', 'data-low', 'data-high'].map((a) => band.getAttribute(a)))
    .then((v) => v.map((t) => t.split(' ')));
  expect(xs.length).toBe(101);
  const rows = h.cli(['eval', WAVE, '--degree', String(degree), '--interval', '--at', ...xs]).toString('utf8')
    .trim().split('\n').slice(1).map((r) => r.split('\t').map(Number));
  expect(rows.map((r) => r[0])).toEqual(xs.map(Number));
  expect(lows.map(Number)).toEqual(rows.map((r) => r[columns[0]]));
  expect(highs.map(Number)).toEqual(rows.map((r) => r[columns[1]]));
}

test('the plot\'s axes, its bands as plorimet eval --interval gives them, and its residuals', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  const plot = await plotShown(page, n, WAVE, 5);
  for (const axis of ['X axis', 'Y axis']) await expect(plot.getByRole('group', { name: axis })).toBeVisible();
  const numbers = await plot.getByRole('group', { name: 'X axis' }).locator('text').allTextContents();
  expect(numbers).toEqual(['0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '10', 'X']);
  await bandAgainstEval(plot, '95% confidence band', 5, [2, 3]);
  await page.getByRole('radio', { name: 'Prediction' }).check();
  await expect(plot.getByRole('group', { name: '95% prediction band' })).toHaveCount(1);
  await bandAgainstEval(page.getByRole('figure', { name: 'Plot' }), '95% prediction band', 5, [4, 5]);
  await page.getByRole('checkbox', { name: 'Residuals' }).check();
  await expect(page.getByRole('figure', { name: 'Plot' }).getByRole('group', { name: 'Residuals' }).locator('circle')).toHaveCount(11);
  expect(await page.getByRole('figure', { name: 'Plot' }).innerHTML()).not.toMatch(/NaN|Infinity/);
});

test('a curve through every point has no band, and the plot says why (Japanese)', async ({ page }) => {
  const n = await h.openPage(page, 'ja');
  const plot = page.getByRole('figure', { name: 'プロット' });
  await h.typePairs(page, n, h.examplePairs('sample.txt'));
  await h.analyse(page, n, { degree: 7 });
  await h.button(page, n, 'drawGraph').click();
  await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
  await expect(plot).toContainText('残差の自由度が 0');
  await expect(plot.getByRole('group', { name: '95% 信頼帯' })).toHaveCount(0);
  await expect(plot.getByRole('group', { name: '近似曲線' })).toHaveCount(1);
});

test('the plot\'s PNG and SVG are plorimet plot\'s byte for byte', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  await plotShown(page, n, WAVE, 5);
  await page.getByRole('checkbox', { name: 'Residuals' }).check();
  for (const [button, name] of [['Save Plot (SVG)', 'plot.svg'], ['Save Plot (PNG)', 'plot.png']]) {
    const download = page.waitForEvent('download');
    await page.getByRole('button', { name: button }).click();
    const file = await download;
    expect(file.suggestedFilename()).toBe(name);
    const saved = h.tempFile(name);
    await file.saveAs(saved);
    const expected = h.tempFile(name);
    h.cli(['plot', WAVE, '--degree', '5', '--residuals', '--out', expected]);
    expect(fs.readFileSync(saved).equals(fs.readFileSync(expected))).toBe(true);
  }
});
