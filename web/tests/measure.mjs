// The web edition's figures for the README: sizes, first paint cold and offline, executed
// lines per second during RUN, and the longest task while an endless loop runs.
//   node measure.mjs SITE [SECONDS]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { serve, browser, site, referenceProgram } from './lib.mjs';

const seconds = Number(process.argv[3] || 3);
for (const f of ['tamrel-core.wasm', 'tamrel-core.mjs']) {
  const data = fs.readFileSync(path.join(site, f));
  console.log(`${f}: ${data.length} bytes, gzip -9 ${zlib.gzipSync(data, { level: 9 }).length} bytes`);
}

const server = await serve(site);
const b = await browser();
const paint = async (page) => {
  await page.waitForFunction(() => window.tamrel && window.tamrel.ready, { timeout: 20000 });
  return page.evaluate(() => ({
    fcp: performance.getEntriesByName('first-contentful-paint')[0]?.startTime,
    ready: performance.now(),
  }));
};
try {
  const page = await b.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(server.url);
  const cold = await paint(page);
  console.log(`cold load: first paint ${cold.fcp.toFixed(0)} ms, trainer ready by ${cold.ready.toFixed(0)} ms`);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.waitForFunction(() => !!navigator.serviceWorker.controller, { timeout: 10000 });
  server.down = true;
  await page.setOfflineMode(true);
  await page.reload();
  const off = await paint(page);
  console.log(`offline load: first paint ${off.fcp.toFixed(0)} ms, trainer ready by ${off.ready.toFixed(0)} ms`);

  // The reference program of BM_ExecuteLoop, typed line by line, then RUN for a while and RST.
  const r = await page.evaluate((secs, program) => new Promise((resolve) => {
    const { core, runner, keypadKey } = window.tamrel;
    const longTasks = [];
    new PerformanceObserver((l) => longTasks.push(...l.getEntries().map((e) => e.duration))).observe({ type: 'longtask' });
    core.newImage();
    for (let [addr, lines] of program.blocks) {
      for (const line of lines) {
        core.selectRow(addr - 0x81FF);
        let typed = '';
        for (const ch of line) { core.entryKey(2, typed, ch); typed += ch; }
        addr += program.length[line.split(' ')[0]] || 1;
      }
    }
    keypadKey('RST');
    // One second and a half of RUN first: the browser compiles the hot code a second time,
    // optimised, while it runs.
    runner.onEnd = () => setTimeout(measured, 100);
    runner.start(-1);
    setTimeout(() => keypadKey('RST'), 1500);
    function measured() {
    keypadKey('RST');
    runner.longest = 0;
    runner.busy = 0;
    const gaps = [];
    let last = performance.now();
    const frame = (t) => { gaps.push(t - last); last = t; if (core.running()) requestAnimationFrame(frame); };
    requestAnimationFrame(frame);
    const t0 = performance.now();
    runner.onEnd = (res) => {
      const dt = (performance.now() - t0) / 1000;
      setTimeout(() => resolve({ lines: res.lines, dt, busy: runner.busy / 1000, longTask: Math.max(0, ...longTasks), slice: runner.longest,
        frameGap: Math.max(...gaps) }), 100);
    };
    runner.start(-1);
    setTimeout(() => keypadKey('RST'), secs * 1000);
    }
  }), seconds, referenceProgram);
  console.log(`RUN of the reference program for ${r.dt.toFixed(2)} s: ${r.lines} lines, ${(r.lines / r.dt / 1e6).toFixed(1)} M lines/s; inside the slices (${r.busy.toFixed(2)} s) ${(r.lines / r.busy / 1e6).toFixed(1)} M lines/s`);
  console.log(`longest task ${r.longTask.toFixed(1)} ms (none over 50 ms: 0), longest slice ${r.slice.toFixed(1)} ms, longest gap between frames ${r.frameGap.toFixed(1)} ms`);
} finally {
  await b.close();
  server.close();
}
