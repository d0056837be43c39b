// The differential test: one random script of keystrokes and keys, run through the page in
// headless Chromium (real key events, clicks, the page's own menu actions) and through the
// native core by tamrel_web_driver; the listing, registers, flags, displays, entry line and
// saved image must agree at every checkpoint.
//   node diff.test.mjs SITE DRIVER [STEPS] [SEED]
import { spawnSync } from 'node:child_process';
import { serve, browser, openPage, frames, check, failures } from './lib.mjs';

const [site, driver] = [process.argv[2], process.argv[3]];
const STEPS = Number(process.argv[4] || 10000);
const SEED = Number(process.argv[5] || 8080);
const CHECK_EVERY = 500;

// A small seeded generator, so that a failing script can be made again.
let state = SEED >>> 0;
const rand = () => {
  state = (state + 0x6D2B79F5) >>> 0;
  let t = state;
  t = Math.imul(t ^ (t >>> 15), t | 1);
  t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
};
const pick = (a) => a[Math.floor(rand() * a.length)];

// Whole instructions typed key by key, mostly, and now and then a stray character.
const WORDS = ['MOV A, B', 'MOV B, A', 'MOV M, A', 'MVI A, ', 'MVI B, ', 'MVI C, ', 'INR A', 'DCR B', 'DCR C',
  'ADD B', 'ADI ', 'SUB C', 'ANA A', 'ORI ', 'XRA A', 'CMP B', 'CPI ', 'JMP ', 'JNZ ', 'JZ ', 'JC ', 'CALL ',
  'RET', 'PUSH B', 'POP B', 'PUSH PSW', 'POP H', 'LXI H, ', 'LXI SP, ', 'INX H', 'DCX B', 'STA ', 'LDA ',
  'MOV A, M', 'HLT', 'NOP', 'RAL', 'RRC', 'CMA', 'STC', 'DAA', 'XCHG', 'SHLD ', 'LHLD ', 'RST 1', 'CALL 0294'];
const HEX = '0123456789ABCDEF';

function script() {
  const s = ['new', 'key RST'];
  const add = (a) => { if (s.length < STEPS + 2) s.push(a); };
  while (s.length < STEPS + 2) {
    const r = rand();
    if (r < 0.30) {
      if (rand() < 0.7) add('clear');
      for (const c of pick(WORDS)) add(`char ${c}`);
      const digits = rand() < 0.5 ? 2 : 4;
      for (let i = 0; i < digits && rand() < 0.8; i++) add(`char ${pick(['8', '2', pick(HEX)])}`);
    } else if (r < 0.33) add(`char ${pick([...'ABCMOVXZ ,9f'])}`);
    else if (r < 0.40) add('enter');
    else if (r < 0.42) add('back');
    else if (r < 0.52) add(`key ${pick(HEX)}`);
    else if (r < 0.55) add('key ADDR');
    else if (r < 0.58) add('key MEM');
    else if (r < 0.62) add('key NEXT');
    else if (r < 0.64) add('key RST');
    else if (r < 0.77) add('key STEP');
    else if (r < 0.80) add(`run ${pick([1, 5, 20, 50, 300])}`); // a NOP waits its millisecond in the page
    else if (r < 0.84) add(`select ${1 + Math.floor(rand() * 40)}`);
    else if (r < 0.86) add(`flag ${Math.floor(rand() * 5)}`);
    else if (r < 0.88) add('bp');
    else if (r < 0.885) add('bpc');
    else if (r < 0.93) add('stepback');
    else if (r < 0.94) add(pick(['shiftdown', 'shiftup']));
    else if (r < 0.941) add('new');
    else add('key NEXT');
  }
  const out = [];
  s.forEach((a, i) => { out.push(a); if (i % CHECK_EVERY === CHECK_EVERY - 1) out.push('dump'); });
  out.push('dump');
  return out;
}

const FKEY = { MEM: 'F3', RST: 'F5', STEP: 'F7', ADDR: 'F2', NEXT: 'F4' };
const KEYPAD = ['C', 'D', 'E', 'F', '', '8', '9', 'A', 'B', '', '4', '5', '6', '7', '', '0', '1', '2', '3'];

