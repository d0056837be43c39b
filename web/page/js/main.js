// The page: builds the trainer from the core, shows what it shows, and turns each control's
// event into one call of the core, as the window does.
import TamrelCore from '../tamrel-core.mjs';
import { ListingGrid } from './listing.js';
import { MenuBar, letterOf } from './menu.js';
import * as dialogs from './dialogs.js';
import { download, readFile, stem } from './files.js';
import { Runner } from './run.js';
import * as see from './see.js';
import { Labs } from './lab.js';

const $ = (id) => document.getElementById(id);

// The keypad, row by row, and the function key that clicks a key (F4 and F7 repeat while held).
const CAPTIONS = ['REG', 'MEM', 'BRK', 'CLR', 'RST', 'C', 'D', 'E', 'F', 'STEP', '8 H', '9 L', 'A',
  'B', 'RUN', '4', '5', '6', '7', 'ADDR', '0', '1 P', '2 T', '3', 'NEXT'];
const FUNCTION_KEYS = { F2: 'ADDR', F3: 'MEM', F4: 'NEXT', F5: 'RST', F7: 'STEP', F8: 'RUN' };
const REPEATING = new Set(['F4', 'F7']);
const SAVE_STATE_QUESTION = 'Сохранить текущее состояние памяти';

// What the core last showed; drawn once per animation frame (the entry line at once, since a
// typed character goes into it right after).
const shown = { address: '', data: '', stackPointer: '', registers: [], flags: [] };
let frame = 0;
let core, grid, runner, menus, labs;
let typedAtSave = 0; // the core's edit count at load or the last Save: a new version waits for it
let name = 'program'; // the name downloads get: the last file opened, or "program"

const page = {
  showAddress(t) { shown.address = t; schedule(); },
  showData(t) { shown.data = t; schedule(); },
  showEntry(t) { $('Edit3').value = t; },
  showStackPointer(t) { shown.stackPointer = t; schedule(); },
  showRegisters(r) { shown.registers = r; schedule(); },
  // At once: a click on a box right after takes all five boxes as they stand.
  showFlags(f) { shown.flags = f; f.forEach((on, i) => { $(`CheckBox${i + 1}`).checked = on; }); },
  showSelection(row) { grid.select(row, grid.col, false); },
};

export function schedule() {
  if (!frame) frame = requestAnimationFrame(draw);
}

function setText(el, t) {
  if (el.textContent !== t) el.textContent = t;
}

function draw() {
  frame = 0;
  setText($('Edit1'), shown.address);
  setText($('Edit2'), shown.data);
  setText($('Label1'), shown.stackPointer);
  const cells = $('StringGrid2').querySelectorAll('[data-reg]');
  shown.registers.forEach((t, i) => setText(cells[i], t));
  const changed = core.takeChangedRows();
  if (changed.lo <= changed.hi) grid.draw(changed);
  see.draw();
}

// One user event: its core call, then the screen in the next frame.
function act(f) {
  const r = f();
  schedule();
  return r;
}

function keypadKey(caption) {
  const word = caption.split(' ')[0];
  if (word === 'RUN') return runner.start();
  if (word === 'REG' || word === 'BRK' || word === 'CLR') return undefined; // as on the trainer
  const r = act(() => core.key(word));
  if (word === 'RST') runner.hurry(); // a slow RUN stops at once, not after its pause
  return r;
}

function buildRegisters() {
  const g = $('StringGrid2');
  ['A', 'B', 'C', 'D', 'E', 'H', 'L', 'M', 'F'].forEach((n) => {
    const row = document.createElement('div');
    row.setAttribute('role', 'row');
    row.innerHTML = `<div role="rowheader">${n}</div><div role="gridcell" data-reg></div>`;
    row.firstChild.setAttribute('role', 'gridcell');
    g.append(row);
  });
}

function buildKeypad() {
  const pad = $('keypad');
  const fkey = Object.fromEntries(Object.entries(FUNCTION_KEYS).map(([k, v]) => [v, k]));
  CAPTIONS.forEach((caption, i) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.id = `Button${i + 1}`;
    b.textContent = caption;
    if (fkey[caption]) {
      b.title = `${caption} (${fkey[caption]})`;
      b.setAttribute('aria-keyshortcuts', fkey[caption]);
    }
    // A click leaves the focus where it was (typing goes on in the entry line); Tab reaches the key.
    b.addEventListener('mousedown', (e) => e.preventDefault());
    b.addEventListener('click', () => keypadKey(caption));
    b.addEventListener('keydown', (e) => keypadArrow(e, i));
    pad.append(b);
  });
}

function keypadArrow(e, i) {
  const d = { ArrowLeft: -1, ArrowRight: 1, ArrowUp: -5, ArrowDown: 5 }[e.key];
  if (d === undefined) return;
  e.preventDefault();
  const j = i + d;
  if (j >= 0 && j < 25 && (Math.abs(d) === 5 || Math.floor(j / 5) === Math.floor(i / 5)))
    $(`Button${j + 1}`).focus();
}

