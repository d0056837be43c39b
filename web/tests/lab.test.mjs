// Labs in the page and the grading page, in headless Chromium: a lab opened from the menu and
// from the address, a right and a wrong program checked (read through the accessibility tree),
// and a class graded on the grading page into the same CSV bytes as `tamrel-batch --csv`.
//   node lab.test.mjs SITE [TAMREL_BATCH]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { execFileSync, spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { serve, browser, openPage, frames, ax, check, failures, site } from './lib.mjs';

const here = path.dirname(new URL(import.meta.url).pathname);
const examples = path.resolve(here, '../../examples');
const batch = process.argv[3];
const server = await serve(site);
const b = await browser();
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tamrel-lab-'));
const items = async (page) => (await ax(page, 'listitem')).map((n) => n.name);
const countdownWrong = fs.readFileSync(path.join(examples, 'countdown.mem'));
countdownWrong[4] = 0; // INR A (at 8204) becomes NOP
const labReady = (page) => page.waitForFunction(() => window.tamrel.labReady, { timeout: 20000 });
try {
  // --- the lab reader and the check compiled to WebAssembly (C++ exceptions are not caught
  // there: a throw would abort) against the native batch runner, on the fuzzer's corpus of labs:
  // the same refusals with the same messages, the same CSV for the countdown image ---
  if (batch) {
    globalThis.__dirname = path.resolve(site);
    globalThis.require = createRequire(import.meta.url);
    const { default: TamrelCore } = await import(path.resolve(site, 'tamrel-core.mjs'));
    const module = await TamrelCore({ wasmBinary: fs.readFileSync(path.resolve(site, 'tamrel-core.wasm')) });
    const grader = new module.Grader();
    const corpus = path.resolve(here, '../../fuzz/corpus/lab');
    const image = path.join(examples, 'countdown.mem');
    let same = 0, refused = 0;
    const differ = [];
    for (const name of fs.readdirSync(corpus).sort()) {
      const lab = path.join(corpus, name);
      const csv = path.join(work, 'corpus.csv');
      const native = spawnSync(batch, ['--lab', lab, '--csv', csv, 'countdown.mem'], { cwd: examples, encoding: 'utf8' });
      const err = grader.setLab(new Uint8Array(fs.readFileSync(lab)));
      let agree;
      if (err !== null) {
        refused++;
        agree = native.status === 2 && native.stderr === `tamrel-batch: ${lab}: ${err}\n`;
      } else {
        grader.grade('countdown.mem', new Uint8Array(fs.readFileSync(image)));
        agree = native.status !== 2 && Buffer.compare(Buffer.from(grader.csv()), fs.readFileSync(csv)) === 0;
      }
      if (agree) same++;
      else differ.push(name);
    }
    check(differ.length === 0, `the fuzzer's ${same + differ.length} labs read and checked alike in WebAssembly and natively (${refused} refused; differ: ${differ.join(' ')})`);
  }

  // --- a lab from the menu's file input, a right program, then a wrong one ---
  const page = await openPage(b, server.url);
  await labReady(page);
  const entries = [];
  for (const top of ['N1', 'DebugMenu']) {
    await page.click(`#${top}`);
    entries.push(...(await ax(page, 'menuitem')).map((n) => `${n.name}${n.disabled ? ' (disabled)' : ''}`));
    await page.keyboard.press('Escape');
  }
  check(['Открыть задание…', 'Проверка работ класса…', 'Проверить (disabled)'].every((m) => entries.includes(m)),
    'the menus have the lab\'s entries, Проверить disabled before a lab is open');
  await page.keyboard.down('Control'); await page.keyboard.press('r'); await page.keyboard.up('Control');
  check(await page.evaluate(() => !!window.tamrel && document.getElementById('LabView').hidden), 'Ctrl+R without a lab does nothing, the page stays');
  await page.evaluate((bytes) => window.tamrel.core.openImage(new Uint8Array(bytes)),
    [...fs.readFileSync(path.join(examples, 'countdown.mem'))]);
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.evaluate(() => window.tamrel.actions.openLab())]);
  await chooser.accept([path.join(examples, 'countdown.lab')]);
  await page.waitForSelector('#LabView:not([hidden])');
  check((await page.$eval('#labTask', (e) => e.value)).startsWith('Обратный отсчёт: DCR и JNZ\n\nНапишите'),
    'Открыть задание… shows the title and the task');
  check((await ax(page, 'textbox', 'Задание')).length === 1 && (await ax(page, 'list', 'Результат проверки')).length === 1,
    'the task and the result list carry the window\'s names');
  await page.keyboard.down('Control'); await page.keyboard.press('r'); await page.keyboard.up('Control');
  await frames(page);
  const right = await items(page);
  check(right[0] === 'Задание выполнено: соблюдены все условия (6)' && right[2] === 'соблюдено: A = 05 — найдено 05'
    && right[6] === 'соблюдено: не больше 12 байтов программы — найдено 10',
    `Ctrl+R checks the right program, read as words (${right.join(' | ')})`);
  check(await page.evaluate(() => document.activeElement.textContent) === right[0] && !page.isClosed(),
    'the verdict takes the focus and the page did not reload');
  // The wrong program: INR A (at 8204) becomes NOP.
  await page.evaluate((bytes) => window.tamrel.core.openImage(new Uint8Array(bytes)), [...countdownWrong]);
  const regsBefore = await page.evaluate(() => window.tamrel.shown.registers.join());
  await page.click('#labCheck');
  await frames(page);
  const wrong = await items(page);
  check(wrong[0] === 'Задание не выполнено: не соблюдено условий 1 из 6' && wrong[2] === 'не соблюдено: A = 05 — найдено 00',
    `a wrong program fails with the value found (${wrong.slice(0, 3).join(' | ')})`);
  check(await page.$eval('#labResults', (e) => e.children[2].textContent) === '✗ A = 05 — найдено 00',
    'the eye sees the mark ✗');
  check(await page.evaluate(() => window.tamrel.shown.registers.join()) === regsBefore, 'the check left the page\'s registers');

  // --- a lab the reader refuses: the window's text in the error box ---
  await page.evaluate(() => { window.tamrel.labs.open(new TextEncoder().encode('{"title": "x", "task": "y", "expect": {"registers": {"A": "1G"}}}')); });
  await page.waitForSelector('#message[open]');
  check(await page.$eval('#messageText', (e) => e.textContent) === 'Поле «expect.registers.A»: нужен байт 00..FF строкой, а не «1G»',
    'a wrong lab gives the reader\'s message');
  await page.keyboard.press('Enter');
  await page.evaluate((text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'table-sum.lab'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, fs.readFileSync(path.join(examples, 'table-sum.lab'), 'utf8'));
  await page.waitForFunction(() => document.getElementById('labCaption').textContent.endsWith('Сумма таблицы в памяти'));
  check(await page.evaluate(() => window.tamrel.core.cell(2, 0x8300 - 0x8200 + 1)) === '12', 'a lab dropped on the page is opened');
  await page.close();

  // --- labs in the address: a file beside the page, the text itself, a missing file ---
  const tableSum = fs.readFileSync(path.join(examples, 'table-sum.lab'));
  for (const [what, address] of [['?lab=labs/table-sum.lab', 'index.html?lab=labs/table-sum.lab'],
    ['#lab= base64url', `index.html#lab=${tableSum.toString('base64url')}`],
    ['#lab= URI-encoded', `index.html#lab=${encodeURIComponent(tableSum.toString())}`]]) {
    const p = await openPage(b, server.url + address);
    await labReady(p);
    const shown = await p.evaluate(() => [document.getElementById('labCaption').textContent,
      window.tamrel.core.cell(2, 0x8300 - 0x8200 + 1), window.tamrel.core.cell(2, 0x8307 - 0x8200 + 1)]);
    check(JSON.stringify(shown) === JSON.stringify(['Задание — Сумма таблицы в памяти', '12', '02']),
      `${what}: the task shown and its data in memory (${shown})`);
    await p.close();
  }
  const p = await openPage(b, `${server.url}index.html?lab=labs/none.lab`);
  await p.waitForSelector('#message[open]');
  check(await p.$eval('#messageText', (e) => e.textContent) === 'Задание labs/none.lab не загрузилось: ответ сервера 404',
    'a missing lab is said in the error box');
  await p.close();

  // --- the grading page: the lab and a class through its file inputs, the batch runner's CSV ---
  const dir = path.join(work, 'класс');
  fs.mkdirSync(dir);
  const image = fs.readFileSync(path.join(examples, 'countdown.mem'));
  const put = (name, bytes) => fs.writeFileSync(path.join(dir, name), bytes);
  put('right.mem', image);
  put('Иванов Пётр.mem', image);
  put('wrong.mem', countdownWrong);
  put('endless.mem', Buffer.concat([Buffer.from([0xC3, 0x00, 0x82]), Buffer.alloc(29997)]));
  put('short.mem', image.subarray(0, 100));
  // Intel HEX: the program's first 16 bytes at 8200, then the end record; and a bad checksum.
  const rec = Buffer.concat([Buffer.from([16, 0x82, 0x00, 0]), image.subarray(0, 16)]);
  const sum = (256 - (rec.reduce((a, x) => a + x, 0) & 255)) & 255;
  const hex = `:${rec.toString('hex').toUpperCase()}${sum.toString(16).toUpperCase().padStart(2, '0')}\r\n:00000001FF\r\n`;
  put('right.hex', hex);
  put('bad.hex', hex.replace(/..\r\n:00/, '00\r\n:00'));
  const names = fs.readdirSync(dir).sort((x, y) => Buffer.compare(Buffer.from(x), Buffer.from(y)));
  const g = await b.newPage();
  const gcdp = await g.createCDPSession();
  await gcdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: work });
  await g.goto(`${server.url}grade.html`);
  await g.waitForFunction(() => window.grading && window.grading.ready);
  await (await g.$('#labInput')).uploadFile(path.join(examples, 'countdown.lab'));
  await (await g.$('#filesInput')).uploadFile(...names.map((n) => path.join(dir, n)));
  await g.waitForFunction(() => window.graded, { timeout: 60000 });
  const summary = await g.$eval('#summary', (e) => e.textContent);
  check(summary.startsWith(`Зачтено 3 из ${names.length}.\n`), `the summary as the batch runner words it (${summary})`);
  const rows = await g.$$eval('#table tbody tr', (trs) => trs.map((tr) => [...tr.children].map((c) => c.textContent)));
  const ivanov = rows.find((r) => r[0] === 'Иванов Пётр');
  const endless = rows.find((r) => r[0] === 'endless');
  check(ivanov && ivanov[1] === 'зачтено' && endless && endless[1] === 'не зачтено'
    && endless[2] === 'не остановилась за 1000 строк' && endless[5] === '✗ не остановилась за 1000 строк',
    `the table: verdicts, how the run ended, the values found (${JSON.stringify(endless)})`);
  await g.click('#csvButton');
  await g.click('#htmlButton');
  const got = async (name) => {
    const file = path.join(work, name);
    for (let i = 0; i < 100 && !fs.existsSync(file); i++) await new Promise((r) => setTimeout(r, 50));
    return fs.readFileSync(file);
  };
  if (batch) {
    try {
      execFileSync(batch, ['--lab', path.join(examples, 'countdown.lab'), '--csv', path.join(work, 'native.csv'),
        '--html', path.join(work, 'native.html'), ...names], { cwd: dir });
    } catch { /* some failed: status 1 */ }
    for (const [mine, theirs] of [['countdown.csv', 'native.csv'], ['countdown.html', 'native.html']]) {
      const a = await got(mine), c = fs.readFileSync(path.join(work, theirs));
      check(Buffer.compare(a, c) === 0, `${mine} has the bytes of tamrel-batch's ${theirs} (${a.length} and ${c.length})`);
    }
  } else console.log('skip the reports against tamrel-batch: no path given');
  // The same class as a folder: its files named by their path in it, as the runner names them.
  if (batch) {
    fs.rmSync(path.join(work, 'countdown.csv'));
    await g.evaluate(() => { window.graded = false; });
    await (await g.$('#folderInput')).uploadFile(dir);
    await g.waitForFunction(() => window.graded, { timeout: 60000 });
    await g.click('#csvButton');
    spawnSync(batch, ['--lab', path.join(examples, 'countdown.lab'), '--csv', path.join(work, 'folder.csv'), 'класс'], { cwd: work });
    const a = await got('countdown.csv'), c = fs.readFileSync(path.join(work, 'folder.csv'));
    check(Buffer.compare(a, c) === 0 && a.includes('класс/Иванов Пётр.mem'), `a chosen folder gives the CSV of tamrel-batch with the folder (${a.length} and ${c.length})`);
  }
  const sw = await (await fetch(`${server.url}sw.js`)).text();
  check(['grade.html', 'grade.css', 'js/grade.js', 'js/lab.js', 'labs/countdown.lab'].every((f) => sw.includes(`'${f}'`)),
    'the service worker caches the grading page, the lab module and the example labs');
  await g.close();
} finally {
  await b.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
process.exit(failures ? 1 : 0);
