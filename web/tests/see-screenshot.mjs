// The page's picture of a program at work: block-copy.mem run to a breakpoint four times, the
// PC row and the breakpoint marked, the status line, and "Память и стек" at 8300 with the
// copied bytes marked. At 1280 × 800 in docs/screenshots/web-see-1280x800.png.
//   node see-screenshot.mjs SITE OUTDIR
import fs from 'node:fs';
import path from 'node:path';
import { serve, browser, openPage, frames, site } from './lib.mjs';

const out = process.argv[3];
const here = path.dirname(new URL(import.meta.url).pathname);
const bytes = [...fs.readFileSync(path.resolve(here, '../../examples/block-copy.mem'))];
const server = await serve(site);
const b = await browser();
try {
  const page = await openPage(b, server.url, { width: 1280, height: 800, deviceScaleFactor: 1 });
  await page.evaluate(async (data) => {
    const { core, keypadKey, runner } = window.tamrel;
    core.openImage(new Uint8Array(data));
    for (const k of ['ADDR', '8', '2', '0', 'E']) keypadKey(k);
    core.breakpointAtPC();
    keypadKey('RST');
    for (let i = 0; i < 4; i++) await new Promise((r) => { runner.onEnd = r; runner.start(-1); });
  }, bytes);
  await page.keyboard.down('Control');
  await page.keyboard.press('m');
  await page.keyboard.up('Control');
  await page.keyboard.type('8300');
  await page.keyboard.press('Enter');
  await frames(page, 3);
  await page.screenshot({ path: path.join(out, 'web-see-1280x800.png') });
} finally {
  await b.close();
  server.close();
}
