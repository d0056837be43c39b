// The menu bar: opens on click, on F10 or Alt with a menu's underlined letter; arrow keys move
// within a menu and between menus, Enter or the entry's letter chooses, Escape closes.
// The letter of a key as the Russian layout has it, so that Alt+Ф works on any layout.
const RUSSIAN = Object.fromEntries([...'фисвуапршолдьтщзйкыегмцчня'].map((c, i) =>
  [`Key${'ABCDEFGHIJKLMNOPQRSTUVWXYZ'[i]}`, c]).concat([['Comma', 'б'], ['Period', 'ю'],
  ['Semicolon', 'ж'], ['Quote', 'э'], ['BracketLeft', 'х'], ['BracketRight', 'ъ']]));
export function letterOf(e) {
  const k = e.key.toLowerCase();
  return /^[а-яё]$/.test(k) ? k : RUSSIAN[e.code] || k;
}

export class MenuBar {
  constructor(bar, run) {
    this.bar = bar;
    this.run = run; // (action name) a chosen entry
    this.tops = [...bar.querySelectorAll('.menu > button')];
    this.open = null;
    for (const kbd of bar.querySelectorAll('kbd')) {
      kbd.setAttribute('aria-hidden', 'true');
      kbd.parentElement.setAttribute('aria-keyshortcuts', kbd.textContent.replace('Ctrl', 'Control'));
    }
    this.tops.forEach((top, i) => {
      top.tabIndex = -1; // the menu bar is reached by F10 and Alt, as in the window
      top.addEventListener('click', () => (this.open === i ? this.close() : this.show(i, false)));
      top.addEventListener('keydown', (e) => this.topKey(e, i));
      const list = top.nextElementSibling;
      list.addEventListener('keydown', (e) => this.listKey(e, i));
      for (const item of this.items(i)) {
        item.tabIndex = -1;
        item.addEventListener('click', () => this.choose(item));
      }
    });
    document.addEventListener('mousedown', (e) => {
      if (this.open !== null && !bar.contains(e.target)) this.close(false);
    });
  }

  items(i) {
    const list = this.tops[i].nextElementSibling;
    return [...list.querySelectorAll('[role="menuitem"], [role="menuitemcheckbox"], [role="menuitemradio"]')]
      .filter((item) => item.closest('[role="menu"]') === list); // a submenu's entries are its own
  }

  show(i, focusFirst) {
    this.close(false);
    this.open = i;
    this.back = this.back || document.activeElement;
    const top = this.tops[i];
    top.setAttribute('aria-expanded', 'true');
    top.nextElementSibling.hidden = false;
    if (focusFirst) this.items(i)[0].focus();
    else top.focus();
  }

  close(restore = true) {
    if (this.open !== null) {
      const top = this.tops[this.open];
      top.setAttribute('aria-expanded', 'false');
      top.nextElementSibling.hidden = true;
      for (const sub of top.nextElementSibling.querySelectorAll('[aria-haspopup]')) {
        sub.setAttribute('aria-expanded', 'false');
        sub.nextElementSibling.hidden = true;
      }
    }
    this.open = null;
    if (restore && this.back && this.back.focus) this.back.focus();
    if (restore) this.back = null;
  }

  // F10: the first menu's title takes the focus.
  activate() {
    this.back = document.activeElement;
    this.tops[0].focus();
  }

  choose(item) {
    if (item.getAttribute('aria-disabled') === 'true') return;
    if (item.getAttribute('aria-haspopup')) {
      item.dispatchEvent(new Event('open')); // a submenu opens
      return;
    }
    this.close(true);
    this.run(item.dataset.action);
  }

  // Alt with a menu's letter.
  mnemonic(letter) {
    const i = this.tops.findIndex((t) => t.dataset.key === letter);
    if (i < 0) return false;
    this.back = document.activeElement;
    this.show(i, true);
    return true;
  }

  topKey(e, i) {
    const n = this.tops.length;
    if (e.key === 'ArrowRight' || e.key === 'ArrowLeft') {
      e.preventDefault();
      const j = (i + (e.key === 'ArrowRight' ? 1 : n - 1)) % n;
      if (this.open !== null) this.show(j, false);
      else this.tops[j].focus();
    } else if (e.key === 'ArrowDown' || e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      this.show(i, true);
    } else if (e.key === 'Escape' || e.key === 'F10') {
      e.preventDefault();
      this.close(true);
      if (this.back && this.back.focus) this.back.focus();
    }
  }

  listKey(e, i) {
    const items = this.items(i);
    const at = items.indexOf(document.activeElement);
    const n = this.tops.length;
    e.stopPropagation();
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      const d = e.key === 'ArrowDown' ? 1 : items.length - 1;
      items[(at + d + items.length) % items.length].focus();
    } else if (e.key === 'ArrowRight' || e.key === 'ArrowLeft') {
      e.preventDefault();
      this.show((i + (e.key === 'ArrowRight' ? 1 : n - 1)) % n, true);
    } else if (e.key === 'Escape') {
      e.preventDefault();
      this.close(true);
    } else if (e.key === 'Tab') {
      e.preventDefault();
    } else if (e.key.length === 1) {
      const item = items.find((it) => it.dataset.key === letterOf(e));
      if (item) {
        e.preventDefault();
        this.choose(item);
      }
    }
  }
}