// The entry line "Команда": Enter is NEXT, Backspace ends the operand collection and still
// deletes, a character of the trainer's code page is assembled and then inserted.
let typedByKey = false;
function entryKeys() {
  const edit = $('Edit3');
  edit.addEventListener('keydown', (e) => {
    typedByKey = false;
    if (e.isComposing) return;
    if (e.key === 'Enter') {
      e.preventDefault();
      act(() => core.entryKey(0, edit.value, ''));
    } else if (e.key === 'Backspace') {
      act(() => core.entryKey(1, edit.value, ''));
    } else if (e.key.length === 1 && !e.ctrlKey && !e.metaKey && !e.altKey) {
      typedByKey = true;
      if (!act(() => core.entryKey(2, edit.value, e.key))) e.preventDefault();
    }
  });
  // A phone's keyboard sends no key codes, only the text it inserts.
  edit.addEventListener('beforeinput', (e) => {
    if (typedByKey || e.inputType !== 'insertText' || !e.data || [...e.data].length !== 1) return;
    if (!act(() => core.entryKey(2, edit.value, e.data))) e.preventDefault();
  });
  edit.addEventListener('input', () => {
    typedByKey = false;
    core.entryEdited(edit.value);
  });
}

// A character typed on the listing goes to the entry line, which takes the focus.
function typeFromGrid(e) {
  e.preventDefault();
  const edit = $('Edit3');
  edit.focus();
  if (act(() => core.entryKey(2, edit.value, e.key))) {
    edit.value += e.key;
    edit.setSelectionRange(edit.value.length, edit.value.length);
    core.entryEdited(edit.value);
  }
}

function flagBoxes() {
  const boxes = [1, 2, 3, 4, 5].map((i) => $(`CheckBox${i}`));
  for (const box of boxes)
    box.addEventListener('change', () => act(() => core.flagBoxes(...boxes.map((b) => b.checked))));
}

// The listing's own menu: a breakpoint on the row under the pointer, PC stays where it is.
let menuRow = 0;
function listingMenu(row, x, y) {
  const menu = $('ListingMenu');
  const item = menu.firstElementChild;
  menuRow = row;
  item.setAttribute('aria-checked', String(core.marked(row)));
  menu.style.left = `${Math.min(x, innerWidth - 250)}px`;
  menu.style.top = `${Math.min(y, innerHeight - 50)}px`;
  menu.style.position = 'fixed';
  menu.hidden = false;
  item.focus();
}
function closeListingMenu() {
  const menu = $('ListingMenu');
  if (menu.hidden) return;
  menu.hidden = true;
  $('StringGrid1').focus();
}

async function save() {
  download(core.imageBytes(), `${name}.mem`, 'application/octet-stream');
  typedAtSave = core.edits();
  return true;
}

// Before the work in memory is replaced: a running program is stopped first, and when the work
// is unsaved New's question is asked (Да saves it first).
async function mayLeave() {
  runner.stop();
  while (core.running()) await new Promise((r) => setTimeout(r, 0));
  return !core.unsaved() || !(await dialogs.ask(SAVE_STATE_QUESTION)) || save();
}

// kind: 'open' a saved image, 'import' Intel HEX, 'program' a program text.
async function openWith(file, kind) {
  const bytes = await readFile(file);
  const load = { open: 'openImage', import: 'importHex', program: 'openProgramText' }[kind];
  const err = act(() => core[load](bytes));
  if (err !== null) await dialogs.error(err);
  else if (kind !== 'program') name = stem(file.name);
}

// "Вставить программу": the clipboard's text where the browser lets the page read it, else
// what the user pastes into a box of its own.
async function pasteProgram() {
  let text = null;
  try {
    text = await navigator.clipboard.readText();
  } catch {
    text = await dialogs.pasteBox();
  }
  if (text === null || core.running()) return;
  const err = act(() => core.pasteProgram(text));
  if (err !== null) await dialogs.error(err);
}

// Asked before the file is chosen, as the window asks; the answer's click lets the page open
// the browser's file chooser.
async function pick(id) {
  if (!(await mayLeave())) return;
  const input = $(id);
  input.value = '';
  input.click();
}

const actions = {
  async new() {
    if (await dialogs.ask(SAVE_STATE_QUESTION)) await save();
    act(() => core.newImage());
  },
  open: () => pick('openFile'),
  programText: () => pick('programFile'),
  paste: pasteProgram,
  save,
  import: () => pick('importFile'),
  export: () => download(core.hexBytes(), `${name}.hex`, 'text/plain'),
  print: () => download(core.printoutBytes(), `${name}.txt`, 'text/plain;charset=windows-1251'),
  quit() {
    runner.stop();
    window.close(); // allowed only for a window a script opened; otherwise leave the page
    setTimeout(() => location.assign('about:blank'), 50);
  },
  shiftDown: () => act(() => core.shiftDown()),
  shiftUp: () => act(() => core.shiftUp()),
  breakpoint: () => act(() => core.breakpointAtPC()),
  clearBreakpoints: () => act(() => core.clearBreakpoints()),
  stepBack: () => { if (!core.running()) act(() => core.stepBack()); },
  guide: () => window.open('guide/index.html', '_blank', 'noopener'),
  about: () => dialogs.about(),
  rowBreakpoint: () => { act(() => core.toggleBreakpoint(menuRow)); closeListingMenu(); },
};

