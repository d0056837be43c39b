// Seeing the machine work, as the window shows it: the PC's row in the listing, the status
// line "Состояние", slow motion ("Скорость"), the memory window "Память и стек", the entry
// line's dead ends, step back only when there is something to undo, the keypad by keyboard,
// and a screen reader told what a STEP or RUN changed in "Регистры" and "Признаки". The core
// says what to show (panel/watch.h); this draws it.
import { MemoryView } from './memory.js';
import { busy } from './dialogs.js';
import { letterOf } from './menu.js';

const $ = (id) => document.getElementById(id);
let core, grid, runner, schedule, memory, actions;
let checkedEntry = null; // the entry line's text last checked
let told = null; // the registers and flag boxes as a screen reader last heard them
let toldAt = -Infinity; // when
let later = 0; // the timer of a change held back during a slow RUN
const TELL_EVERY_MS = 1000; // a slow RUN speaks at most this often, its latest state

// The speed entries, from the core's list of speeds; before the menu bar is made.
export function buildMenu(c) {
  for (const s of c.speeds()) {
    const b = document.createElement('button');
    b.type = 'button';
    b.setAttribute('role', 'menuitemradio');
    b.setAttribute('aria-checked', String(s === 0));
    b.dataset.action = `speed${s}`;
    b.dataset.speed = s;
    if (s === 0) {
      b.innerHTML = '<span><u>П</u>олная</span>';
      b.dataset.key = 'п';
    } else b.textContent = s === 1 ? '1 строка в секунду' : `${s} строк в секунду`;
    $('SpeedMenu').append(b);
  }
}

export function start(c, g, r, s, a, menus) {
  [core, grid, runner, schedule, actions] = [c, g, r, s, a];
  speedMenu(menus);
  memory = new MemoryView(core);
  Object.assign(actions, {
    goToPc,
    followPc: () => toggle('followPc') && goToPc(),
    memory: () => memory.open(),
  });
  for (const item of $('SpeedMenu').children)
    if (item.dataset.action) actions[item.dataset.action] = () => speed(item);
  keypadKeys();
  // A box the user clicks speaks for itself.
  flagBoxes().forEach((box, i) => box.addEventListener('change', () => {
    if (told) told[told.length - 5 + i] = flagWords(box);
  }));
  document.addEventListener('keydown', keys);
  $('Edit3').addEventListener('input', schedule);
  return memory;
}

// "Скорость", a submenu: a click, Enter, → or its letter opens it at the checked speed; ↑ and ↓
// move, ← and Escape go back to it, an entry's letter chooses.
function speedMenu(menus) {
  const item = $('SpeedItem');
  const sub = $('SpeedMenu');
  const speeds = [...sub.children];
  const show = (on) => {
    item.setAttribute('aria-expanded', String(on));
    sub.hidden = !on;
    if (on) speeds.find((b) => b.getAttribute('aria-checked') === 'true').focus();
    else item.focus();
  };
  item.addEventListener('open', () => show(true));
  item.addEventListener('keydown', (e) => {
    if (e.key !== 'ArrowRight') return;
    e.preventDefault();
    e.stopPropagation();
    show(true);
  });
  for (const b of speeds) {
    b.tabIndex = -1;
    b.addEventListener('click', () => menus.choose(b));
  }
  sub.addEventListener('keydown', (e) => {
    const at = speeds.indexOf(document.activeElement);
    const byLetter = speeds.find((b) => b.dataset.key === letterOf(e));
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp')
      speeds[(at + (e.key === 'ArrowDown' ? 1 : speeds.length - 1)) % speeds.length].focus();
    else if (e.key === 'ArrowLeft' || e.key === 'Escape') show(false);
    else if (byLetter) menus.choose(byLetter);
    else return; // → goes on to the next menu, as from any entry
    e.preventDefault();
    e.stopPropagation();
  });
}

function toggle(action) {
  const item = document.querySelector(`[data-action="${action}"]`);
  const on = item.getAttribute('aria-checked') !== 'true';
  item.setAttribute('aria-checked', String(on));
  return on;
}

