// "Память и стек": memory as it is, 16 bytes a row from 8200 to F730 with their characters,
// the bytes the last STEP or RUN changed and those that differ from the code column marked,
// and the stack from SP upward with its top marked. Not modal: it follows every change while
// it is open. The core gives every byte, mark and character; this draws them.
const PER_ROW = 16;
const FIRST = 0x8200;
const ROWS = 1876; // 30001 bytes
const COLS = PER_ROW + 2; // address, 16 bytes, characters
const STACK_WORDS = 12;
const CHANGED = 'изменён последним шагом или запуском';
const DIFFERS = 'в памяти не то, что в столбце «Код»';

const hex = (v, n) => v.toString(16).toUpperCase().padStart(n, '0');
const $ = (id) => document.getElementById(id);

export class MemoryView {
  constructor(core) {
    this.core = core;
    this.dialog = $('MemoryWindow');
    this.grid = $('memoryBytes');
    this.scroller = this.grid.querySelector('.scroller');
    this.rowsBox = this.grid.querySelector('.rows');
    this.rowHeight = 20;
    this.rowsBox.style.height = `${ROWS * this.rowHeight}px`;
    this.shown = new Map(); // row -> element
    this.row = 0; // the current cell
    this.col = 1;
    const head = this.grid.querySelector('.head');
    for (const t of ['Адрес', ...[...Array(PER_ROW).keys()].map((i) => hex(i, 1)), 'Символы'])
      head.append(Object.assign(document.createElement('div'), { textContent: t }));
    for (const h of head.children) h.setAttribute('role', 'columnheader');
    this.stack = [];
    for (let r = 0; r < STACK_WORDS; r++) {
      const row = document.createElement('div');
      row.setAttribute('role', 'row');
      row.innerHTML = '<div role="gridcell"></div><div role="gridcell"></div>';
      $('memoryStack').append(row);
      this.stack.push(row);
    }
    this.scroller.addEventListener('scroll', () => this.draw());
    this.grid.addEventListener('keydown', (e) => this.key(e));
    this.grid.addEventListener('focus', () => this.markActive());
    this.rowsBox.addEventListener('mousedown', (e) => {
      const cell = e.target.closest('[role="gridcell"]');
      if (cell) this.select(Number(cell.parentElement.dataset.row), Number(cell.dataset.col));
    });
    const go = () => this.goTo(core.memoryAddress($('memoryAddress').value.toUpperCase()));
    $('memoryAddress').addEventListener('keydown', (e) => {
      if (e.key === 'Enter') go();
    });
    $('memoryGo').addEventListener('click', go);
    $('memoryClose').addEventListener('click', () => this.close());
    this.dialog.addEventListener('keydown', (e) => this.dialogKey(e));
  }

  open() {
    if (!this.dialog.open) {
      this.back = document.activeElement;
      this.dialog.show();
      document.body.classList.add('memory-open');
    }
    this.draw();
    $('memoryAddress').focus();
  }

  close() {
    this.dialog.close();
    document.body.classList.remove('memory-open');
    if (this.back && this.back.focus) this.back.focus();
  }

  // Escape closes; Alt with the underlined letter of "Адрес" or "Перейти", on any layout.
  dialogKey(e) {
    if (e.key === 'Escape') {
      e.preventDefault();
      this.close();
    } else if (e.altKey && !e.ctrlKey && (e.code === 'KeyF' || e.code === 'KeyG')) {
      e.preventDefault();
      if (e.code === 'KeyF') $('memoryAddress').focus();
      else $('memoryGo').click();
    }
  }

  // Moves the view to the row of `addr` and makes its byte the current cell.
  goTo(addr) {
    if (addr < 0) return;
    const k = addr - FIRST;
    this.scroller.scrollTop = Math.floor(k / PER_ROW) * this.rowHeight;
    this.select(Math.floor(k / PER_ROW), (k % PER_ROW) + 1);
    this.grid.focus();
  }

