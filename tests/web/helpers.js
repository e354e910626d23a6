// What the page's tests share: opening the page, the native command-line tool, the names.
const { expect } = require('@playwright/test');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');

const ROOT = path.resolve(__dirname, '../..');
const PAGE = process.env.PLORIMET_PAGE || path.join(ROOT, 'build/web/plorimet.html');
const CLI = process.env.PLORIMET_CLI || path.join(ROOT, 'build/native/tools/plorimet');
const EXAMPLES = path.join(ROOT, 'examples');

const NAMES = {
  en: { inputData: 'Input Data', readData: 'Read Data', pasteData: 'Paste Data', analysis: 'Analysis',
    saveData: 'Save Data', drawGraph: 'Draw Graph', copyGraph: 'Copy Graph', saveGraph: 'Save Graph',
    about: 'About', help: 'Help', fit: 'Plorimet', graph: 'Graph Specification', columns: 'Select Excel Column Numbers',
    aboutDialog: 'About', degree: 'Degree of Equation', digits: 'Digits of Coefficient', ok: 'OK', cancel: 'Cancel',
    yes: 'Yes', no: 'No', fileName: 'File name', equation: 'Equation', statistics: 'Statistics', picture: 'Graph',
    xColumn: 'X Column :', yColumn: 'Y Column :', saveDataTitle: 'Assign a file to save the data.',
    saveGraphTitle: 'Assign a file to save the graph.' },
  ja: { inputData: 'データ入力', readData: 'データ読込', pasteData: 'データ貼付け', analysis: 'データ解析',
    saveData: 'データ保存', drawGraph: 'グラフ作成', copyGraph: 'グラフコピー', saveGraph: 'グラフ保存',
    about: '御案内', help: 'ヘルプ', fit: 'Plorimet', graph: 'グラフの指定', columns: 'Excelのカラム(縦列)番号の選択',
    aboutDialog: '御案内', degree: '近似式の次数', digits: '係数の桁数', ok: 'OK', cancel: 'ｷｬﾝｾﾙ',
    yes: 'はい', no: 'いいえ', fileName: 'ファイル名', equation: '近似式', statistics: '統計量', picture: 'グラフ',
    xColumn: 'Ｘカラム：', yColumn: 'Ｙカラム：', saveDataTitle: 'データを保存するファイル名の選択',
    saveGraphTitle: 'グラフを保存するファイル名の選択' },
};

async function openPage(page, lang = 'en') {
  await page.goto(`${pathToFileURL(PAGE).href}?lang=${lang}`);
  await expect(page.locator('body[data-ready=true]')).toHaveCount(1);
  return NAMES[lang];
}

function cli(args) {
  return execFileSync(CLI, args, { encoding: 'buffer' });
}

// The pairs of an example file as cell texts.
function examplePairs(name) {
  return fs.readFileSync(path.join(EXAMPLES, name), 'latin1').split(/\r?\n/)
    .map((line) => line.trim().split(/[\s,]+/)).filter((p) => p.length === 2 && /^[-.\d]/.test(p[0]));
}

function tempFile(name) {
  return path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'plorimet-page-')), name);
}

function button(page, n, key) {
  return page.getByRole('toolbar').getByRole('button', { name: n[key], exact: true });
}

// Input Data, then the pairs typed by keys alone: Tab from X to Y, Tab to the next pair's X.
async function typePairs(page, n, pairs) {
  await button(page, n, 'inputData').click();
  const question = page.getByRole('alertdialog');
  if (await question.isVisible()) await question.getByRole('button', { name: n.yes }).click();
  await expect(page.getByRole('textbox', { name: 'X 1', exact: true })).toBeFocused();
  for (const [x, y] of pairs) {
    await page.keyboard.type(x);
    await page.keyboard.press('Tab');
    await page.keyboard.type(y);
    await page.keyboard.press('Tab');
  }
}

// The page's work ahead for the dialog's answer so far, done (the fit OK then takes as it is).
const madeAhead = (page) => page.waitForFunction(() => !window.plorimetPage.helper.preparing);

// Analysis with the fit dialog's degree and digits; resolves to the equation's text.
// `first`: a degree typed before `degree`, whose fit the page makes ahead and must not show;
// `hurry`: OK before the page's work ahead is done (held back here), so the page fits on its own.
async function analyse(page, n, { degree, digits, first, hurry } = {}) {
  if (hurry) await page.evaluate(() => { window.plorimetPage.helper.prepare = () => {}; });
  await button(page, n, 'analysis').click();
  const dialog = page.getByRole('dialog', { name: n.fit });
  if (first !== undefined) {
    await dialog.getByRole('combobox', { name: n.degree }).fill(String(first));
    await madeAhead(page);
  }
  if (degree !== undefined) await dialog.getByRole('combobox', { name: n.degree }).fill(String(degree));
  if (digits !== undefined) await dialog.getByRole('radiogroup', { name: n.digits }).getByRole('radio', { name: String(digits), exact: true }).check();
  await madeAhead(page);
  await dialog.getByRole('button', { name: n.ok }).click();
  const equation = page.getByRole('region', { name: n.equation });
  await expect(equation).toBeVisible();
  return equation.textContent();
}

// The message shown: caption and text; answered with OK.
async function expectMessage(page, n, caption, text) {
  const message = page.getByRole('alertdialog', { name: caption });
  await expect(message).toBeVisible();
  if (text) await expect(message).toContainText(text);
  await message.getByRole('button', { name: n.ok }).click();
}

async function saveAs(page, n, key, titleKey, name) {
  await button(page, n, key).click();
  const dialog = page.getByRole('dialog', { name: n[titleKey] });
  await dialog.getByRole('textbox', { name: n.fileName }).fill(name);
  const download = page.waitForEvent('download');
  await dialog.getByRole('button', { name: n.ok }).click();
  const file = await download;
  const saved = tempFile(file.suggestedFilename());
  await file.saveAs(saved);
  return { name: file.suggestedFilename(), bytes: fs.readFileSync(saved) };
}

module.exports = { NAMES, ROOT, EXAMPLES, openPage, cli, examplePairs, tempFile, button, typePairs, analyse,
  expectMessage, saveAs };

// Puts text on the system clipboard through the browser.
async function setClipboard(page, text) {
  await page.context().grantPermissions(['clipboard-read', 'clipboard-write']);
  await page.evaluate((t) => navigator.clipboard.writeText(t), text);
}

module.exports.setClipboard = setClipboard;