// The listing goes to the PC's row; the selected row stays.
function goToPc() {
  const row = core.pcRow();
  if (row > 0) {
    grid.scrollTo(row);
    grid.draw();
  }
}

function speed(item) {
  for (const other of $('SpeedMenu').children) other.setAttribute('aria-checked', String(other === item));
  runner.interval = core.lineInterval(Number(item.dataset.speed));
}

// Everything this module shows, once per animation frame.
export function draw() {
  // A RUN at full speed shows only its end; a slow one every line.
  if (!core.running() || runner.slow) {
    const row = core.pcRow();
    if (row !== grid.pcRow) {
      grid.markPc(row);
      if (document.querySelector('[data-action="followPc"]').getAttribute('aria-checked') === 'true') goToPc();
    }
  }
  const edit = $('Edit3');
  if (edit.value !== checkedEntry) {
    checkedEntry = edit.value;
    const problem = core.checkEntry(edit.value);
    edit.classList.toggle('problem', problem !== '');
    if (problem) edit.setAttribute('aria-description', problem);
    else edit.removeAttribute('aria-description');
  }
  const status = core.status();
  if ($('StatusLine').textContent !== status) $('StatusLine').textContent = status;
  document.querySelector('[data-action="stepBack"]').setAttribute('aria-disabled', String(!core.canStepBack()));
  memory.draw();
  tellChanges();
}

const flagBoxes = () => [1, 2, 3, 4, 5].map((i) => $(`CheckBox${i}`));
const flagWords = (box) => `${box.parentElement.textContent.trim()}: ${box.checked ? 'да' : 'нет'}`;

// The changed registers and flags in the live region "RegisterChanges", as the window tells of
// each changed cell and box: "A 05, Z - нуль: да". Nothing while a RUN goes at full speed (its
// end says what it changed), nothing when nothing changed.
function tellChanges() {
  if (core.running() && !runner.slow) return;
  const now = [...$('StringGrid2').querySelectorAll('[data-reg]')]
    .map((cell) => `${cell.previousSibling.textContent} ${cell.textContent}`)
    .concat(flagBoxes().map(flagWords));
  const wait = toldAt + TELL_EVERY_MS - performance.now();
  if (told && core.running() && wait > 0) {
    later ||= setTimeout(() => { later = 0; schedule(); }, wait);
    return;
  }
  const changed = told ? now.filter((w, i) => w !== told[i]) : [];
  told = now;
  if (!changed.length) return;
  $('RegisterChanges').textContent = changed.join(', ');
  toldAt = performance.now();
}

// While a keypad key has the focus: a hex digit presses its key, Enter presses NEXT, Escape
// goes back to the entry line. The keys' tooltips say so.
function keypadKeys() {
  const byDigit = {};
  for (const b of $('keypad').children) {
    const word = b.textContent.split(' ')[0];
    if (/^[0-9A-F]$/.test(word)) {
      byDigit[word] = b;
      b.title = `${b.textContent} (клавиша ${word})`;
    }
  }
  $('Button25').title += ', Enter на панели';
  $('keypad').addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey) return;
    const key = e.key === 'Enter' ? $('Button25') : byDigit[e.key.toUpperCase()];
    if (key) key.click();
    else if (e.key === 'Escape') $('Edit3').focus();
    else return;
    e.preventDefault();
  });
}

// ADDR and MEM by their function keys also bring the focus to the keypad, where the digits are
// typed; Ctrl+G and Ctrl+M as the menu entries.
function keys(e) {
  if (busy()) return;
  const plain = !e.ctrlKey && !e.altKey && !e.metaKey && !e.shiftKey;
  if (plain && (e.key === 'F2' || e.key === 'F3')) $(e.key === 'F2' ? 'Button20' : 'Button2').focus();
  else if (e.ctrlKey && !e.altKey && !e.shiftKey && !e.metaKey) {
    const a = { KeyG: 'goToPc', KeyM: 'memory' }[e.code] || { g: 'goToPc', m: 'memory' }[e.key.toLowerCase()];
    if (a) {
      e.preventDefault();
      actions[a]();
    }
  }
}
