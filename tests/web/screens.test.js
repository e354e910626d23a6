// The page on the screens people have: a phone's 375 CSS pixels and a desktop's 1280, at pixel
// ratios 1, 2 and 3, in both languages. The graph keeps its size in CSS pixels, the equation
// breaks between terms only, nothing scrolls sideways but the statistics table in its own box,
// the tool bar stays in view and is big enough for a finger; every view is kept as a screenshot
// (build/web/screens) for a person to look at, and the README's pictures are taken again.
const { test, expect } = require('@playwright/test');
const path = require('path');
const h = require('./helpers');

const SHOTS = path.join(h.ROOT, 'build/web/screens');
const IMAGES = path.join(h.ROOT, 'docs/images');
const PICTURE = { width: 630, height: 344 };  // the window's graph on a standard desktop

const SCREENS = [
  { width: 375, height: 740, ratio: 3, touch: true, lang: 'ja', shots: true },
  { width: 375, height: 740, ratio: 2, touch: true, lang: 'en', shots: true },
  { width: 375, height: 740, ratio: 1, touch: false, lang: 'en', shots: false },
  { width: 1280, height: 860, ratio: 1, touch: false, lang: 'en', shots: true },
  { width: 1280, height: 860, ratio: 2, touch: false, lang: 'ja', shots: true },
  { width: 1280, height: 860, ratio: 3, touch: false, lang: 'en', shots: false },
];

const PLOT_NAMES = {
  en: { plot: 'Plot', x: 'X axis', y: 'Y axis', band: '95% confidence band', curve: 'Fitted curve', data: 'Data' },
  ja: { plot: 'プロット', x: 'X 軸', y: 'Y 軸', band: '95% 信頼帯', curve: '近似曲線', data: 'データ' },
};

for (const s of SCREENS) {
  test.describe(`${s.width} px at pixel ratio ${s.ratio} (${s.lang})`, () => {
    test.use({ viewport: { width: s.width, height: s.height }, deviceScaleFactor: s.ratio, hasTouch: s.touch });

    test('every view', async ({ page }) => {
      const n = await h.openPage(page, s.lang);
      const shot = async (view) => {
        // A whole-page picture would drop the touch screen's emulation: the phone's are of its screen.
        if (s.shots) await page.screenshot({ path: path.join(SHOTS, `${view}-${s.width}-${s.lang}.png`), fullPage: !s.touch });
      };
      const sideways = () => page.evaluate(() => document.documentElement.scrollWidth > window.innerWidth);
      await shot('start');
      if (s.touch) {
        // A finger resting on a button shows its name and key, and gives no command.
        const help = h.button(page, n, 'help');
        await help.dispatchEvent('pointerdown', { pointerType: 'touch', isPrimary: true });
        await expect(page.getByRole('tooltip')).toHaveText(`${n.help} (F1)`);
        await shot('label');
        await help.dispatchEvent('pointerup', { pointerType: 'touch', isPrimary: true });
      }

      await h.typePairs(page, n, h.examplePairs('sample.txt'));
      if (s.touch) {
        const boxes = await page.getByRole('toolbar').getByRole('button').evaluateAll((b) => b.map((e) => e.getBoundingClientRect()));
        for (const box of boxes) expect(Math.min(box.width, box.height)).toBeGreaterThanOrEqual(44);
        const cell = await page.getByRole('textbox', { name: 'Y 40', exact: true }).boundingBox();
        expect(cell.height).toBeGreaterThanOrEqual(44);
      }
      await page.getByRole('textbox', { name: 'X 40', exact: true }).focus();
      expect(await page.getByRole('toolbar').evaluate((t) => t.getBoundingClientRect().top)).toBeGreaterThanOrEqual(0);
      expect(await sideways()).toBe(false);
      await shot('grid');

      await h.button(page, n, 'analysis').click();
      const fitDialog = page.getByRole('dialog', { name: n.fit });
      await fitDialog.getByRole('combobox', { name: n.degree }).fill('3');
      await shot('fit-dialog');
      await fitDialog.getByRole('button', { name: n.ok }).click();
      const statistics = page.getByRole('region', { name: n.statistics });
      await expect(statistics.getByRole('table').first()).toBeVisible();
      // No term is broken over two lines, and only the table's own box scrolls sideways.
      const broken = await page.locator('#equation .term').evaluateAll((t) => t.filter((e) => e.getClientRects().length > 1).length);
      expect(broken).toBe(0);
      expect(await sideways()).toBe(false);
      const box = await statistics.evaluate((e) => ({ scroll: e.scrollWidth, client: e.clientWidth, overflow: getComputedStyle(e).overflowX }));
      if (box.scroll > box.client) expect(box.overflow).toBe('auto');
      await shot('equation');
      if (s.width === 375 && s.lang === 'ja') await page.screenshot({ path: path.join(IMAGES, 'page-phone-equation-ja.png') });

      await h.button(page, n, 'drawGraph').click();
      await shot('graph-dialog');
      await page.getByRole('dialog', { name: n.graph }).getByRole('button', { name: n.ok }).click();
      const graph = page.getByRole('img', { name: n.picture });
      await expect(graph).toBeVisible();
      const size = await graph.evaluate((c) => {
        const r = c.getBoundingClientRect();
        return { width: r.width, height: r.height, pixels: c.width };
      });
      const room = s.width - 16;  // the page's margins
      const width = Math.min(PICTURE.width, room);
      expect(size.width).toBeCloseTo(width, 0);
      expect(size.height).toBeCloseTo(width * PICTURE.height / PICTURE.width, 0);
      expect(size.pixels).toBe(PICTURE.width * s.ratio);  // whole device pixels for each picture pixel
      const names = PLOT_NAMES[s.lang];
      const plot = page.getByRole('figure', { name: names.plot });
      for (const part of [names.x, names.y, names.band, names.curve, names.data])
        await expect(plot.getByRole('group', { name: part, exact: true })).toHaveCount(1);
      expect(await sideways()).toBe(false);
      await shot('graph');
      if (s.width === 1280 && s.ratio === 1) await page.locator('#plot').screenshot({ path: path.join(IMAGES, 'page-plot-en.png') });

      await h.button(page, n, 'help').click();
      const help = page.getByRole('dialog', { name: n.help });
      await expect(help.getByRole('heading', { level: 1 })).toBeVisible();
      await shot('help');
      await page.keyboard.press('Escape');
      await expect(help).toBeHidden();
    });
  });
}
