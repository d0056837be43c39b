// Seeing the machine work in the page, through the accessibility tree and real keys and clicks:
// the PC's row follows STEP, the status line says what a STEP did and why a RUN stopped, slow
// motion shows the lines as they go and RST stops it at once, the memory window shows the
// bytes and follows edits, the entry line's dead ends, the keypad by keyboard.
import { serve, browser, openPage, frames, ax, check, failures, site } from './lib.mjs';

const server = await serve(site);
const b = await browser();
try {
  const page = await openPage(b, server.url);
  const text = (sel) => page.$eval(sel, (e) => e.value ?? e.textContent);
  const status = () => text('#StatusLine');
  const press = async (key, mod) => {
    if (mod) await page.keyboard.down(mod);
    await page.keyboard.press(key);
    if (mod) await page.keyboard.up(mod);
    await frames(page);
  };
  const pcRows = () => page.$$eval('#StringGrid1 .pc', (rows) => rows.map((r) => r.firstChild.textContent));
  const ended = () => page.evaluate(() => new Promise((r) => {
    if (!window.tamrel.core.running()) return r();
    window.tamrel.runner.onEnd = () => { window.tamrel.runner.onEnd = null; r(); };
  }));
  // Clicks through a menu's entries by their captions: "Отладка", "Скорость", "Полная".
  const menu = async (top, ...entries) => {
    await page.click(`#${top}`);
    for (const entry of entries) {
      const items = await page.$$('[role="menu"]:not([hidden]) > * > button, [role="menu"]:not([hidden]) > button');
      const names = await Promise.all(items.map((el) => el.evaluate((e) => (e.querySelector('span') || e).textContent)));
      if (!names.includes(entry)) throw new Error(`no entry "${entry}" in ${names}`);
      await items[names.indexOf(entry)].click();
    }
  };
  const addr = async (a) => {
    await press('F2');
    for (const d of a) await press(d);
  };
  // The program at 8200 on a cleared memory (New, answered Нет), PC at 8200.
  const program = async (lines) => {
    await press('n', 'Control');
    await press('Escape');
    await press('F5');
    await page.evaluate((t) => window.tamrel.core.pasteProgram(t), lines.join('\n'));
    await press('F5');
  };

  // --- names and entries, as the window has them ---
  check((await ax(page, 'status', 'Состояние')).length === 1 && (await ax(page, 'group', 'Состояние')).length === 1,
    'the status line is a live region "Состояние" in a group of that caption');
  await menu('DebugMenu', 'Скорость');
  const entries = (await ax(page, 'menuitem')).concat(await ax(page, 'menuitemcheckbox'), await ax(page, 'menuitemradio'));
  const names = entries.map((n) => n.name);
  for (const e of ['Перейти к PC', 'Следить за PC', 'Скорость', 'Полная', '1000 строк в секунду', '100 строк в секунду',
    '10 строк в секунду', '1 строка в секунду', 'Память и стек'])
    check(names.includes(e), `"Отладка" has "${e}"${names.includes(e) ? "" : ` (${names})`}`);
  // The speed by keyboard: Alt+О, О opens "Скорость" at the checked entry (keys by their place
  // on the Russian layout: J is О, G is П).
  const focused = () => page.evaluate(() => document.activeElement.textContent);
  const walk = [
    [['Escape'], 'Скорость▸'], [['Escape'], null],
    [['Alt+KeyJ', 'KeyJ'], 'Полная'], [['ArrowDown'], '1000 строк в секунду'], [['Enter'], null, 'speed1000'],
    [['Alt+KeyJ', 'KeyJ', 'ArrowLeft'], 'Скорость▸'], [['ArrowRight', 'KeyG'], null, 'speed0'],
  ];
  for (const [keys, at, checked] of walk) {
    for (const k of keys) await (k.startsWith('Alt+') ? press(k.slice(4), 'Alt') : press(k));
    const where = await page.evaluate(() => document.activeElement.closest('[role="menu"]') !== null);
    const on = checked && await page.$eval(`[data-action="${checked}"]`, (e) => e.getAttribute('aria-checked'));
    check(at ? where && await focused() === at : !where && (!checked || on === 'true'),
      `${keys.join(' ')}: ${at ? `at "${at}"` : 'the menu closed'}${checked ? `, ${checked} checked` : ''}`);
  }

  // --- STEP: the PC's row and the status line, line by line, with 8080 clock cycles ---
  await program(['MVI A, 03', 'STA 8300', 'DCR A', 'JNZ 8202', 'HLT']);
  check(JSON.stringify(await pcRows()) === '["8200"]', 'the PC row is marked at 8200');
  check(await page.$eval('[data-action="stepBack"]', (e) => e.getAttribute('aria-disabled')) === 'true',
    '"Шаг назад" is disabled with nothing to undo');
  const steps = [
    ['8202', 'шаг на 8200: MVI A, 03; тактов: 7'],
    ['8205', 'шаг на 8202: STA 8300; тактов: 13'],
    ['8206', 'шаг на 8205: DCR A; тактов: 5'],
    ['8202', 'шаг на 8206: JNZ 8202; тактов: 10'],
  ];
  for (const [pc, said] of steps) {
    await press('F7');
    const rows = await pcRows();
    const desc = await page.$eval('#StringGrid1 .pc [role="gridcell"]', (c) => c.getAttribute('aria-description'));
    check(JSON.stringify(rows) === JSON.stringify([pc]) && desc === 'текущая строка' && await status() === said,
      `STEP: the PC row ${rows}, "${await status()}"`);
  }
  check(await page.$eval('[data-action="stepBack"]', (e) => e.getAttribute('aria-disabled')) === 'false',
    '"Шаг назад" is enabled after STEP');

  // --- why RUN stopped ---
  const stops = [
    ['HLT', ['MVI A, 03', 'STA 8300', 'DCR A', 'JNZ 8202', 'HLT'], null, 'HLT на 8209; строк: 11, тактов: 98'],
    ['RST', ['MVI B, 01', 'RST 1'], null, 'RST; строк: 2, тактов: 18'],
    ['a breakpoint', ['MVI A, 03', 'STA 8300', 'DCR A', 'JNZ 8202', 'HLT'], '8205', 'точка останова на 8205; строк: 2, тактов: 20'],
    ['the key RST', ['JMP 8200'], 'F5', /^остановлено клавишей RST; строк: \d+, тактов: \d+$/],
  ];
  for (const [why, lines, extra, want] of stops) {
    await program(lines);
    if (extra === '8205') {
      await addr('8205');
      await press('F9');
      await press('F5');
    }
    await press('F8');
    if (extra === 'F5') await press('F5');
    await ended();
    await frames(page);
    const said = await status();
    check(typeof want === 'string' ? said === want : want.test(said), `RUN stopped by ${why}: "${said}"`);
    if (extra === '8205') await menu('DebugMenu', 'Убрать все точки останова');
  }

  // --- slow motion: intermediate states, and RST stops it at once ---
  await program(['MVI A, 40', 'DCR A', 'JNZ 8202', 'HLT']);
  await menu('DebugMenu', 'Скорость', '100 строк в секунду');
  check(await page.$eval('[data-action="speed100"]', (e) => e.getAttribute('aria-checked')) === 'true', 'the speed entry is checked');
  await press('F8');
  const seen = new Set();
  const said = new Set();
  for (let i = 0; i < 12; i++) {
    await new Promise((r) => setTimeout(r, 25));
    await frames(page, 1);
    seen.add(`${(await pcRows()).join()} A=${await page.$eval('#StringGrid2 [data-reg]', (c) => c.textContent)}`);
    said.add(await status());
  }
  check(seen.size >= 3 && [...said].some((s) => /^идёт запуск; строк: \d+, тактов: \d+$/.test(s)),
    `a slow RUN shows its lines as they go (${seen.size} states, e.g. "${[...said][1]}")`);
  await page.keyboard.press('F5');
  const running = await page.evaluate(() => window.tamrel.core.running());
  await frames(page);
  check(!running && (await status()).startsWith('остановлено клавишей RST'), `RST stops a slow RUN at once ("${await status()}")`);
  await menu('DebugMenu', 'Скорость', 'Полная');

  // --- a screen reader hears what STEP and RUN changed in "Регистры" and "Признаки" ---
  await page.evaluate(() => {
    const region = document.getElementById('RegisterChanges');
    window.heard = [];
    new MutationObserver(() => window.heard.push(region.textContent))
      .observe(region, { childList: true, characterData: true, subtree: true });
  });
  // Each register and flag box as "name value", by the grid's row headers and the boxes' captions.
  const machine = () => page.evaluate(() => [...document.querySelectorAll('#StringGrid2 [data-reg]')]
    .map((c) => `${c.previousSibling.textContent} ${c.textContent}`)
    .concat([1, 2, 3, 4, 5].map((i) => document.getElementById(`CheckBox${i}`))
      .map((b) => `${b.parentElement.textContent.trim()}: ${b.checked ? 'да' : 'нет'}`)));
  const heard = () => page.evaluate(() => window.heard.splice(0));
  const SLOW = '100 строк в секунду';
  // What is done, the words that must be heard, the words never heard. Besides, a STEP or RUN
  // is heard once, saying exactly what changed (a box the user clicks says itself); a slow RUN
  // at most once a second, its last words the final state.
  const tells = [
    ['STEP MVI A, 05', ['MVI A, 05', 'ORA A', 'SUB A', 'NOP', 'HLT'], 'F7', ['A 05'], ['Z - нуль']],
    ['STEP ORA A', null, 'F7', [], ['A ']],
    ['STEP SUB A', null, 'F7', ['A 00', 'Z - нуль: да'], ['B ']],
    ['STEP NOP, nothing changed', null, 'F7', [], ['']],
    ['a click on CY', null, 'CY', [], ['CY']],
    ['RUN to HLT', ['MVI A, 01', 'ORA A', 'MVI B, 03', 'DCR B', 'JNZ 8205', 'HLT'], 'F8', ['B 00', 'CY - Перенос: нет'], []],
    ['a RUN at full speed, stopped by RST', ['LHLD 8300', 'INR B', 'JMP 8200'], 'RST', [], []],
    ['a slow RUN to HLT', ['MVI A, 01', 'ORA A', 'MVI B, 40', 'DCR B', 'JNZ 8205', 'MVI B, 77', 'HLT'], SLOW, ['B 77'], []],
  ];
  for (const [what, lines, key, say, never] of tells) {
    if (lines) await program(lines);
    await heard();
    const before = await machine();
    if (key === 'CY') await page.click('#CheckBox1');
    else if (key === 'RST') {
      await press('F8');
      await new Promise((r) => setTimeout(r, 300));
      await press('F5');
    }
    else if (key === SLOW) {
      await menu('DebugMenu', 'Скорость', SLOW);
      await press('F8');
    } else await press(key);
    await ended();
    await frames(page);
    const after = await machine();
    const changed = after.filter((w, i) => w !== before[i] && !(key === 'CY' && w.startsWith('CY')));
    const words = await heard();
    const last = words.length ? words[words.length - 1] : '';
    const all = words.join(', ').split(', ');
    const right = key === SLOW ? words.length >= 1 && words.length <= 4 && last.split(', ').every((w) => after.includes(w))
      : JSON.stringify(words) === JSON.stringify(changed.length ? [changed.join(', ')] : []);
    check(right && say.every((w) => all.includes(w)) && never.every((w) => !words.some((t) => t.includes(w))),
      `${what}: the screen reader hears ${JSON.stringify(words)} (changed: ${changed.join(', ')})`);
    if (key === SLOW) await menu('DebugMenu', 'Скорость', 'Полная');
  }
  check((await ax(page, 'status')).length >= 4, 'the changes are told in a live region');

  // --- the memory window: bytes, marks, go to an address, following edits ---
  await program(['LXI H, 8300', 'MVI A, 01', 'MOV M, A', 'STA 8301', 'HLT']);
  await press('F8');
  await ended();
  await press('m', 'Control');
  check((await ax(page, 'dialog', 'Память и стек')).length === 1
    && await page.evaluate(() => document.activeElement.id) === 'memoryAddress', 'Ctrl+M opens "Память и стек" at its address field');
  await page.keyboard.type('8300');
  await press('Enter');
  const cell = () => page.evaluate(() => {
    const c = document.getElementById(document.activeElement.getAttribute('aria-activedescendant'));
    return `${c.id} ${c.textContent}|${c.className}|${c.getAttribute('aria-description')}`;
  });
  const marks = [
    [null, 'm16c1 01|changed differs|8300, изменён последним шагом или запуском, в памяти не то, что в столбце «Код»'],
    ['ArrowRight', 'm16c2 01|changed|8301, изменён последним шагом или запуском'],
    ['ArrowDown', 'm17c2 00||8311'],
  ];
  for (const [key, want] of marks) {
    if (key) await press(key);
    check(await cell() === want, `memory window: ${key || 'Enter goes to 8300'}: ${await cell()}`);
  }
  await press('ArrowUp');
  await press('ArrowLeft');
  await press('ArrowRight');
  check(await text('#memorySp') === `SP=${await page.evaluate(() => window.tamrel.core.sp().toString(16).toUpperCase())}`
    && await page.$eval('#memoryStack [role="row"]:nth-child(2) [role="gridcell"]', (c) => c.getAttribute('aria-description')) === 'вершина стека',
  'the stack pointer and the top of the stack');
  await press('KeyF', 'Alt');
  check(await page.evaluate(() => document.activeElement.id) === 'memoryAddress', 'Alt+А goes to the address field');
  await addr('8300');
  await page.focus('#Edit3');
  await press('a', 'Control');
  await press('Backspace');
  await page.keyboard.type('HLT');
  await press('Enter');
  const typed = await page.$eval('#m16c1', (c) => `${c.textContent}|${c.classList.contains('differs')}`);
  check(typed === '76|false', `the memory window follows a typed HLT at 8300 (${typed})`);
  await page.focus('#memoryBytes');
  await press('Escape');
  check((await ax(page, 'dialog', 'Память и стек')).length === 0, 'Escape closes the memory window');

  // --- the entry line's dead ends, the keypad by keyboard, go to PC ---
  await page.focus('#Edit3');
  await page.$eval('#Edit3', (e) => { e.value = ''; e.dispatchEvent(new Event('input')); });
  await page.keyboard.type('mvi');
  await frames(page);
  check(await status() === 'нет команды, начинающейся с «mvi»: команды пишутся заглавными буквами'
    && await page.$eval('#Edit3', (e) => e.classList.contains('problem') && e.getAttribute('aria-description')) === await status(),
  `a lower-case entry is marked and explained ("${await status()}")`);
  for (let i = 0; i < 3; i++) await press('Backspace');
  check(await status() === '', 'and the explanation goes once the text can match');
  await press('F2');
  check(await page.evaluate(() => document.activeElement.textContent) === 'ADDR', 'F2 brings the focus to the keypad');
  for (const d of '820A') await press(d);
  check(await text('#Edit1') === '820A', 'hex digits typed on the keypad press its keys');
  await press('Enter');
  check(await text('#Edit1') === '820B', 'Enter on the keypad presses NEXT');
  await press('Escape');
  check(await page.evaluate(() => document.activeElement.id) === 'Edit3', 'Escape goes back to the entry line');
  await page.$eval('#StringGrid1 .scroller', (s) => { s.scrollTop = s.scrollHeight; });
  await frames(page);
  const away = await pcRows();
  await press('g', 'Control');
  check(away.length === 0 && JSON.stringify(await pcRows()) === '["820B"]', 'Ctrl+G brings the PC row into view');

  // --- "Память и стек" on a phone: the whole screen, nothing sideways, closed by button or Escape ---
  const phone = await openPage(b, server.url, { width: 390, height: 844, isMobile: true, hasTouch: true });
  for (const how of ['its button', 'Escape']) {
    await phone.evaluate(() => window.tamrel.actions.memory());
    await frames(phone);
    const fit = await phone.evaluate(() => {
      const d = document.getElementById('MemoryWindow').getBoundingClientRect();
      const close = document.getElementById('memoryClose').getBoundingClientRect();
      const grid = document.getElementById('memoryBytes');
      const wide = [...document.querySelectorAll('#MemoryWindow *')].filter((e) => e.getBoundingClientRect().right > innerWidth);
      return [d.width === innerWidth && d.height === innerHeight, document.documentElement.scrollWidth <= innerWidth,
        grid.scrollWidth <= grid.clientWidth, wide.length === 0, close.width >= 44 && close.height >= 44];
    });
    if (how === 'its button') await phone.click('#memoryClose');
    else await phone.keyboard.press('Escape');
    const open = await phone.$eval('#MemoryWindow', (d) => d.open);
    check(fit.every(Boolean) && !open, `390 × 844: the memory window fills the screen, nothing scrolls sideways (${fit}), ${how} closes it`);
  }
  check(phone.errors.length === 0, `no script errors on the phone (${phone.errors.join('; ')})`);

  const sw = await (await fetch(`${server.url}sw.js`)).text();
  check(['js/see.js', 'js/memory.js', 'see.css'].every((f) => sw.includes(`'${f}'`)), 'the service worker caches the new files');
  check(page.errors.length === 0, `no script errors (${page.errors.join('; ')})`);
} finally {
  await b.close();
  server.close();
}
process.exit(failures ? 1 : 0);
