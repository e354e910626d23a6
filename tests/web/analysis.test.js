// Data typed by keys alone, Analysis and its statistics in both languages against `plorimet fit
// --json --stats`, the keyboard's way around the page, the kept cells.
const { test, expect } = require('@playwright/test');
const path = require('path');
const h = require('./helpers');

const SAMPLE = path.join(h.EXAMPLES, 'sample.txt');
const WAVE = path.join(h.EXAMPLES, 'wave.txt');

const FITS = [
  { lang: 'en', file: SAMPLE, degree: 1, digits: 3 },
  { lang: 'en', file: SAMPLE, degree: 3, digits: 6 },
  { lang: 'ja', file: SAMPLE, degree: 2, digits: 4 },
  { lang: 'ja', file: WAVE, degree: 9, digits: 5 },
  { lang: 'en', file: WAVE, degree: 10, digits: 6, hurry: true },  // OK before the page's fit ahead
  { lang: 'ja', file: SAMPLE, degree: 7, digits: 3 },  // through every point: no degrees of freedom
];

// A cell of the table against the exact value: the same number to the 15 digits it shows.
const fifteen = (v) => (v === null ? '-' : String(Number(Number(v).toPrecision(15))));
// A shown number as its value's text; a missing value ("n/a", "not available (why)") as '-'.
const shownNumber = (text) => (Number.isNaN(Number(text)) ? '-' : String(Number(text)));
const SUMMARY = ['residual_sum_of_squares', 'residual_std_dev', 'r_squared', 'adjusted_r_squared', 'f_statistic',
  'f_p_value', 'log_likelihood', 'aic', 'bic', 'aicc', 'press'];

for (const fit of FITS) {
  test(`Analysis of ${path.basename(fit.file)} at degree ${fit.degree}, ${fit.digits} digits (${fit.lang})`, async ({ page }) => {
    const n = await h.openPage(page, fit.lang);
    await h.typePairs(page, n, h.examplePairs(path.basename(fit.file)));
    const shown = await h.analyse(page, n, { ...fit, first: fit.degree === 1 ? 2 : fit.degree - 1 });
    const args = ['fit', fit.file, '--degree', String(fit.degree), '--digits', String(fit.digits), '--lang', fit.lang];
    expect(shown + '\n').toBe(h.cli(args).toString('utf8'));
    const json = JSON.parse(h.cli([...args, '--json', '--stats']).toString('utf8'));
    const table = page.getByRole('region', { name: n.statistics }).getByRole('table').first();
    await expect(table).toBeVisible();
    const rows = await table.locator('tbody tr').evaluateAll((trs) => trs.map((tr) => [...tr.cells].map((c) => c.textContent)));
    expect(rows.length).toBe(json.degree + 1);
    rows.forEach((row, j) => {
      const interval = json.confidence_intervals[j];
      expect(row.map(shownNumber)).toEqual([String(j), fifteen(json.optimum_coefficients[j]), fifteen(json.standard_errors[j]),
        fifteen(json.t_values[j]), fifteen(json.p_values[j]), fifteen(interval && interval[0]), fifteen(interval && interval[1])]);
    });
    const summary = await page.locator('#statistics table.summary td').allTextContents();
    expect(summary.map(shownNumber)).toEqual(SUMMARY.map((name) => fifteen(json[name])));
  });
}

test('keys alone: Ctrl+N, Tab, Shift+Tab, Enter and arrows move as in the window, F5 fits', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  await page.keyboard.press('Control+N');
  const cell = (name) => page.getByRole('textbox', { name, exact: true });
  await expect(cell('X 1')).toBeFocused();
  await page.keyboard.type('1');
  await page.keyboard.press('Tab');
  await page.keyboard.type('2.5.');  // the cell keeps digits, one minus sign, one point
  await expect(cell('Y 1')).toHaveValue('2.5');
  await page.keyboard.press('Enter');
  await expect(cell('Y 2')).toBeFocused();
  await page.keyboard.type('4');
  await page.keyboard.press('Shift+Tab');
  await expect(cell('X 2')).toBeFocused();
  await page.keyboard.type('2');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.type('3');
  await page.keyboard.press('Tab');
  await page.keyboard.type('5');
  await page.keyboard.press('ArrowUp');
  await expect(cell('Y 2')).toBeFocused();
  await cell('X 15').focus();
  await page.keyboard.press('Enter');
  await expect(cell('X 16')).toBeFocused();  // the next group goes on
  await page.keyboard.press('F5');
  const dialog = page.getByRole('dialog', { name: n.fit });
  await expect(dialog.getByRole('combobox', { name: n.degree })).toHaveValue('2');
  await page.keyboard.press('Enter');
  await expect(page.getByRole('region', { name: n.equation })).toContainText('Y = ');
});

