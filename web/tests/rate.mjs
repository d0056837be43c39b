// The compiled core's executed-line rate without a browser: the page's own module under node,
// the reference program of BM_ExecuteLoop, RUN in slices as the page runs it, timed by the
// process's CPU time as Google Benchmark times the native figure.
//   node --no-experimental-fetch rate.mjs SITE [SECONDS]
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { site, referenceProgram } from './lib.mjs';

// This emscripten's ES module looks for CommonJS's names when it runs under node.
globalThis.__dirname = path.resolve(site);
globalThis.require = createRequire(import.meta.url);

const seconds = Number(process.argv[3] || 3);
const { default: TamrelCore } = await import(path.resolve(site, 'tamrel-core.mjs'));
const module = await TamrelCore({ wasmBinary: fs.readFileSync(path.resolve(site, 'tamrel-core.wasm')) });
// The page's view, counting the core's calls into JavaScript (none should come per line).
let calls = 0;
const nothing = () => { calls++; };
const core = new module.Trainer({ showAddress: nothing, showData: nothing, showEntry: nothing,
  showStackPointer: nothing, showRegisters: nothing, showFlags: nothing, showSelection: nothing });
core.start();
core.newImage();
for (let [addr, lines] of referenceProgram.blocks) {
  for (const line of lines) {
    core.selectRow(addr - 0x81FF);
    let typed = '';
    for (const ch of line) { core.entryKey(2, typed, ch); typed += ch; }
    addr += referenceProgram.length[line.split(' ')[0]] || 1;
  }
}
core.key('RST');
// A second and a half first, as in the page: node compiles the hot code again, optimised.
core.beginRun(-1);
for (const w0 = performance.now(); performance.now() - w0 < 1500;) core.runSlice(100000, 8);
core.key('RST');
core.runSlice(1, 8);
core.finishRun();
const cpu0 = process.cpuUsage();
const calls0 = calls;
let slices = 0;
const t0 = performance.now();
core.beginRun(-1);
let lines = 200000;
while (performance.now() - t0 < seconds * 1000) {
  const s = performance.now();
  core.runSlice(lines, 8);
  slices++;
  const dt = performance.now() - s;
  lines = Math.max(1000, Math.floor(Math.min((lines * 6) / Math.max(dt, 0.01), lines * 2)));
}
core.key('RST');
core.runSlice(1, 8);
const during = calls - calls0; // BeginRun's two before the slices
const result = core.finishRun();
const cpu = process.cpuUsage(cpu0);
const cpuSeconds = (cpu.user + cpu.system) / 1e6;
const wall = (performance.now() - t0) / 1000;
console.log(`node: ${result.lines} lines in ${wall.toFixed(2)} s (${cpuSeconds.toFixed(2)} s of CPU): ` +
  `${(result.lines / cpuSeconds / 1e6).toFixed(1)} M lines/s of CPU time, ${(result.lines / wall / 1e6).toFixed(1)} M lines/s wall; ${slices} slices, ${during} calls into JavaScript`);
