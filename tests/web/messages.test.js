// The messages a user can reach from the page: the window's texts and captions, in both languages.
const { test, expect } = require('@playwright/test');
const fs = require('fs');
const h = require('./helpers');

async function clipboardPaste(page, n, text) {
  await h.button(page, n, 'inputData').click();
  await h.setClipboard(page, text);
  await h.button(page, n, 'pasteData').click();
}

async function analysisOk(page, n) {
  await h.button(page, n, 'analysis').click();
  await page.getByRole('dialog', { name: n.fit }).getByRole('button', { name: n.ok }).click();
}

const MESSAGES = [
  { lang: 'en', caption: 'Error', text: 'NO data inputted!', steps: async (page, n) => {
    await h.button(page, n, 'inputData').click();
    await analysisOk(page, n);
  } },
  { lang: 'ja', caption: '警告', text: '入力数値が１組です!', steps: async (page, n) => {
    await h.typePairs(page, n, [['1', '2']]);
    await analysisOk(page, n);
  } },
  { lang: 'en', caption: 'Error', text: 'NO data in the file.', steps: async (page, n) => {
    // 24 MB with no data line: read in slices to its end without holding it.
    const empty = h.tempFile('empty.txt');
    fs.writeFileSync(empty, Buffer.concat([Buffer.from('no numbers here\r\n'), Buffer.alloc(24 << 20, 0x2e)]));
    await h.button(page, n, 'inputData').click();
    const chooser = page.waitForEvent('filechooser');
    await h.button(page, n, 'readData').click();
    await (await chooser).setFiles(empty);
    // Typing waits for the file: the cells are read-only while it is read.
    await expect(page.getByRole('textbox', { name: 'X 1', exact: true })).toHaveJSProperty('readOnly', true);
  } },
  { lang: 'en', caption: 'Error', text: 'No data on the Clipboard.', steps: (page, n) => clipboardPaste(page, n, '') },
  { lang: 'ja', caption: 'エラー', text: 'Excelのデータのコピーではありません', steps: (page, n) => clipboardPaste(page, n, 'abc') },
  { lang: 'en', caption: 'Error', text: 'Not copied data from Excel.',  // over 16 MB
    steps: (page, n) => clipboardPaste(page, n, '1\t2\r\n'.repeat(4 * 1024 * 1024)) },
  { lang: 'en', caption: 'Error', text: 'Some cell in Excel data does not have a datum.',
    steps: (page, n) => clipboardPaste(page, n, '1\t2\r\n3\t\r\n') },
  { lang: 'en', caption: 'Error', text: 'Assign a file with TXT extension.', steps: async (page, n) => {
    await h.typePairs(page, n, [['1', '2'], ['2', '3'], ['3', '5']]);
    await analysisOk(page, n);
    await h.button(page, n, 'saveData').click();
    const dialog = page.getByRole('dialog', { name: n.saveDataTitle });
    await dialog.getByRole('textbox', { name: n.fileName }).fill('data.csv');
    await dialog.getByRole('button', { name: n.ok }).click();
  } },
  ...[['en', 'graph.jpg'], ['ja', '   ']].map(([lang, name]) => ({ lang, caption: lang === 'en' ? 'Error' : 'エラー',
    text: lang === 'en' ? 'Assign a file with BMP, PNG or SVG extension.' : 'ファイルは拡張子 BMP, PNG または SVG を持つ必要があります.',
    steps: async (page, n) => {
      await h.typePairs(page, n, [['1', '2'], ['2', '3'], ['3', '5']]);
      await analysisOk(page, n);
      await h.button(page, n, 'drawGraph').click();
      await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
      await h.button(page, n, 'saveGraph').click();
      const dialog = page.getByRole('dialog', { name: n.saveGraphTitle });
      await dialog.getByRole('textbox', { name: n.fileName }).fill(name);
      await dialog.getByRole('button', { name: n.ok }).click();
    } })),
  { lang: 'en', caption: 'Error', text: 'did not allow this page to read the Clipboard', steps: async (page, n) => {
    await page.context().clearPermissions();
    await h.button(page, n, 'inputData').click();
    await h.button(page, n, 'pasteData').click();
  } },
  { lang: 'ja', caption: 'グラフ非表示', text: '入力データのY値がすべて同じです!', steps: async (page, n) => {
    await h.typePairs(page, n, [['1', '2'], ['2', '2'], ['3', '2']]);
    await analysisOk(page, n);
    await h.button(page, n, 'drawGraph').click();
    await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
  } },
];

for (const m of MESSAGES) {
  test(`message "${m.text}" (${m.caption})`, async ({ page }) => {
    const n = await h.openPage(page, m.lang);
    await m.steps(page, n);
    await h.expectMessage(page, n, m.caption, m.text);
    await expect(page.getByRole('alertdialog')).toBeHidden();
  });
}

test('About shows the About dialog\'s texts', async ({ page }) => {
  for (const [lang, heading, text] of [['en', '*** Plorimet (V 1.42) ***', 'Polynomial approximation is executed'],
    ['ja', '*** Plorimet (V 1.42) ***', '(X,Y)データの多項式近似を行います.']]) {
    const n = await h.openPage(page, lang);
    await h.button(page, n, 'about').click();
    const dialog = page.getByRole('dialog', { name: n.aboutDialog });
    await expect(dialog).toContainText(heading);
    await expect(dialog).toContainText(text);
    await dialog.getByRole('button', { name: n.ok }).click();
    await expect(dialog).toBeHidden();
  }
});

test('Help opens the manual of the page\'s language inside the page, its contents leading to its sections', async ({ page }) => {
  const requests = [];
  page.on('request', (r) => { if (!/^(data|blob):/.test(r.url())) requests.push(r.url()); });
  for (const [lang, title, section] of [['en', 'Plorimet User Manual', 'The tool bar'], ['ja', 'Plorimet 取扱説明書', 'ツールバー']]) {
    const n = await h.openPage(page, lang);
    await page.keyboard.press('F1');
    const help = page.getByRole('dialog', { name: n.help });
    await expect(help.getByRole('heading', { level: 1 })).toHaveText(title);
    await help.getByRole('link', { name: new RegExp(`^\\d+\\. ${section}$`) }).click();
    await expect(help.getByRole('heading', { level: 2, name: new RegExp(`${section}$`) })).toBeInViewport();
    await expect(help.getByRole('img').first()).toHaveJSProperty('complete', true);
    await help.getByRole('button').click();
    await expect(help).toBeHidden();
  }
  expect(requests.filter((u) => !u.includes('plorimet.html'))).toEqual([]);
});
