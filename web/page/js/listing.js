// The listing grid "Память": 30000 rows after the header, of which only the visible ones exist
// as elements. Changed rows are drawn again once per animation frame.
const ROWS = 30000; // listing rows 1..30000; row 30001 (F730h) is held but never shown
const OVERSCAN = 4;

export class ListingGrid {
  constructor(grid, core, onSelect, onMenu, onType) {
    this.grid = grid;
    this.core = core;
    this.onSelect = onSelect; // (row) the user chose a row: the PC moves there
    this.onMenu = onMenu; // (row, x, y) the context menu of a row
    this.onType = onType; // (key event) a character typed while the grid has the focus
    this.scroller = grid.querySelector('.scroller');
    this.rowsBox = grid.querySelector('.rows');
    this.row = 1; // the selected cell, as the window starts: the first data cell
    this.col = 0;
    this.shown = new Map(); // row number -> row element
    this.pcRow = 0; // the row marked as the PC's ("текущая строка"), 0 for none
    this.rowHeight = 24;
    this.rowsBox.style.height = `${ROWS * this.rowHeight}px`;
    this.scroller.addEventListener('scroll', () => this.draw());
    new ResizeObserver(() => this.draw()).observe(this.scroller);
    grid.addEventListener('keydown', (e) => this.key(e));
    grid.addEventListener('focus', () => this.markActive());
    this.rowsBox.addEventListener('mousedown', (e) => {
      const cell = e.target.closest('[role="gridcell"]');
      if (!cell) return;
      const row = Number(cell.parentElement.dataset.row);
      if (e.button === 2) return; // the context menu, never a selection
      this.select(row, Number(cell.dataset.col), true);
    });
    this.rowsBox.addEventListener('contextmenu', (e) => {
      e.preventDefault();
      const cell = e.target.closest('[role="gridcell"]');
      if (cell) this.onMenu(Number(cell.parentElement.dataset.row), e.clientX, e.clientY);
    });
    for (let c = 0; c < 3; c++) grid.querySelector(`#h${c}`).textContent = core.cell(c, 0);
  }

  // Rows changed in the core since the last frame, and the rows scrolled into view.
  draw(changed) {
    const top = this.scroller.scrollTop;
    const height = this.scroller.clientHeight || 500;
    const first = Math.max(1, Math.floor(top / this.rowHeight) + 1 - OVERSCAN);
    const last = Math.min(ROWS, Math.ceil((top + height) / this.rowHeight) + OVERSCAN);
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
      } else if (changed && row >= changed.lo && row <= changed.hi) {
        this.fill(el, row);
      }
    }
  }

  makeRow(row) {
    const el = document.createElement('div');
    el.setAttribute('role', 'row');
    el.setAttribute('aria-rowindex', String(row + 1));
    el.dataset.row = row;
    el.style.top = `${(row - 1) * this.rowHeight}px`;
    for (let c = 0; c < 3; c++) {
      const cell = document.createElement('div');
      cell.setAttribute('role', 'gridcell');
      cell.dataset.col = c;
      cell.id = `r${row}c${c}`;
      el.append(cell);
    }
    this.fill(el, row);
    return el;
  }

  fill(el, row) {
    const marked = this.core.marked(row);
    el.classList.toggle('mark', marked);
    el.classList.toggle('pc', row === this.pcRow);
    const description = [row === this.pcRow && 'текущая строка', marked && 'точка останова']
      .filter(Boolean).join(', ');
    for (let c = 0; c < 3; c++) {
      const cell = el.children[c];
      const text = this.core.cell(c, row);
      if (cell.textContent !== text) cell.textContent = text;
      const selected = row === this.row && c === this.col;
      cell.setAttribute('aria-selected', selected ? 'true' : 'false');
      if (description) cell.setAttribute('aria-description', description);
      else cell.removeAttribute('aria-description');
    }
  }

  // Moves the PC's mark to `row`, drawing again the row it leaves and the one it comes to.
  markPc(row) {
    const old = this.pcRow;
    this.pcRow = row;
    for (const r of [old, row]) {
      const el = this.shown.get(r);
      if (el) this.fill(el, r);
    }
  }

  markActive() {
    this.grid.setAttribute('aria-activedescendant', `r${this.row}c${this.col}`);
  }

  // Moves the selected cell; `user` when the user chose it, which moves the PC.
  select(row, col, user) {
    row = Math.min(Math.max(row, 1), ROWS);
    col = Math.min(Math.max(col, 0), 2);
    const old = this.shown.get(this.row);
    this.row = row;
    this.col = col;
    this.scrollTo(row);
    this.draw();
    if (old) this.fill(old, Number(old.dataset.row));
    const el = this.shown.get(row);
    if (el) this.fill(el, row);
    this.markActive();
    if (user) this.onSelect(row);
  }

  scrollTo(row) {
    const y = (row - 1) * this.rowHeight;
    const h = this.scroller.clientHeight;
    if (y < this.scroller.scrollTop) this.scroller.scrollTop = y;
    else if (y + this.rowHeight > this.scroller.scrollTop + h) this.scroller.scrollTop = y + this.rowHeight - h;
  }

  key(e) {
    const page = Math.max(1, Math.floor(this.scroller.clientHeight / this.rowHeight) - 1);
    const moves = {
      ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1],
      PageUp: [-page, 0], PageDown: [page, 0],
    };
    if (e.altKey || e.metaKey) return;
    if (e.key === 'ContextMenu' || (e.key === 'F10' && e.shiftKey)) {
      e.preventDefault();
      const el = this.shown.get(this.row);
      const r = el ? el.getBoundingClientRect() : this.grid.getBoundingClientRect();
      this.onMenu(this.row, r.left + 40, r.top + r.height / 2);
      return;
    }
    if (moves[e.key] && !e.ctrlKey) {
      e.preventDefault();
      const [dr, dc] = moves[e.key];
      this.select(this.row + dr, this.col + dc, true);
    } else if (e.key === 'Home' || e.key === 'End') {
      e.preventDefault();
      if (e.ctrlKey) this.select(e.key === 'Home' ? 1 : ROWS, this.col, true);
      else this.select(this.row, e.key === 'Home' ? 0 : 2, true);
    } else if (e.key.length === 1 && !e.ctrlKey) {
      this.onType(e); // a character goes to the entry line, which takes the focus
    }
  }
}