  // Shows the machine as it is now (while open).
  draw() {
    if (!this.dialog.open) return;
    const top = this.scroller.scrollTop;
    const height = this.scroller.clientHeight || 300;
    const first = Math.max(0, Math.floor(top / this.rowHeight) - 2);
    const last = Math.min(ROWS - 1, Math.ceil((top + height) / this.rowHeight) + 2);
    for (const [row, el] of this.shown) {
      if (row < first || row > last) {
        el.remove();
        this.shown.delete(row);
      }
    }
    for (let row = first; row <= last; row++) {
      let el = this.shown.get(row);
      if (!el) {
        el = this.makeRow(row);
        this.shown.set(row, el);
        this.rowsBox.append(el);
      }
      this.fill(el, row);
    }
    this.drawStack();
  }

  makeRow(row) {
    const el = document.createElement('div');
    el.setAttribute('role', 'row');
    el.setAttribute('aria-rowindex', String(row + 2));
    el.dataset.row = row;
    el.style.top = `${row * this.rowHeight}px`;
    for (let c = 0; c < COLS; c++) {
      const cell = document.createElement('div');
      cell.setAttribute('role', 'gridcell');
      cell.dataset.col = c;
      cell.id = `m${row}c${c}`;
      el.append(cell);
    }
    el.firstChild.textContent = hex(FIRST + row * PER_ROW, 4);
    return el;
  }

  fill(el, row) {
    const addr = FIRST + row * PER_ROW;
    const { bytes, marks, chars } = this.core.memoryRow(addr);
    for (let i = 0; i < PER_ROW; i++) {
      const cell = el.children[i + 1];
      const text = i < bytes.length ? hex(bytes[i], 2) : '';
      if (cell.textContent !== text) cell.textContent = text;
      const m = marks[i] || 0;
      cell.classList.toggle('changed', (m & 1) !== 0);
      cell.classList.toggle('differs', (m & 2) !== 0);
      const d = text && [hex(addr + i, 4), m & 1 && CHANGED, m & 2 && DIFFERS].filter(Boolean).join(', ');
      if (cell.getAttribute('aria-description') !== d) cell.setAttribute('aria-description', d);
      cell.setAttribute('aria-selected', String(row === this.row && i + 1 === this.col));
    }
    if (el.lastChild.textContent !== chars) el.lastChild.textContent = chars;
    el.firstChild.setAttribute('aria-selected', String(row === this.row && this.col === 0));
    el.lastChild.setAttribute('aria-selected', String(row === this.row && this.col === COLS - 1));
  }

  drawStack() {
    const sp = `SP=${hex(this.core.sp(), 4)}`;
    if ($('memorySp').textContent !== sp) $('memorySp').textContent = sp;
    const words = this.core.stackWords(STACK_WORDS);
    this.stack.forEach((row, r) => {
      const [a, w] = words[r] || [];
      const texts = words[r] ? [`${r === 0 ? '▶ ' : ''}${hex(a, 4)}`, hex(w, 4)] : ['', ''];
      [...row.children].forEach((cell, c) => {
        if (cell.textContent !== texts[c]) cell.textContent = texts[c];
        if (r === 0 && words[r]) cell.setAttribute('aria-description', 'вершина стека');
        else cell.removeAttribute('aria-description');
      });
    });
  }

  markActive() {
    this.grid.setAttribute('aria-activedescendant', `m${this.row}c${this.col}`);
  }

  select(row, col) {
    this.row = Math.min(Math.max(row, 0), ROWS - 1);
    this.col = Math.min(Math.max(col, 0), COLS - 1);
    const y = this.row * this.rowHeight;
    const h = this.scroller.clientHeight;
    if (y < this.scroller.scrollTop) this.scroller.scrollTop = y;
    else if (y + this.rowHeight > this.scroller.scrollTop + h) this.scroller.scrollTop = y + this.rowHeight - h;
    this.draw();
    this.markActive();
  }

  key(e) {
    const page = Math.max(1, Math.floor(this.scroller.clientHeight / this.rowHeight) - 1);
    const moves = {
      ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1],
      PageUp: [-page, 0], PageDown: [page, 0],
    };
    if (e.altKey || e.metaKey) return;
    if (moves[e.key] && !e.ctrlKey) {
      e.preventDefault();
      this.select(this.row + moves[e.key][0], this.col + moves[e.key][1]);
    } else if (e.key === 'Home' || e.key === 'End') {
      e.preventDefault();
      if (e.ctrlKey) this.select(e.key === 'Home' ? 0 : ROWS - 1, this.col);
      else this.select(this.row, e.key === 'Home' ? 0 : COLS - 1);
    }
  }
}
