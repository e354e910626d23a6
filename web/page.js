// The page: shows what the program (PlorimetModule, the portable C++ code) decides and passes
// the user's input on. No rule of the program is made here.
'use strict';

// The program's command, view and text ids and its limits, as the binding gives them once the
// program is loaded (takeProgramIds).
let IDM, VIEW, TEXT, PLOT_TEXT, MAX_PAIRS, ROWS_PER_GROUP, CELL_CHARACTERS, CLIPBOARD_LIMIT;
function takeProgramIds(program) {
  const ids = program.ids();
  ({ commands: IDM, views: VIEW, texts: TEXT, plotTexts: PLOT_TEXT } = ids);
  ({ MAX_PAIRS, ROWS_PER_GROUP, CELL_CHARACTERS, CLIPBOARD_LIMIT } = ids.limits);
}
const READ_SLICE = 64 * 1024;            // bytes of a file handed to the reader at a time
const STORAGE_KEY = 'plorimet.cells';
const STORAGE_ASIDE_KEY = 'plorimet.cells.unreadable';  // a stored grid that could not be read
const LONG_PRESS_MS = 500;               // a touch held this long shows a button's label
const PLOT_FILE_WIDTH = 640;             // the plot's files, as `plorimet plot` writes them

// Texts of the page alone (the window has no such things).
const PAGE_TEXTS = {
  fileName: ['File name', 'ファイル名'],
  yes: ['Yes', 'はい'],
  no: ['No', 'いいえ'],
  storageOff: ['This browser keeps nothing for the page: typed data will not survive a reload.',
    'このブラウザーはページのデータを保存できません。入力したデータは再読み込みで失われます。'],
  cell: ['X', 'Y'],
  storageUnreadable: ['The data kept from an earlier visit could not be read. It has been set aside unchanged (as "plorimet.cells.unreadable" in this browser\'s storage for the page), and the grid starts empty.',
    '前回保存したデータを読み込めませんでした。データはそのまま別に保存し（このページのブラウザー保存領域の "plorimet.cells.unreadable"）、表は空で始めます。'],
  otherTab: ['The cells were changed in another tab of this page and are shown here as they are there.',
    'このページの別のタブで表が変更されたので、その内容を表示しています。'],
  clipboardRefused: ['The browser did not allow this page to read the Clipboard.\nAllow it in the page\'s site settings, or click outside the cells and press Ctrl+V.',
    'ブラウザーがこのページにクリップボードの読み取りを許可しませんでした.\nサイトの設定で許可するか、表の外をクリックしてから Ctrl+V を押してください.'],
  statisticsPending: ['Working out the statistics...', '統計量を計算しています...'],
  plotPending: ['Drawing the plot...', 'プロットを作成しています...'],
  savePlotSvg: ['Save Plot (SVG)', 'プロット保存 (SVG)'],
  savePlotPng: ['Save Plot (PNG)', 'プロット保存 (PNG)'],
  close: ['Close', '閉じる'],
};

const $ = (id) => document.getElementById(id);

function chooseJapanese() {
  const asked = new URLSearchParams(location.search).get('lang');
  if (asked === 'ja' || asked === 'en') return asked === 'ja';
  return (navigator.languages || [navigator.language]).some((l) => /^ja\b/i.test(l || ''));
}

class Page {
  constructor(program, japanese, helper) {
    this.p = program;
    this.ja = japanese;
    this.lang = japanese ? 1 : 0;
    this.session = new program.Session(japanese);
    this.helper = helper;  // the worker that makes the statistics and the plot
    this.busy = false;
    this.cells = [];
    this.storageWarned = false;
    this.timings = {};
    this.fitSerial = 0;    // the shown fit, whose statistics and plot come from the worker
    this.statisticsViews = new WeakMap();  // a statistics table -> its elements
    this.picture = null;   // the graph's pixels, drawn again when the pixel ratio changes
    this.plotOptions = { band: 1, residuals: false };
  }

  pageText(key) { return PAGE_TEXTS[key][this.lang]; }