// No keyboard trap: Tab and Shift+Tab leave the grid at its ends for the tool bar, whose buttons
// Enter runs; the arrows walk along the tool bar; the command keys are where people look.
test('the keyboard goes from the grid to the tool bar and back, and runs its buttons', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  const cell = (name) => page.getByRole('textbox', { name, exact: true });
  await page.keyboard.press('Control+N');
  await expect(cell('X 1')).toBeFocused();
  await page.keyboard.press('Shift+Tab');
  await expect(h.button(page, n, 'inputData')).toBeFocused();
  const ring = await h.button(page, n, 'inputData').evaluate((b) => getComputedStyle(b).outlineStyle);
  expect(ring).not.toBe('none');
  await expect(page.getByRole('tooltip')).toHaveText('Input Data (Ctrl+N)');
  await page.keyboard.press('Tab');
  await expect(cell('X 1')).toBeFocused();
  await page.keyboard.type('1');
  await cell('Y 45').focus();
  await page.keyboard.press('Tab');
  await expect(h.button(page, n, 'inputData')).toBeFocused();
  for (let k = 0; k < 3; ++k) await page.keyboard.press('ArrowRight');
  await expect(h.button(page, n, 'analysis')).toBeFocused();
  await expect(h.button(page, n, 'analysis')).toHaveAttribute('aria-keyshortcuts', 'F5');
  await expect(h.button(page, n, 'analysis')).toHaveAttribute('title', 'Analysis (F5)');
  await page.keyboard.press('Enter');
  const dialog = page.getByRole('dialog', { name: n.fit });
  await expect(dialog).toBeVisible();
  // The page's keys wait while a dialog is open: neither the browser's reload, save nor help.
  const kept = await page.evaluate(() => {
    const seen = [];
    window.addEventListener('keydown', (e) => { if (!['Control', 'Shift'].includes(e.key)) seen.push(`${e.key}:${e.defaultPrevented}`); });
    window.keptAcrossKeys = seen;
    return true;
  });
  for (const key of ['F5', 'Control+S', 'F1', 'Control+O']) await page.keyboard.press(key);
  expect(await page.evaluate(() => window.keptAcrossKeys)).toEqual(['F5:true', 'S:true', 'F1:true', 'O:true']);
  expect(kept).toBe(true);
  await page.keyboard.press('Escape');
  await expect(dialog).toBeHidden();
  await page.keyboard.press('Space');  // the focused button again
  await expect(dialog).toBeVisible();
});

test('a reload keeps the cells and shows them; Input Data asks, and Yes clears them', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  await h.typePairs(page, n, [['1', '2'], ['3', '4.5']]);
  await page.reload();
  await expect(page.locator('body[data-ready=true]')).toHaveCount(1);
  await expect(page.getByRole('textbox', { name: 'Y 2', exact: true })).toHaveValue('4.5');
  await h.button(page, n, 'inputData').click();
  const question = page.getByRole('alertdialog', { name: 'Question' });
  await expect(question).toContainText('Clear the window for data input');
  await question.getByRole('button', { name: n.no }).click();
  await expect(page.getByRole('textbox', { name: 'Y 2', exact: true })).toHaveValue('4.5');
  await h.button(page, n, 'inputData').click();
  await page.getByRole('alertdialog').getByRole('button', { name: n.yes }).click();
  await expect(page.getByRole('textbox', { name: 'X 1', exact: true })).toHaveValue('');
  await page.reload();
  await expect(page.locator('body[data-ready=true]')).toHaveCount(1);
  await expect(page.getByRole('textbox', { name: 'X 1', exact: true })).toBeHidden();  // nothing kept: the start picture
});
