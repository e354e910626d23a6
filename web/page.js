// The page: shows what the program (PlorimetModule, the portable C++ code) decides and passes
// the user's input on. No rule of the program is made here.
'use strict';

// The program's command, view and text ids and its limits, as the binding gives them once the
// program is loaded (takeProgramIds).
let IDM, VIEW, TEXT, MAX_PAIRS, ROWS_PER_GROUP, CELL_CHARACTERS, CLIPBOARD_LIMIT;
function takeProgramIds(program) {
  const ids = program.ids();
  ({ commands: IDM, views: VIEW, texts: TEXT } = ids);
  ({ MAX_PAIRS, ROWS_PER_GROUP, CELL_CHARACTERS, CLIPBOARD_LIMIT } = ids.limits);
}
const READ_SLICE = 64 * 1024;            // bytes of a file handed to the reader at a time
const STORAGE_KEY = 'plorimet.cells';

// Texts of the page alone (the window has no such things).
const PAGE_TEXTS = {
  fileName: ['File name', 'ファイル名'],
  yes: ['Yes', 'はい'],
  no: ['No', 'いいえ'],
  storageOff: ['This browser keeps nothing for the page: typed data will not survive a reload.',
    'このブラウザーはページのデータを保存できません。入力したデータは再読み込みで失われます。'],
  cell: ['X', 'Y'],
};

const $ = (id) => document.getElementById(id);

function chooseJapanese() {
  const asked = new URLSearchParams(location.search).get('lang');
  if (asked === 'ja' || asked === 'en') return asked === 'ja';
  return (navigator.languages || [navigator.language]).some((l) => /^ja\b/i.test(l || ''));
}

class Page {
  constructor(program, japanese) {
    this.p = program;
    this.ja = japanese;
    this.lang = japanese ? 1 : 0;
    this.session = new program.Session(japanese);
    this.busy = false;
    this.cells = [];
    this.storageWarned = false;
    this.timings = {};
  }

  pageText(key) { return PAGE_TEXTS[key][this.lang]; }