  // ---- building ------------------------------------------------------------------------
  start(pictures) {
    this.pictures = pictures;
    document.documentElement.lang = this.ja ? 'ja' : 'en';
    document.title = this.p.text(TEXT.PRODUCT_TITLE, this.ja);
    $('start-picture').src = pictures.startPicture;
    this.buildToolbar();
    this.buildGrid();
    this.buildPlot();
    $('equation').setAttribute('aria-label', this.ja ? '近似式' : 'Equation');
    $('statistics').setAttribute('aria-label', this.ja ? '統計量' : 'Statistics');
    $('graph').setAttribute('aria-label', this.ja ? 'グラフ' : 'Graph');
    this.restoreCells();
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) this.cells[k].value = this.session.cell(k);
    this.bindKeys();
    this.bindDropAndPaste();
    this.bindStorage();
    this.bindGraphSize();
    this.show();
  }

  // The tool bar: one tab stop, the arrows move along it (the usual tool bar); each button's
  // label and key show on hover, on keyboard focus and on a long touch.
  buildToolbar() {
    const bar = $('toolbar');
    bar.setAttribute('aria-label', this.p.text(TEXT.PRODUCT_TITLE, this.ja));
    this.buttons = [];
    this.toolbar = this.p.toolbar(this.ja);
    this.toolbar.forEach((b, k) => { b.index = k; });
    for (const b of this.toolbar) {
      if (b.command === IDM.EXIT) continue;  // a page is closed by the browser
      const button = document.createElement('button');
      button.type = 'button';
      button.tabIndex = -1;
      button.dataset.tip = b.key ? `${b.label} (${b.key})` : b.label;
      button.title = button.dataset.tip;
      button.setAttribute('aria-label', b.label);
      if (b.ariaKey) button.setAttribute('aria-keyshortcuts', b.ariaKey);
      const img = document.createElement('img');
      img.alt = '';
      button.append(img);
      button.addEventListener('click', (e) => {
        if (button.dataset.pressedLong) { delete button.dataset.pressedLong; e.preventDefault(); return; }
        this.run(b.command);
      });
      button.addEventListener('pointerdown', (e) => this.pressButton(button, e));
      for (const up of ['pointerup', 'pointerleave', 'pointercancel']) button.addEventListener(up, () => this.releaseButton(button));
      button.addEventListener('contextmenu', (e) => { if (button.dataset.pressedLong) e.preventDefault(); });
      button.addEventListener('focus', () => { this.rovingButton = button; if (button.matches(':focus-visible')) this.showTip(button); });
      button.addEventListener('blur', () => this.hideTip());
      button.dataset.stem = b.stem;
      button.dataset.index = b.index;
      bar.append(button);
      this.buttons.push(button);
    }
    bar.addEventListener('keydown', (e) => this.moveAlongToolbar(e));
  }

  pressButton(button, e) {
    if (!button.disabled) this.setFace(button, 'Dn');
    if (e.pointerType !== 'touch') return;
    clearTimeout(this.longPress);
    this.longPress = setTimeout(() => { button.dataset.pressedLong = 'true'; this.showTip(button); }, LONG_PRESS_MS);
  }

  // The click a long press ends with (if the browser gives one) only showed the label.
  releaseButton(button) {
    clearTimeout(this.longPress);
    this.paintButton(button);
    if (!button.dataset.pressedLong) return;
    setTimeout(() => delete button.dataset.pressedLong, 400);
    setTimeout(() => this.hideTip(), 1500);
  }

  showTip(button) {
    const tip = $('tip');
    tip.textContent = button.dataset.tip;
    tip.hidden = false;
    const r = button.getBoundingClientRect();
    tip.style.left = `${Math.max(0, Math.min(r.left, window.innerWidth - tip.offsetWidth - 2))}px`;
    tip.style.top = `${r.bottom + 2}px`;
    button.setAttribute('aria-describedby', 'tip');
  }

  hideTip() {
    $('tip').hidden = true;
    for (const b of this.buttons) b.removeAttribute('aria-describedby');
  }

  enabledButtons() { return this.buttons.filter((b) => !b.disabled); }

  moveAlongToolbar(e) {
    const buttons = this.enabledButtons();
    const at = buttons.indexOf(document.activeElement);
    if (at < 0 || e.ctrlKey || e.altKey || e.metaKey) return;
    const to = { ArrowRight: at + 1, ArrowLeft: at - 1, Home: 0, End: buttons.length - 1 }[e.key];
    if (to === undefined) return;
    e.preventDefault();
    buttons[(to + buttons.length) % buttons.length].focus();
  }

  // The tool bar's one tab stop: the button last focused while it is enabled, else the first.
  focusToolbar() {
    const buttons = this.enabledButtons();
    const button = buttons.includes(this.rovingButton) ? this.rovingButton : buttons[0];
    if (button) button.focus();
  }

  // Below the graph, the plot: its band and residual choices and its two files.
  buildPlot() {
    const word = (id) => this.p.plotText(id, this.ja);
    $('plot-title').textContent = word(PLOT_TEXT.PLOT);
    $('plot').setAttribute('aria-label', word(PLOT_TEXT.PLOT));
    $('plot-band').textContent = word(PLOT_TEXT.BAND_CHOICE);
    const group = $('plot').querySelector('fieldset');
    [[1, PLOT_TEXT.BAND_CONFIDENCE], [2, PLOT_TEXT.BAND_PREDICTION], [0, PLOT_TEXT.BAND_NONE]].forEach(([band, text]) => {
      const label = document.createElement('label');
      const radio = Object.assign(document.createElement('input'), { type: 'radio', name: 'plot-band', value: band, checked: band === 1 });
      radio.addEventListener('change', () => { this.plotOptions.band = band; this.showPlot(); });
      label.append(radio, ' ' + word(text));
      group.append(label);
    });
    $('plot-residuals-label').textContent = word(PLOT_TEXT.SHOW_RESIDUALS);
    $('plot-residuals').addEventListener('change', (e) => { this.plotOptions.residuals = e.target.checked; this.showPlot(); });
    $('plot-svg').textContent = this.pageText('savePlotSvg');
    $('plot-png').textContent = this.pageText('savePlotPng');
    $('plot-svg').addEventListener('click', () => this.savePlot(false));
    $('plot-png').addEventListener('click', () => this.savePlot(true));
  }

  buildGrid() {
    const grid = $('grid');
    for (let g = 0; g < MAX_PAIRS / ROWS_PER_GROUP; ++g) {
      const group = document.createElement('div');
      group.className = 'group';
      group.append(Object.assign(document.createElement('span'), { className: 'head' }));
      for (const head of PAGE_TEXTS.cell)
        group.append(Object.assign(document.createElement('span'), { className: 'head', textContent: head }));
      for (let r = 0; r < ROWS_PER_GROUP; ++r) {
        const pair = g * ROWS_PER_GROUP + r;
        group.append(Object.assign(document.createElement('span'), { className: 'no', textContent: pair + 1 }));
        for (const column of [0, 1]) {
          const index = column * MAX_PAIRS + pair;
          const input = document.createElement('input');
          input.type = 'text';
          input.inputMode = 'decimal';
          input.maxLength = CELL_CHARACTERS;
          input.autocomplete = 'off';
          input.spellcheck = false;
          input.setAttribute('aria-label', `${PAGE_TEXTS.cell[column]} ${pair + 1}`);
          input.addEventListener('input', () => this.cellChanged(index));
          this.cells[index] = input;
          group.append(input);
        }
      }
      grid.append(group);
    }
  }

  // ---- showing -----------------------------------------------------------------------------
  paintButton(button) { this.setFace(button, button.disabled ? 'In' : 'Up'); }

  // The face's name is compared, not its picture (a long data URL).
  setFace(button, state) {
    const face = button.dataset.stem + state;
    if (button.dataset.face === face) return;
    button.dataset.face = face;
    button.querySelector('img').src = this.pictures.art[face];
  }

  show() {
    const view = this.session.view();
    const enabled = this.session.enabled();
    for (const button of this.buttons) {
      button.disabled = !enabled[Number(button.dataset.index)];
      this.paintButton(button);
    }
    const roving = this.enabledButtons().includes(this.rovingButton) ? this.rovingButton : this.enabledButtons()[0];
    for (const button of this.buttons) button.tabIndex = button === roving ? 0 : -1;
    $('start').hidden = view !== VIEW.INITIAL;
    $('grid').hidden = view !== VIEW.DATA_INPUT;
    $('equation').hidden = view !== VIEW.EQUATION;
    $('statistics').hidden = view !== VIEW.EQUATION;
    $('graph').hidden = view !== VIEW.GRAPH;
    $('plot').hidden = view !== VIEW.GRAPH;
    if (view === VIEW.EQUATION && this.shownSerial !== this.fitSerial) {
      this.shownSerial = this.fitSerial;
      this.showEquation(this.session.equationText());
      this.showStatistics();
    }
  }

  // Each term of a line ("+  1.98*X^1") kept whole, so a narrow screen breaks lines between
  // terms; the text stays the program's, character for character.
  showEquation(text) {
    const equation = $('equation');
    equation.replaceChildren();
    text.split('\n').forEach((line, k) => {
      if (k) equation.append('\n');
      if (!line.includes('*X^')) { equation.append(line); return; }
      line.split(/(?<=\S) {2}(?=[-+] {2})/).forEach((term, t) => {
        if (t) equation.append('  ');
        equation.append(Object.assign(document.createElement('span'), { className: 'term', textContent: term }));
      });
    });
  }

  // The statistics come from the worker: the equation is shown at once, the table when it is
  // ready (the page answers meanwhile); a newer Analysis makes an older table stale.
  async showStatistics() {
    const region = $('statistics');
    const serial = this.fitSerial;
    region.setAttribute('aria-busy', 'true');
    region.replaceChildren(Object.assign(document.createElement('p'), { className: 'pending', textContent: this.pageText('statisticsPending') }));
    const fit = this.session.shownFit();
    let table = null;
    // Work ended by a request for another fit is asked again while this fit is shown.
    do table = fit ? await this.helper.statistics(fit, serial) : null;
    while (table === ABANDONED && serial === this.fitSerial);
    if (serial !== this.fitSerial) return;
    region.replaceChildren();
    region.removeAttribute('aria-busy');
    if (table) region.append(...this.statisticsView(table));
    this.timings.statistics = performance.now() - this.timings.okAt;
  }

  // The elements of a statistics table, made once (for a fit worked out ahead, before OK).
  statisticsView(table) {
    let view = this.statisticsViews.get(table);
    if (!view) {
      view = statisticsTable(table);
      this.statisticsViews.set(table, view);
    }
    return view;
  }

  fillCells() {
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) this.cells[k].value = this.session.cell(k);
    this.saveCells();
  }

  // The window's picture at its size in CSS pixels on any screen: each picture pixel becomes a
  // square of whole device pixels (nearest neighbour, so the dots stay sharp), and a screen
  // narrower than the picture shows it smaller, smoothed only where its device pixels are fewer
  // than the picture's (dropping pixels would lose the one-pixel lines).
  drawGraph(picture) {
    this.picture = picture || this.picture;
    if (!this.picture) return;
    const { width, height } = this.picture;
    const canvas = $('graph');
    const ratio = window.devicePixelRatio || 1;
    const k = Math.max(1, Math.ceil(ratio - 1e-6));
    canvas.width = width * k;
    canvas.height = height * k;
    canvas.dataset.pictureWidth = width;
    const context = canvas.getContext('2d');
    const source = new OffscreenCanvas(width, height);
    source.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(this.picture.rgba.buffer), width, height), 0, 0);
    context.imageSmoothingEnabled = false;
    context.drawImage(source, 0, 0, width * k, height * k);
    this.fitGraphRendering();
  }

  fitGraphRendering() {
    const canvas = $('graph');
    const shown = canvas.getBoundingClientRect().width * (window.devicePixelRatio || 1);
    canvas.style.imageRendering = shown + 0.5 < Number(canvas.dataset.pictureWidth) ? 'auto' : 'pixelated';
  }

  bindGraphSize() {
    new ResizeObserver(() => this.fitGraphRendering()).observe($('graph'));
    const watchRatio = () => {
      matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
        this.drawGraph();
        watchRatio();
      }, { once: true });
    };
    watchRatio();
  }

  // The plot of the shown fit, from the worker; stale when the fit or the choices changed since.
  async showPlot() {
    const picture = $('plot-picture');
    const asked = { serial: this.fitSerial, ...this.plotOptions };
    this.plotAsked = asked;
    picture.setAttribute('aria-busy', 'true');
    if (!picture.querySelector('svg')) picture.replaceChildren(Object.assign(document.createElement('p'), { textContent: this.pageText('plotPending') }));
    // As wide as the screen has room for, at most the files' width (its texts keep their size).
    const plot = await this.plotOf(false, Math.floor($('plot').getBoundingClientRect().width));
    if (this.plotAsked !== asked) return;
    picture.removeAttribute('aria-busy');
    if (!plot) return;
    if (plot.message >= 0) {
      picture.replaceChildren();
      await this.message(plot.message);
      return;
    }
    const svg = new DOMParser().parseFromString(plot.svg, 'image/svg+xml').documentElement;
    picture.replaceChildren(document.importNode(svg, true));
    this.timings.plot = performance.now() - this.timings.graphAt;
  }

  async plotOf(png, width = PLOT_FILE_WIDTH) {
    const fit = this.session.shownFit();
    if (!fit) return null;
    const plot = await this.helper.ask('plot', fit, this.fitSerial, { ...this.plotOptions, width, png });
    return plot === ABANDONED ? null : plot;
  }

  // The files are `plorimet plot`'s, whatever the screen.
  async savePlot(png) {
    const plot = await this.plotOf(png);
    if (!plot) return;
    if (plot.message >= 0) { await this.message(plot.message); return; }
    if (png) download('plot.png', plot.bytes, 'image/png');
    else download('plot.svg', new TextEncoder().encode(plot.svg), 'image/svg+xml');
  }

  // ---- storage -------------------------------------------------------------------------------
  // The cells are kept in the browser; a stored grid this page cannot read is set aside, not lost.
  restoreCells() {
    let stored;
    try {
      stored = localStorage.getItem(STORAGE_KEY);
    } catch (e) {
      this.notify('storageOff');
      return;
    }
    if (stored === null) return;
    const kept = storedCells(stored);
    if (kept) { this.session.restoreCells(kept); return; }
    try {
      localStorage.setItem(STORAGE_ASIDE_KEY, stored);
      localStorage.removeItem(STORAGE_KEY);
    } catch (e) { /* kept where it was */ }
    this.notify('storageUnreadable');
  }

  saveCells() {
    const texts = [];
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) texts.push(this.session.cell(k));
    const stored = JSON.stringify(texts);
    this.storedText = stored;
    try {
      localStorage.setItem(STORAGE_KEY, stored);
    } catch (e) {
      this.notify('storageOff');
    }
  }

  // Another tab stored its cells: this one takes them as if typed here, at once in the grid, or
  // when Input Data shows the grid again; so no tab writes over cells newer than its own.
  bindStorage() {
    window.addEventListener('storage', (e) => {
      if (e.key !== STORAGE_KEY || e.newValue === null || e.newValue === this.storedText || !storedCells(e.newValue)) return;
      if (this.session.view() === VIEW.DATA_INPUT) this.takeStoredCells(e.newValue);
      else this.othersStored = true;
    });
  }

  takeStoredCells(stored) {
    this.othersStored = false;
    const kept = stored === null ? null : storedCells(stored);
    if (!kept) return;
    this.storedText = stored;
    this.session.takeCells(kept);
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) this.cells[k].value = this.session.cell(k);
    this.notify('otherTab', true);
  }

  notify(key, again = false) {
    if (key === 'storageOff' && this.storageWarned) return;
    if (key === 'storageOff') this.storageWarned = true;
    if (!again && !$('notice').hidden && $('notice').dataset.key === key) return;
    $('notice').textContent = this.pageText(key);
    $('notice').dataset.key = key;
    $('notice').hidden = false;
  }

  // ---- dialogs -------------------------------------------------------------------------------
  // Shows a dialog modally; resolves with the answer of the button pressed (Escape: cancel).
  modal(dialog, focus) {
    return new Promise((resolve) => {
      const buttons = [...dialog.querySelectorAll('.buttons button')];
      const finish = (answer) => {
        for (const b of buttons) b.onclick = null;
        dialog.onkeydown = null;
        dialog.oncancel = null;
        dialog.close();
        resolve(answer);
      };
      for (const b of buttons) b.onclick = () => finish(b.dataset.answer);
      dialog.oncancel = (e) => { e.preventDefault(); finish(buttons.length > 1 ? buttons[buttons.length - 1].dataset.answer : 'ok'); };
      dialog.onkeydown = (e) => {
        if (e.key === 'Enter' && e.target.tagName === 'INPUT') { e.preventDefault(); finish(buttons[0].dataset.answer); }
      };
      dialog.showModal();
      (focus || buttons[0]).focus();
    });
  }

  setButtons(dialog, answers) {
    const buttons = dialog.querySelectorAll('.buttons button');
    answers.forEach((text, k) => { buttons[k].textContent = text; });
  }

  // A message of the program's table; resolves true for OK or Yes.
  async message(id) {
    if (id < 0) return true;
    return this.showMessage(this.p.message(id, this.ja, 0));
  }

  // A message of the page's own, with the program's error caption.
  pageMessage(key) {
    return this.showMessage({ caption: this.p.caption(0, this.ja), text: this.pageText(key), yesNo: false });
  }

  async showMessage(m) {
    const dialog = $('message');
    $('message-caption').textContent = m.caption;
    $('message-text').textContent = m.text;
    const row = dialog.querySelector('.buttons');
    row.replaceChildren();
    const answers = m.yesNo ? [['yes', this.pageText('yes')], ['no', this.pageText('no')]] : [['ok', 'OK']];
    for (const [answer, text] of answers) {
      const button = Object.assign(document.createElement('button'), { textContent: text, type: 'button' });
      button.dataset.answer = answer;
      row.append(button);
    }
    const answer = await this.modal(dialog);
    return answer !== 'no';
  }

  // A dialog of the program as the binding describes it: caption, buttons and items (notes,
  // choices, entries, frames round the next items). Resolves with the answer the model takes:
  // { ok, choices, texts }, one of each per item; `onChange` is told the answer OK would give,
  // when the dialog opens and after each change.
  async askDialog(view, onChange = null) {
    const dialog = $('form');
    $('form-title').textContent = view.caption;
    const form = dialog.querySelector('form');
    form.replaceChildren();
    const entries = [];
    const groups = [];
    let frame = null;
    let framedLeft = 0;
    view.items.forEach((item, k) => {
      const into = framedLeft-- > 0 ? frame : form;
      if (item.kind === 'note') {
        into.append(Object.assign(document.createElement('p'), { textContent: item.text }));
      } else if (item.kind === 'frame' || item.kind === 'choice') {
        const fieldset = document.createElement('fieldset');
        fieldset.setAttribute('role', item.kind === 'choice' ? 'radiogroup' : 'group');
        const legend = Object.assign(document.createElement('legend'), { textContent: item.text, id: `form-item-${k}` });
        fieldset.setAttribute('aria-labelledby', legend.id);
        fieldset.append(legend);
        item.options.forEach((text, option) => {
          const label = document.createElement('label');
          const radio = Object.assign(document.createElement('input'),
            { type: 'radio', name: `form-choice-${k}`, value: option, checked: option === item.chosen });
          label.append(radio, ' ' + text);
          fieldset.append(label);
        });
        into.append(fieldset);
        if (item.kind === 'frame') { frame = fieldset; framedLeft = item.framed; } else groups[k] = fieldset;
      } else if (item.kind === 'entry') {
        const label = Object.assign(document.createElement('label'), { className: 'field' });
        const name = Object.assign(document.createElement('span'), { textContent: item.text, id: `form-item-${k}` });
        const list = Object.assign(document.createElement('datalist'), { id: `form-list-${k}` });
        list.replaceChildren(...item.options.map((n) => Object.assign(document.createElement('option'), { value: n })));
        const input = Object.assign(document.createElement('input'),
          { type: 'text', autocomplete: 'off', value: item.value, disabled: !item.enabled });
        input.setAttribute('list', list.id);
        input.setAttribute('aria-labelledby', name.id);
        input.oninput = () => {
          const kept = this.session.entryAfterEdit(k, input.value);
          if (kept !== input.value) { input.value = kept; input.select(); }
        };
        label.append(name, input);
        into.append(label, list);
        entries[k] = input;
      }
    });
    const row = dialog.querySelector('.buttons');
    row.replaceChildren();
    for (const [answer, text] of [['ok', view.ok], ['cancel', view.cancel]]) {
      if (!text) continue;
      const button = Object.assign(document.createElement('button'), { textContent: text, type: 'button' });
      button.dataset.answer = answer;
      row.append(button);
    }
    const answerIf = (ok) => ({
      ok,
      choices: view.items.map((item, k) => {
        const checked = groups[k] && groups[k].querySelector(':checked');
        return checked ? Number(checked.value) : item.chosen;
      }),
      texts: view.items.map((item, k) => (entries[k] ? entries[k].value : '')),
    });
    form.oninput = onChange && (() => onChange(answerIf(true)));
    const focus = entries.find((e) => e && !e.disabled) || form.querySelector(':checked') || undefined;
    const shown = this.modal(dialog, focus);
    if (onChange) onChange(answerIf(true));
    const answer = await shown;
    form.oninput = null;
    return answerIf(answer === 'ok');
  }

  // The name typed, as it is (the program judges it), or null when cancelled.
  async askName(titleId, proposed) {
    $('save-title').textContent = this.p.text(titleId, this.ja);
    $('save-name-label').textContent = this.pageText('fileName');
    const field = $('save-name');
    field.value = proposed;
    const buttons = this.p.buttons(this.ja);
    this.setButtons($('save'), [buttons.ok, buttons.cancel]);
    const shown = this.modal($('save'), field);
    field.setSelectionRange(0, proposed.lastIndexOf('.'));
    const answer = await shown;
    return answer === 'ok' ? field.value : null;
  }

  // ---- commands ------------------------------------------------------------------------------
  async run(command) {
    if (this.busy) return;
    if (!this.commandEnabled(command)) return;
    this.busy = true;
    try {
      await this.command(command);
    } finally {
      this.busy = false;
      this.show();
    }
  }

  async command(command) {
    switch (command) {
      case IDM.INPUT_DATA: return this.inputData();
      case IDM.READ_DATA: $('file').value = ''; $('file').click(); return undefined;
      case IDM.PASTE_DATA: {
        const text = await this.readClipboard();
        return text === null ? this.pageMessage('clipboardRefused') : this.pasteData(text);
      }
      case IDM.ANALYSIS: return this.analysis();
      case IDM.SAVE_DATA: return this.saveData();
      case IDM.DRAW_GRAPH: return this.graph();
      case IDM.COPY_GRAPH: return this.copyGraph();
      case IDM.SAVE_GRAPH: return this.saveGraph();
      case IDM.ABOUT: return this.about();
      case IDM.HELP: return this.help();
      default: return undefined;
    }
  }

  async inputData() {
    const question = this.session.beginInputData();
    const clear = question >= 0 ? await this.message(question) : false;
    this.session.finishInputData(clear);
    // Cells another tab stored meanwhile, unless this grid was to be cleared.
    if (this.othersStored && !clear) {
      let stored = null;
      try { stored = localStorage.getItem(STORAGE_KEY); } catch (e) { /* none */ }
      this.takeStoredCells(stored);
    }
    this.othersStored = false;
    this.fillCells();
    this.show();
    this.cells[0].focus();
    this.cells[0].select();
  }

  // The cells are read-only while the file is read: the file's pairs replace them.
  async readFile(file) {
    this.session.beginReadData();
    for (const cell of this.cells) cell.readOnly = true;
    let outcome;
    try {
      for (let at = 0; at < file.size; at += READ_SLICE) {
        const slice = new Uint8Array(await file.slice(at, at + READ_SLICE).arrayBuffer());
        if (!this.session.feedReadData(slice)) break;
      }
      outcome = this.session.finishReadData();
    } catch (e) {
      outcome = this.session.readDataFailed();
    }
    for (const cell of this.cells) cell.readOnly = false;
    this.fillCells();
    await this.message(outcome.message);
  }

  // The clipboard's text; null when the browser refused to let the page read it.
  async readClipboard() {
    try {
      return await navigator.clipboard.readText();
    } catch (e) {
      return e && e.name === 'NotAllowedError' ? null : '';
    }
  }

  async pasteData(text) {
    if (text.length > CLIPBOARD_LIMIT) return this.message(this.p.messageId('IncorrectClipboardData'));
    // The model makes the browser's LF line ends CR LF first.
    let step = text ? this.session.beginPaste(text) : this.session.beginPasteNothing();
    for (;;) {
      await this.message(step.message);
      if (!step.asksColumns) break;
      step = this.session.finishPaste(await this.askDialog(step.dialog));
    }
    this.session.endPaste();
    if (step.cellsChanged) this.fillCells();
    return undefined;
  }

  async analysis() {
    // The worker makes the fit of the dialog's answer and its statistics while the dialog is open.
    const answer = await this.askDialog(this.session.beginAnalysis(),
      (answerSoFar) => this.helper.prepare(this.session.analysisAheadOf(answerSoFar), (table) => this.statisticsView(table)));
    const started = performance.now();
    this.timings.okAt = started;
    delete this.timings.statistics;
    const ahead = this.session.analysisAheadOf(answer);
    const outcome = this.session.finishAnalysis(answer, ahead && this.helper.madeAhead(ahead.request));
    this.timings.fit = performance.now() - started;
    if (this.session.view() === VIEW.EQUATION) this.fitSerial += 1;
    this.show();
    this.timings.analysis = performance.now() - started;
    await this.message(outcome.message);
  }

  async saveData() {
    const name = await this.askName(TEXT.SAVE_DATA_TITLE, 'data.txt');
    if (!name) return;
    const plan = this.session.saveData(name);
    if (plan.message >= 0) { await this.message(plan.message); return; }
    download(plan.name, toCodePage932(plan.bytes), 'text/plain');
  }

  async graph() {
    const answer = await this.askDialog(this.session.beginGraph());
    const started = performance.now();
    const outcome = this.session.finishGraph(answer);
    if (outcome.drawsGraph) this.drawGraph(outcome);
    this.show();
    this.timings.graphAt = started;
    if (outcome.drawsGraph) this.showPlot();
    this.timings.graph = performance.now() - started;
    requestAnimationFrame(() => { this.timings.graphFrame = performance.now() - started; });
    await this.message(outcome.message);
  }

  async copyGraph() {
    const png = this.session.graphPng();
    try {
      await navigator.clipboard.write([new ClipboardItem({ 'image/png': new Blob([png], { type: 'image/png' }) })]);
    } catch (e) {
      await this.message(this.p.messageId('ClipboardMemory'));
    }
  }

  async saveGraph() {
    const name = await this.askName(TEXT.SAVE_GRAPH_TITLE, 'graph.bmp');
    if (!name) return;
    const file = this.session.graphFile(name);
    if (file.message >= 0) { await this.message(file.message); return; }
    download(file.name, file.bytes, file.type);
  }

  async about() {
    await this.askDialog(this.session.about());
  }

  copyEquation() {
    navigator.clipboard.writeText(this.session.equationCopy()).catch(() => {});
  }

  // The manual, made from the sources of the PDFs when the page was built, in the page's language.
  async help() {
    const dialog = $('help');
    const manual = dialog.querySelector('.manual');
    $('help-title').textContent = this.toolbar.find((b) => b.command === IDM.HELP).label;
    this.setButtons(dialog, [this.pageText('close')]);
    if (!manual.dataset.lang) {
      manual.innerHTML = new TextDecoder().decode(await unpack(this.ja ? PAGE_DATA.packed.manualJa : PAGE_DATA.packed.manualEn));
      manual.dataset.lang = this.ja ? 'ja' : 'en';
      // The manual's own links go to its sections, inside the dialog.
      manual.addEventListener('click', (e) => {
        const link = e.target.closest('a[href^="#"]');
        if (!link) return;
        e.preventDefault();
        const target = manual.querySelector(`[id="${CSS.escape(link.getAttribute('href').slice(1))}"]`);
        if (target) target.scrollIntoView();
      });
    }
    manual.scrollTop = 0;
    await this.modal(dialog, manual);
  }

  // ---- input -----------------------------------------------------------------------------------
  cellChanged(index) {
    const input = this.cells[index];
    const kept = this.session.editCell(index, input.value);
    if (kept !== input.value) { input.value = kept; input.select(); }
    this.saveCells();
  }

  bindKeys() {
    document.addEventListener('keydown', (e) => {
      const ctrl = e.ctrlKey || e.metaKey;
      // While a dialog is open or a command runs, the command keys wait: none reaches the browser.
      if (document.querySelector('dialog[open]') || this.busy) {
        if (this.p.keyHeldDuringDialog(e.keyCode, ctrl, e.shiftKey, e.altKey)) e.preventDefault();
        return;
      }
      const focused = document.activeElement;
      const fromCell = this.cells.indexOf(focused);
      const onControl = fromCell < 0 && focused !== null && focused !== document.body && focused !== document.documentElement;
      const selected = String(window.getSelection ? window.getSelection() : '') !== '';
      const action = this.session.keyAction(fromCell, onControl, selected, e.keyCode, ctrl, e.shiftKey, e.altKey);
      if (!action.taken) {
        // Escape too leaves the grid for the tool bar.
        if (e.key === 'Escape' && fromCell >= 0) this.focusToolbar();
        return;
      }
      e.preventDefault();
      if (action.leavesGrid) {
        this.focusToolbar();
      } else if (action.focusCell >= 0) {
        this.cells[action.focusCell].focus();
        this.cells[action.focusCell].select();
      } else if (action.copiesEquation) {
        this.copyEquation();
      } else if (action.command) {
        this.run(action.command);
      }
    });
    $('file').addEventListener('change', () => {
      const file = $('file').files[0];
      if (file) this.guarded(() => this.readFile(file));
    });
  }

  async guarded(work) {
    if (this.busy) return;
    this.busy = true;
    try { await work(); } finally { this.busy = false; this.show(); }
  }

  commandEnabled(command) {
    const button = this.toolbar.find((b) => b.command === command);
    return Boolean(button) && this.session.enabled()[button.index];
  }

  bindDropAndPaste() {
    document.addEventListener('dragover', (e) => { e.preventDefault(); });
    document.addEventListener('drop', (e) => {
      e.preventDefault();
      const file = e.dataTransfer && e.dataTransfer.files[0];
      if (file && this.commandEnabled(IDM.READ_DATA) && !document.querySelector('dialog[open]'))
        this.guarded(() => this.readFile(file));
    });
    document.addEventListener('paste', (e) => {
      if (e.target.tagName === 'INPUT' || document.querySelector('dialog[open]')) return;
      if (!this.commandEnabled(IDM.PASTE_DATA)) return;
      e.preventDefault();
      const text = e.clipboardData ? e.clipboardData.getData('text/plain') : '';
      this.guarded(() => this.pasteData(text));
    });
  }
}

