// The page's screenshots in docs/screenshots/: the countdown example opened, run to a
// breakpoint, at 1280 × 800 (the window's layout) and 390 × 844 (a phone: one column); a lab
// checked, and the grading page.
//   node screenshots.mjs SITE OUTDIR
import fs from 'node:fs';
import path from 'node:path';
import { serve, browser, openPage, frames, site } from './lib.mjs';

const out = process.argv[3];
const here = path.dirname(new URL(import.meta.url).pathname);
const example = path.resolve(here, '../../examples/countdown.mem');
const server = await serve(site);
const b = await browser();
try {
  for (const [w, h] of [[1280, 800], [390, 844]]) {
    const page = await openPage(b, server.url, { width: w, height: h, deviceScaleFactor: 1 });
    const bytes = [...fs.readFileSync(example)];
    await page.evaluate(async (data) => {
      const { core, keypadKey, runner } = window.tamrel;
      core.openImage(new Uint8Array(data));
      keypadKey('RST');
      for (const k of ['ADDR', '8', '2', '0', '6']) keypadKey(k);
      core.breakpointAtPC();
      keypadKey('RST');
      await new Promise((r) => { runner.onEnd = r; runner.start(-1); });
      await new Promise((r) => { runner.onEnd = r; runner.start(-1); });
    }, bytes);
    await frames(page, 3);
    await page.focus('#Edit3');
    await page.screenshot({ path: path.join(out, `web-${w}x${h}.png`) });
    await page.close();
  }
  await labScreenshots();
} finally {
  await b.close();
  server.close();
}

// The lab check (a wrong countdown: INR A left out) beside the trainer, and the grading page
// with the example images graded against the countdown lab.
async function labScreenshots() {
  const page = await openPage(b, `${server.url}index.html?lab=labs/countdown.lab`, { width: 1280, height: 800, deviceScaleFactor: 1 });
  await page.waitForFunction(() => window.tamrel.labReady);
  const wrong = fs.readFileSync(example);
  wrong[4] = 0;
  await page.evaluate(async (data) => {
    window.tamrel.core.openImage(new Uint8Array(data));
    await window.tamrel.actions.checkLab();
  }, [...wrong]);
  await frames(page, 3);
  await page.screenshot({ path: path.join(out, 'web-lab-check.png') });
  await page.close();
  const g = await b.newPage();
  await g.setViewport({ width: 1280, height: 800, deviceScaleFactor: 1 });
  await g.goto(`${server.url}grade.html`);
  await g.waitForFunction(() => window.grading && window.grading.ready);
  await (await g.$('#labInput')).uploadFile(path.resolve(here, '../../examples/countdown.lab'));
  const images = fs.readdirSync(path.dirname(example)).filter((f) => f.endsWith('.mem'));
  await (await g.$('#filesInput')).uploadFile(...images.map((f) => path.join(path.dirname(example), f)));
  await g.waitForFunction(() => window.graded);
  await g.screenshot({ path: path.join(out, 'web-grade.png'), fullPage: true });
  await g.close();
}
