// Labs in the page, as in the window: "Файл → Открыть задание…" (or a .lab file dropped on the
// page, or a lab given in the page's address) shows the task and puts the lab's data into
// memory, leaving the rows the student typed as they are; "Отладка → Проверить" (Ctrl+R) runs
// the student's program on a copy and lists each expectation with ✓ or ✗ and the value found.
// The core reads and checks the lab (web/shell/lab.h), with the window's texts.
//
// The address: index.html?lab=NAME fetches the file NAME beside the page (or any address the
// browser may fetch); index.html#lab=TEXT carries the lab itself, its UTF-8 text either
// URI-encoded (it starts with "{" or "%") or in base64url.
import * as dialogs from './dialogs.js';
import { readFile } from './files.js';

const $ = (id) => document.getElementById(id);

// The lab's bytes from the address, null when it names none; throws the error text.
async function addressLab() {
  const hash = /^#lab=(.*)$/s.exec(location.hash);
  if (hash) {
    const t = hash[1].trim();
    try {
      if (/^(\{|%)/.test(t)) return new TextEncoder().encode(decodeURIComponent(t));
      const b = atob(t.replace(/-/g, '+').replace(/_/g, '/').replace(/=+$/, ''));
      return Uint8Array.from(b, (c) => c.charCodeAt(0));
    } catch {
      throw new Error('Задание в адресе страницы не читается: нужен его текст в base64url или в кодировке URI');
    }
  }
  const name = new URLSearchParams(location.search).get('lab');
  if (!name) return null;
  let response;
  try {
    response = await fetch(new URL(name, location.href));
  } catch {
    throw new Error(`Задание ${name} не загрузилось: нет связи с сервером`);
  }
  if (!response.ok) throw new Error(`Задание ${name} не загрузилось: ответ сервера ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

export class Labs {
  // `act` runs a core call and redraws; `runner` is stopped before the lab's data goes in.
  constructor(core, act, runner) {
    this.core = core;
    this.act = act;
    this.runner = runner;
    this.item = document.querySelector('[data-action="checkLab"]');
    this.actions = {
      openLab: () => { const input = $('labFile'); input.value = ''; input.click(); },
      checkLab: () => this.check(),
      gradeClass: () => window.open('grade.html', '_blank', 'noopener'),
    };
    $('labFile').addEventListener('change', (e) => e.target.files[0] && this.openFile(e.target.files[0]));
    $('labCheck').addEventListener('click', () => this.check());
    $('labClose').addEventListener('click', () => this.close());
    $('LabView').addEventListener('keydown', (e) => {
      if (e.key === 'Escape') { e.preventDefault(); this.close(); }
    });
    // Ctrl+R checks, and never reloads the page (with a menu or a box open too).
    addEventListener('keydown', (e) => {
      if (!e.ctrlKey || e.altKey || e.shiftKey || e.metaKey || (e.code !== 'KeyR' && e.key.toLowerCase() !== 'r')) return;
      e.preventDefault();
      if (!dialogs.busy() && !e.repeat) this.check();
    }, true);
  }

  // A running program is stopped first, as the window stops it.
  async stopped() {
    this.runner.stop();
    while (this.core.running()) await new Promise((r) => setTimeout(r, 0));
  }

  openFile(file) {
    return readFile(file).then((bytes) => this.open(bytes));
  }

  async open(bytes) {
    await this.stopped();
    const err = this.act(() => this.core.openLab(bytes));
    if (err !== null) return dialogs.error(err);
    const { title, task } = this.core.labText();
    $('labCaption').textContent = `Задание — ${title}`;
    $('labTask').value = `${title}\n\n${task}`;
    this.show([{ shown: 'Проверки ещё не было: Отладка → Проверить' }], false);
    this.item.removeAttribute('aria-disabled');
    $('LabView').scrollIntoView({ block: 'nearest' }); // below the trainer on a narrow screen
    return undefined;
  }

  // The lab named in the page's address, if any.
  async fromAddress() {
    try {
      const bytes = await addressLab();
      if (bytes) await this.open(bytes);
    } catch (e) {
      await dialogs.error(e.message);
    }
  }

  async check() {
    if (this.item.hasAttribute('aria-disabled')) return;
    await this.stopped();
    this.show(this.core.checkLab().lines, true);
  }

  // The lines of the check; the list takes the focus at the verdict, as the window's does.
  show(lines, focus) {
    const list = $('labResults');
    list.replaceChildren(...lines.map((l) => {
      const li = document.createElement('li');
      li.textContent = l.shown;
      li.tabIndex = -1;
      // A screen reader says the words, not the names of the marks.
      li.setAttribute('aria-label', l.spoken || l.shown);
      if (/^✓/.test(l.shown)) li.className = 'met';
      if (/^✗/.test(l.shown)) li.className = 'unmet';
      return li;
    }));
    $('LabView').hidden = false;
    document.body.classList.add('lab-open');
    if (focus) list.firstChild.focus();
  }

  close() {
    $('LabView').hidden = true;
    document.body.classList.remove('lab-open');
    $('Edit3').focus();
  }
}