// The file's bytes in code page 932, as the window writes its Japanese texts.
function toCodePage932(utf8) {
  const text = new TextDecoder().decode(utf8);
  if (!/[^\x00-\x7f]/.test(text)) return utf8;
  const out = [];
  for (const ch of text) {
    const code = ch.codePointAt(0);
    if (code < 0x80) out.push(code);
    else out.push(...(PAGE_DATA.cp932[ch] || [0x3f]));
  }
  return new Uint8Array(out);
}

function download(name, bytes, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = Object.assign(document.createElement('a'), { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

// The statistics as a table: a heading, a row per power, then the summary and the note.
function statisticsTable(t) {
  const cell = (tag, text) => Object.assign(document.createElement(tag), { textContent: text });
  const table = document.createElement('table');
  table.setAttribute('aria-label', t.heading);
  const head = table.createTHead().insertRow();
  for (const column of t.columns) head.append(Object.assign(cell('th', column), { scope: 'col' }));
  const body = table.createTBody();
  for (const row of t.rows) {
    const tr = body.insertRow();
    row.forEach((text, k) => tr.append(k ? cell('td', text) : Object.assign(cell('th', text), { scope: 'row' })));
  }
  const summary = document.createElement('table');
  summary.className = 'summary';
  for (const [name, value] of t.summary) summary.insertRow().append(Object.assign(cell('th', name), { scope: 'row' }), cell('td', value));
  const parts = [Object.assign(cell('p', t.heading), { className: 'heading' }), table, summary];
  if (t.note) parts.push(cell('p', t.note));
  return parts;
}

// The 90 cell texts of a stored grid, or null when the text is not one.
function storedCells(text) {
  try {
    const kept = JSON.parse(text);
    if (Array.isArray(kept) && kept.length === 2 * MAX_PAIRS && kept.every((t) => typeof t === 'string')) return kept;
  } catch (e) { /* not JSON */ }
  return null;
}

// Bytes the page keeps gzip-compressed in base64 (web/assemble.py).
function packedStream(base64) {
  return fetch(`data:application/octet-stream;base64,${base64}`)
    .then((r) => r.body.pipeThrough(new DecompressionStream('gzip')));
}
async function unpack(base64) {
  return new Uint8Array(await new Response(await packedStream(base64)).arrayBuffer());
}

// The program compiled once; the page and its worker each make an instance of it.
async function compileProgram() {
  const wasm = new Response(await packedStream(PAGE_DATA.packed.wasm), { headers: { 'Content-Type': 'application/wasm' } });
  return WebAssembly.compileStreaming(wasm);
}

function instantiateWith(module) {
  return { instantiateWasm(imports, done) { WebAssembly.instantiate(module, imports).then((i) => done(i, module)); return {}; } };
}

// The worker's script: the program again, and the statistics and plots of the fits asked for.
const WORKER_SCRIPT = `
let program = null;
let details = null;
let detailsSerial = -1;
const waiting = [];
function detailsOf(m) {
  if (m.serial !== detailsSerial) {
    if (details) details.delete();
    details = new program.FitDetails(m.fit);
    detailsSerial = m.serial;
  }
  return details;
}
function answer(m) {
  if (m.what === 'analysis') {
    const outcome = program.analysisAhead(m.options.request);
    return { outcome, table: m.options.statistics && outcome.failure < 0 ? detailsOf(m).statistics() : null };
  }
  if (m.what === 'statistics') return detailsOf(m).statistics();
  const plot = detailsOf(m).plot(m.options.band, m.options.residuals, m.options.width, m.options.png);
  if (plot.bytes) plot.bytes = plot.bytes.slice();
  return plot;
}
onmessage = (e) => {
  if (e.data.module) {
    PlorimetModule({ instantiateWasm(imports, done) {
      WebAssembly.instantiate(e.data.module, imports).then((i) => done(i, e.data.module)); return {}; } })
      .then((p) => { program = p; for (const m of waiting.splice(0)) postMessage({ id: m.id, result: answer(m) }); });
    return;
  }
  if (!program) { waiting.push(e.data); return; }
  postMessage({ id: e.data.id, result: answer(e.data) });
};
`;

// What a request ended before its answer resolves with, and work that made nothing to keep.
const ABANDONED = Symbol('abandoned');
// Analyses and statistics kept for this many fits (the shown one and those made ahead).
const KEPT_FITS = 8;
// What a fit's statistics are made from: its pairs, terms and language (they are the optimum's,
// whatever the shown coefficients).
const statisticsKey = (fit) => JSON.stringify([fit.x, fit.y, fit.termCount, fit.japanese]);
// What an Analysis is made from.
const requestKey = (r) => JSON.stringify([r.x, r.y, r.fitMode, r.degree, r.digitsIndex, r.japanese]);

function keepLatest(map, key, value) {
  map.delete(key);
  map.set(key, value);
  for (const old of map.keys()) {
    if (map.size <= KEPT_FITS) break;
    map.delete(old);
  }
}

// The page's worker: a fit's statistics or plot is asked with the fit's serial number; a request
// for the shown fit while work for another is in progress ends that work (the worker is replaced),
// work ahead never ends other work.
class Helper {
  constructor(module) {
    this.module = module;
    this.url = URL.createObjectURL(new Blob([$('program-script').textContent, WORKER_SCRIPT], { type: 'text/javascript' }));
    this.next = 1;
    this.tables = new Map();    // statisticsKey -> the table's promise, oldest first
    this.analyses = new Map();  // requestKey -> the outcome made ahead
    this.preparing = null;      // the work ahead in progress
    this.nextAhead = null;
    this.start();
  }

  start() {
    this.pending = new Map();
    this.worker = new Worker(this.url);
    this.worker.onmessage = (e) => {
      const request = this.pending.get(e.data.id);
      this.pending.delete(e.data.id);
      if (request) request.resolve(e.data.result);
    };
    this.worker.postMessage({ module: this.module });
  }

  ask(what, fit, serial, options = {}, replaces = true) {
    if (replaces && [...this.pending.values()].some((r) => r.serial !== serial)) {
      this.worker.terminate();
      for (const r of this.pending.values()) r.resolve(ABANDONED);
      this.start();
    }
    return new Promise((resolve) => {
      const id = this.next++;
      this.pending.set(id, { resolve, serial });
      this.worker.postMessage({ id, what, fit, serial, options });
    });
  }

  // A fit's statistics table (null: the fit has none), made once and kept for the latest fits.
  statistics(fit, serial) {
    const key = statisticsKey(fit);
    return this.tables.get(key) || this.keepTable(key, this.ask('statistics', fit, serial));
  }

  keepTable(key, table) {
    keepLatest(this.tables, key, table);
    table.then((t) => { if (t === ABANDONED && this.tables.get(key) === table) this.tables.delete(key); });
    return table;
  }

  // Work ahead (`ahead`: the binding's analysisAheadOf): the Analysis of the dialog's answer so
  // far and the statistics of the fit it would show, each table handed to `made`. One answer at a
  // time; while one is in work only the latest waits its turn.
  prepare(ahead, made) {
    this.nextAhead = ahead;
    if (this.preparing || !ahead) return;
    this.nextAhead = null;
    const key = requestKey(ahead.request);
    const tableKey = statisticsKey(ahead.fit);
    const needsTable = !this.tables.has(tableKey);
    if (this.analyses.has(key) && !needsTable) return;
    const began = performance.now();
    const work = this.ask('analysis', ahead.fit, `ahead ${this.next}`, { request: ahead.request, statistics: needsTable }, false);
    if (needsTable) this.keepTable(tableKey, work.then((r) => (r === ABANDONED || r.outcome.failure >= 0 ? ABANDONED : r.table)));
    this.preparing = work.then((r) => {
      if (r !== ABANDONED) {
        this.aheadTime = performance.now() - began;  // for the measurement script
        keepLatest(this.analyses, key, r.outcome);
        if (r.table) made(r.table);
      }
      this.preparing = null;
      this.prepare(this.nextAhead, made);
    });
  }

  // The Analysis made ahead for a request, once it is done (null: not made).
  madeAhead(request) { return this.analyses.get(requestKey(request)) || null; }
}

(async () => {
  const [module, pictures] = await Promise.all([compileProgram(),
    unpack(PAGE_DATA.packed.pictures).then((b) => JSON.parse(new TextDecoder().decode(b)))]);
  const program = await PlorimetModule(instantiateWith(module));
  takeProgramIds(program);
  const page = new Page(program, chooseJapanese(), new Helper(module));
  page.start(pictures);
  window.plorimetPage = page;  // for the measurement script (tools/measure-web.sh)
  page.timings.ready = performance.now();  // since the navigation started: Input Data is enabled
  document.body.dataset.ready = 'true';
})();
