// Data typed by keys alone, Analysis and its statistics in both languages against `plorimet fit
// --stats`, the kept cells.
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
  { lang: 'en', file: WAVE, degree: 10, digits: 6 },
  { lang: 'ja', file: SAMPLE, degree: 7, digits: 3 },  // through every point: no degrees of freedom
];

for (const fit of FITS) {
  test(`Analysis of ${path.basename(fit.file)} at degree ${fit.degree}, ${fit.digits} digits (${fit.lang})`, async ({ page }) => {
    const n = await h.openPage(page, fit.lang);
    await h.typePairs(page, n, h.examplePairs(path.basename(fit.file)));
    const shown = await h.analyse(page, n, fit);
    const statistics = await page.getByRole('region', { name: n.statistics }).textContent();
    const expected = h.cli(['fit', fit.file, '--degree', String(fit.degree), '--digits', String(fit.digits),
      '--lang', fit.lang, '--stats']).toString('utf8');
    expect(shown + '\n' + statistics).toBe(expected);
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
