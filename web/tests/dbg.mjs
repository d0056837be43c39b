import { serve, browser, openPage, frames } from './lib.mjs';
const s = await serve('/work/wt/web/build-web/site');
const b = await browser();
const p = await openPage(b, s.url);
p.on('console', (m) => console.log('console', m.text()));
const r = await p.evaluate(() => new Promise((res) => {
  const { core, runner, keypadKey } = window.tamrel;
  core.newImage(); keypadKey('RST');
  runner.onEnd = (x) => res([x, core.pc().toString(16), window.tamrel.shown.address]);
  runner.start(100000);
}));
console.log(r, p.errors);
await b.close(); s.close();