// Keys that work anywhere on the page; the browser's own use of them is kept off.
function globalKeys(e) {
  if (dialogs.busy() || e.defaultPrevented) return;
  const plain = !e.ctrlKey && !e.altKey && !e.metaKey;
  if (plain && !e.shiftKey && FUNCTION_KEYS[e.key]) {
    e.preventDefault();
    if (e.repeat && !REPEATING.has(e.key)) return;
    keypadKey(FUNCTION_KEYS[e.key]);
  } else if (plain && e.key === 'F7' && e.shiftKey) {
    e.preventDefault();
    actions.stepBack();
  } else if (plain && !e.shiftKey && e.key === 'F9') {
    e.preventDefault();
    if (!e.repeat) actions.breakpoint();
  } else if (plain && !e.shiftKey && e.key === 'F1') {
    e.preventDefault();
    actions.guide();
  } else if (plain && !e.shiftKey && e.key === 'F10') {
    e.preventDefault();
    menus.activate();
  } else if (e.ctrlKey && !e.altKey && !e.shiftKey) {
    const k = { n: 'new', o: 'open', s: 'save', p: 'print', q: 'quit' }[e.key.toLowerCase()]
      || { KeyN: 'new', KeyO: 'open', KeyS: 'save', KeyP: 'print', KeyQ: 'quit' }[e.code];
    if (k) {
      e.preventDefault();
      actions[k]();
    }
  } else if (e.ctrlKey && e.shiftKey && !e.altKey && (e.code === 'KeyV' || e.key.toLowerCase() === 'v')) {
    e.preventDefault();
    actions.paste();
  } else if (e.altKey && !e.ctrlKey && e.key.length === 1) {
    if (menus.mnemonic(letterOf(e))) e.preventDefault();
  }
}

function dropFiles() {
  document.addEventListener('dragover', (e) => {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    const file = e.dataTransfer.files[0];
    if (file && /\.lab$/i.test(file.name)) labs.openFile(file);
    else if (file) mayLeave().then((go) => go && openWith(file, /\.hex$/i.test(file.name) ? 'import' : /\.(txt|asm)$/i.test(file.name) ? 'program' : 'open'));
  });
}

function offline() {
  if (!('serviceWorker' in navigator)) return;
  const updating = !!navigator.serviceWorker.controller;
  // A new version took over: show it at once, unless the user has already changed something.
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (updating && core.edits() === typedAtSave && !core.unsaved() && !core.running()) location.reload();
  });
  navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' }).catch(() => {});
}

async function main() {
  const module = await TamrelCore();
  core = new module.Trainer(page);
  buildRegisters();
  buildKeypad();
  core.start(); // the machine at random, as the window starts
  grid = new ListingGrid($('StringGrid1'), core, (row) => act(() => core.selectRow(row)),
    listingMenu, typeFromGrid);
  runner = new Runner(core, schedule, [$('Edit1'), $('Edit2'), $('Label1'), $('StatusLine')]);
  see.buildMenu(core);
  menus = new MenuBar($('menubar'), (a) => actions[a]());
  labs = new Labs(core, act, runner);
  Object.assign(actions, labs.actions);
  entryKeys();
  flagBoxes();
  dropFiles();
  const memory = see.start(core, grid, runner, schedule, actions, menus);
  for (const [id, kind] of [['openFile', 'open'], ['importFile', 'import'], ['programFile', 'program']])
    $(id).addEventListener('change', (e) => e.target.files[0] && openWith(e.target.files[0], kind));
  $('ListingMenu').addEventListener('click', (e) => e.target.dataset.action && actions[e.target.dataset.action]());
  $('ListingMenu').addEventListener('keydown', (e) => {
    if (e.key === 'Escape' || e.key === 'Tab') { e.preventDefault(); closeListingMenu(); }
  });
  document.addEventListener('mousedown', (e) => {
    if (!$('ListingMenu').contains(e.target)) $('ListingMenu').hidden = true;
  });
  document.addEventListener('keydown', globalKeys);
  addEventListener('beforeunload', (e) => {
    if (core.unsaved()) {
      e.preventDefault();
      e.returnValue = '';
    }
  });
  typedAtSave = core.edits();
  draw();
  grid.draw();
  $('splash').classList.add('gone');
  $('Edit3').focus();
  offline();
  // For the tests: the core and the page's own actions.
  window.tamrel = { core, actions, keypadKey, runner, grid, shown, memory, ready: true };
  window.tamrel.labs = labs;
  labs.fromAddress().then(() => { window.tamrel.labReady = true; });
}

main().catch((e) => {
  // A browser without WebAssembly, or a core that did not load: say so instead of the splash.
  $('splash').classList.add('gone');
  dialogs.error(`Тренажёр не запустился: ${e && e.message ? e.message : e}`);
});
