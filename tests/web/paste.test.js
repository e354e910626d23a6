// Paste Data through the real clipboard: two columns at once, three through the column dialog,
// Ctrl+V outside a cell; browsers' LF line ends are taken as the spreadsheet's CR LF.
const { test, expect } = require('@playwright/test');
const h = require('./helpers');

const cell = (page, name) => page.getByRole('textbox', { name, exact: true });

const PASTES = [
  { title: 'two columns with the button, CR LF', text: '1\t2\r\n3\t4.5\r\n', how: 'button', expect: [['1', '2'], ['3', '4.5']] },
  { title: 'two columns by Ctrl+V, LF only', text: '5\t6\n7\t8\n', how: 'ctrl+v', expect: [['5', '6'], ['7', '8']] },
  { title: 'three columns, X 1 and Y 3 (Japanese)', text: '1\t10\t100\r\n2\t20\t200\r\n3\t30\t300\r\n', how: 'button',
    lang: 'ja', columns: ['1', '3'], expect: [['1', '100'], ['2', '200'], ['3', '300']] },
  { title: 'three columns, Y left of X asked again, then X 2 and Y 3', text: '1\t10\t100\n2\t20\t200\n', how: 'button',
    columns: ['3', '1'], again: ['2', '3'], expect: [['10', '100'], ['20', '200']] },
];

for (const p of PASTES) {
  test(`Paste Data: ${p.title}`, async ({ page }) => {
    const n = await h.openPage(page, p.lang || 'en');
    await h.button(page, n, 'inputData').click();
    await h.setClipboard(page, p.text);
    if (p.how === 'button') {
      await h.button(page, n, 'pasteData').click();
    } else {
      await page.locator('main').click({ position: { x: 700, y: 5 } });  // outside every cell
      await page.keyboard.press('Control+V');
    }
    if (p.columns) {
      const dialog = page.getByRole('dialog', { name: n.columns });
      await expect(dialog.getByRole('combobox', { name: n.xColumn })).toHaveValue('1');
      await expect(dialog.getByRole('combobox', { name: n.yColumn })).toHaveValue('3');
      await dialog.getByRole('combobox', { name: n.xColumn }).fill(p.columns[0]);
      await dialog.getByRole('combobox', { name: n.yColumn }).fill(p.columns[1]);
      await dialog.getByRole('button', { name: n.ok }).click();
      if (p.again) {
        await h.expectMessage(page, n, 'Warning', 'Y column number should be larger');
        await dialog.getByRole('combobox', { name: n.xColumn }).fill(p.again[0]);
        await dialog.getByRole('combobox', { name: n.yColumn }).fill(p.again[1]);
        await dialog.getByRole('button', { name: n.ok }).click();
      }
    }
    for (let k = 0; k < p.expect.length; ++k) {
      await expect(cell(page, `X ${k + 1}`)).toHaveValue(p.expect[k][0]);
      await expect(cell(page, `Y ${k + 1}`)).toHaveValue(p.expect[k][1]);
    }
    await expect(cell(page, `X ${p.expect.length + 1}`)).toHaveValue('');
  });
}

// A row of a million tabs: the column dialog at once, with a short list, each keystroke judged
// without it, and the window's message on OK (the page threw "Maximum call stack size exceeded").
test('Paste Data of a million columns asks for them and ends with the window\'s message', async ({ page }) => {
  const n = await h.openPage(page, 'en');
  await h.button(page, n, 'inputData').click();
  await h.setClipboard(page, '\t'.repeat(1000000) + '\r\n');
  await h.button(page, n, 'pasteData').click();
  const dialog = page.getByRole('dialog', { name: n.columns });
  const y = dialog.getByRole('combobox', { name: n.yColumn });
  await expect(y).toHaveValue('1000001');
  expect(await dialog.locator('datalist').first().locator('option').count()).toBe(100);
  await y.fill('1000002');
  await expect(y).toHaveValue('1000001');
  await dialog.getByRole('button', { name: n.ok }).click();
  await h.expectMessage(page, n, 'Error', 'Some cell in Excel data does not have a datum.');
  await expect(cell(page, 'X 1')).toHaveValue('');
});