async function pageRun(page, actions) {
  const dumps = [];
  let inEntry = false;
  const entry = async () => {
    if (!inEntry) await page.focus('#Edit3');
    inEntry = true;
  };
  const kb = page.keyboard;
  // Key events go out without waiting for each answer: the browser takes them in order.
  let pending = [];
  const flush = async () => { await Promise.all(pending); pending = []; };
  const typing = new Set(['char', 'enter', 'back']);
  for (const line of actions) {
    if (!typing.has(line.split(' ')[0])) await flush();
    const [op, ...rest] = line.split(' ');
    const arg = line.slice(op.length + 1);
    switch (op) {
      case 'char': await entry(); pending.push(kb.type(arg === '' ? ' ' : arg)); break;
      case 'enter': await entry(); pending.push(kb.press('Enter')); break;
      case 'back': await entry(); pending.push(kb.press('Backspace')); break;
      case 'clear':
        await entry();
        await kb.down('Control'); await kb.press('a'); await kb.up('Control');
        await kb.press('Backspace');
        break;
      case 'key':
        if (FKEY[arg]) {
          await kb.press(FKEY[arg]);
          if (arg === 'ADDR' || arg === 'MEM') inEntry = false; // F2 and F3 take the focus to the keypad
        } else if (rand() < 0.1) await page.click(`#Button${KEYPAD.indexOf(arg) + 6}`);
        else await page.evaluate((k) => window.tamrel.keypadKey(k), arg); // what a click calls
        break;
      case 'run':
        await page.evaluate((n) => new Promise((r) => {
          window.tamrel.runner.onEnd = r;
          window.tamrel.runner.start(n);
        }), Number(arg));
        break;
      case 'select': await page.evaluate((row) => window.tamrel.grid.select(row, 0, true), Number(arg)); break;
      case 'flag': await page.click(`#CheckBox${Number(arg) + 1}`); inEntry = false; break;
      case 'bp': await kb.press('F9'); break;
      case 'bpc': await page.evaluate(() => window.tamrel.actions.clearBreakpoints()); break;
      case 'stepback': await kb.down('Shift'); await kb.press('F7'); await kb.up('Shift'); break;
      case 'shiftdown': await page.evaluate(() => window.tamrel.actions.shiftDown()); break;
      case 'shiftup': await page.evaluate(() => window.tamrel.actions.shiftUp()); break;
      case 'new':
        await kb.down('Control'); await kb.press('n'); await kb.up('Control');
        await page.waitForSelector('#message[open]');
        await kb.press('Escape'); // Нет: nothing saved
        inEntry = false;
        break;
      case 'dump':
        await frames(page);
        dumps.push(await page.evaluate(() => {
          const $ = (id) => document.getElementById(id);
          const core = window.tamrel.core;
          const fnv = (h, s) => {
            const b = new TextEncoder().encode(s);
            for (const c of b) h = Math.imul(h ^ c, 16777619) >>> 0;
            return h;
          };
          const cells = [];
          for (let row = 0; row <= 30001; row++)
            for (let col = 0; col < 3; col++) cells.push(core.cell(col, row), '\n');
          const listing = fnv(2166136261, cells.join(''));
          let image = 2166136261;
          for (const c of core.imageBytes()) image = Math.imul(image ^ c, 16777619) >>> 0;
          return {
            address: $('Edit1').textContent, data: $('Edit2').textContent, entry: $('Edit3').value,
            sp: $('Label1').textContent,
            registers: [...document.querySelectorAll('#StringGrid2 [data-reg]')].map((c) => c.textContent),
            flags: [1, 2, 3, 4, 5].map((i) => ($(`CheckBox${i}`).checked ? 1 : 0)),
            pc: core.pc(), listing, image,
          };
        }));
        break;
      default: throw new Error(`unknown step ${line}`);
    }
    void rest;
  }
  await flush();
  return dumps;
}

const actions = script();
const native = spawnSync(driver, { input: actions.join('\n') + '\n', encoding: 'utf8', maxBuffer: 1 << 26 });
check(native.status === 0, `the native driver ran (${native.stderr || 'no errors'})`);
const want = native.stdout.trim().split('\n').map((l) => JSON.parse(l));

const server = await serve(site);
const b = await browser();
try {
  const page = await openPage(b, server.url);
  const t0 = Date.now();
  const got = await pageRun(page, actions);
  const secs = (Date.now() - t0) / 1000;
  check(got.length === want.length, `${got.length} checkpoints from the page, ${want.length} from the core`);
  let first = -1;
  for (let i = 0; i < Math.min(got.length, want.length); i++) {
    if (JSON.stringify(got[i]) !== JSON.stringify(want[i])) { first = i; break; }
  }
  if (first >= 0) {
    console.log(`first difference at checkpoint ${first} (after step ${Math.min((first + 1) * CHECK_EVERY, STEPS)}):`);
    console.log(' page:', JSON.stringify(got[first]));
    console.log(' core:', JSON.stringify(want[first]));
  }
  check(first < 0, `${STEPS} random steps (seed ${SEED}) give the same state in the page and the core, ${secs.toFixed(1)} s`);
  check(page.errors.length === 0, `no script errors (${page.errors.join('; ')})`);
} finally {
  await b.close();
  server.close();
}
process.exit(failures ? 1 : 0);