  // ---- building ------------------------------------------------------------------------
  start() {
    document.documentElement.lang = this.ja ? 'ja' : 'en';
    document.title = this.p.text(TEXT.PRODUCT_TITLE, this.ja);
    $('start-picture').src = PAGE_DATA.startPicture;
    this.buildToolbar();
    this.buildGrid();
    $('equation').setAttribute('aria-label', this.ja ? '近似式' : 'Equation');
    $('statistics').setAttribute('aria-label', this.ja ? '統計量' : 'Statistics');
    $('graph').setAttribute('aria-label', this.ja ? 'グラフ' : 'Graph');
    this.restoreCells();
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) this.cells[k].value = this.session.cell(k);
    this.bindKeys();
    this.bindDropAndPaste();
    this.show();
  }

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
      button.title = b.label;
      button.setAttribute('aria-label', b.label);
      const img = document.createElement('img');
      img.alt = '';
      button.append(img);
      button.addEventListener('click', () => this.run(b.command));
      button.addEventListener('pointerdown', () => { if (!button.disabled) img.src = PAGE_DATA.art[b.stem + 'Dn']; });
      for (const up of ['pointerup', 'pointerleave']) button.addEventListener(up, () => this.paintButton(button));
      button.dataset.stem = b.stem;
      button.dataset.index = b.index;
      bar.append(button);
      this.buttons.push(button);
    }
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
  paintButton(button) {
    const face = PAGE_DATA.art[button.dataset.stem + (button.disabled ? 'In' : 'Up')];
    const img = button.querySelector('img');
    if (img.getAttribute('src') !== face) img.src = face;
  }

  show() {
    const view = this.session.view();
    const enabled = this.session.enabled();
    for (const button of this.buttons) {
      button.disabled = !enabled[Number(button.dataset.index)];
      this.paintButton(button);
    }
    $('start').hidden = view !== VIEW.INITIAL;
    $('grid').hidden = view !== VIEW.DATA_INPUT;
    $('equation').hidden = view !== VIEW.EQUATION;
    $('statistics').hidden = view !== VIEW.EQUATION;
    $('graph').hidden = view !== VIEW.GRAPH;
    if (view === VIEW.EQUATION) {
      $('equation').textContent = this.session.equationText();
      $('statistics').textContent = this.session.statisticsText();
    }
  }

  fillCells() {
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) this.cells[k].value = this.session.cell(k);
    this.saveCells();
  }

  drawGraph(picture) {
    const canvas = $('graph');
    canvas.width = picture.width;
    canvas.height = picture.height;
    // One picture pixel on one device pixel; narrower screens scale it down (max-width).
    canvas.style.width = `${picture.width / (window.devicePixelRatio || 1)}px`;
    const context = canvas.getContext('2d');
    context.putImageData(new ImageData(new Uint8ClampedArray(picture.rgba.buffer), picture.width, picture.height), 0, 0);
  }

  // ---- storage -------------------------------------------------------------------------------
  restoreCells() {
    try {
      const kept = JSON.parse(localStorage.getItem(STORAGE_KEY) || 'null');
      if (Array.isArray(kept)) this.session.restoreCells(kept.map((t) => String(t)));
    } catch (e) {
      this.warnStorage();
    }
  }

  saveCells() {
    const texts = [];
    for (let k = 0; k < 2 * MAX_PAIRS; ++k) texts.push(this.session.cell(k));
    try {
      localStorage.setItem(STORAGE_KEY, JSON.stringify(texts));
    } catch (e) {
      this.warnStorage();
    }
  }

  warnStorage() {
    if (this.storageWarned) return;
    this.storageWarned = true;
    $('notice').textContent = this.pageText('storageOff');
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
    const m = this.p.message(id, this.ja, 0);
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
  // { ok, choices, texts }, one of each per item.
  async askDialog(view) {
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
    const focus = entries.find((e) => e && !e.disabled) || form.querySelector(':checked') || undefined;
    const answer = await this.modal(dialog, focus);
    return {
      ok: answer === 'ok',
      choices: view.items.map((item, k) => {
        const checked = groups[k] && groups[k].querySelector(':checked');
        return checked ? Number(checked.value) : item.chosen;
      }),
      texts: view.items.map((item, k) => (entries[k] ? entries[k].value : '')),
    };
  }

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
    return answer === 'ok' ? field.value.trim() : null;
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
      case IDM.PASTE_DATA: return this.pasteData(await this.readClipboard());
      case IDM.ANALYSIS: return this.analysis();
      case IDM.SAVE_DATA: return this.saveData();
      case IDM.DRAW_GRAPH: return this.graph();
      case IDM.COPY_GRAPH: return this.copyGraph();
      case IDM.SAVE_GRAPH: return this.saveGraph();
      case IDM.ABOUT: return this.about();
      case IDM.HELP: window.open(this.p.text(TEXT.MANUAL, this.ja), '_blank', 'noopener'); return undefined;
      default: return undefined;
    }
  }

  async inputData() {
    const question = this.session.beginInputData();
    const clear = question >= 0 ? await this.message(question) : false;
    this.session.finishInputData(clear);
    this.fillCells();
    this.show();
    this.cells[0].focus();
    this.cells[0].select();
  }

  async readFile(file) {
    this.session.beginReadData();
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
    this.fillCells();
    await this.message(outcome.message);
  }

  async readClipboard() {
    try {
      return await navigator.clipboard.readText();
    } catch (e) {
      return '';
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
    if (step.cellsChanged) this.fillCells();
    return undefined;
  }

  async analysis() {
    const answer = await this.askDialog(this.session.beginAnalysis());
    const started = performance.now();
    const outcome = this.session.finishAnalysis(answer);
    this.timings.fit = performance.now() - started;
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

  // ---- input -----------------------------------------------------------------------------------
  cellChanged(index) {
    const input = this.cells[index];
    const kept = this.session.editCell(index, input.value);
    if (kept !== input.value) { input.value = kept; input.select(); }
    this.saveCells();
  }

  bindKeys() {
    document.addEventListener('keydown', (e) => {
      if (document.querySelector('dialog[open]') || this.busy) return;
      const fromCell = this.cells.indexOf(document.activeElement);
      const action = this.session.keyAction(fromCell, e.keyCode, e.ctrlKey || e.metaKey, e.shiftKey, e.altKey);
      if (!action.taken) {
        // The page's own way out of the grid to the tool bar.
        if (e.key === 'Escape' && fromCell >= 0) this.buttons[0].focus();
        return;
      }
      e.preventDefault();
      if (action.focusCell >= 0) {
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

PlorimetModule().then((program) => {
  takeProgramIds(program);
  const page = new Page(program, chooseJapanese());
  page.start();
  window.plorimetPage = page;  // for the measurement script (tools/measure-web.sh)
  page.timings.ready = performance.now();  // since the navigation started: Input Data is enabled
  document.body.dataset.ready = 'true';
});
