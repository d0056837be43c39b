// A new version published on the server replaces the cached one at the next load with the
// network on, and the old version's cache is deleted; with the network off the page loads
// from the cache. Two builds are served one after the other from the same address.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serve, browser, openPage, check, failures, site } from './lib.mjs';

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'tamrel-versions-'));
const [one, two] = [path.join(root, 'one'), path.join(root, 'two')];
fs.cpSync(site, one, { recursive: true });
fs.cpSync(site, two, { recursive: true });
// The second build: another page text and, as the build makes it, another version.
const index = path.join(two, 'index.html');
fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<title>Tamrel Emul</title>', '<title>Tamrel Emul</title><meta name="build" content="two">'));
const sw = path.join(two, 'sw.js');
fs.writeFileSync(sw, fs.readFileSync(sw, 'utf8').replace(/const VERSION = '([^']*)'/, "const VERSION = '$1-two'"));

const server = await serve(one);
const b = await browser();
const build = (page) => page.evaluate(() => document.querySelector('meta[name="build"]')?.content || 'one');
const cacheNames = (page) => page.evaluate(() => caches.keys());
try {
  const page = await openPage(b, server.url);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.waitForFunction(() => !!navigator.serviceWorker.controller, { timeout: 10000 });
  const first = await cacheNames(page);
  check(first.length === 1 && await build(page) === 'one', `the first build is cached (${first})`);

  server.down = true;
  await page.setOfflineMode(true);
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => window.tamrel && window.tamrel.ready, { timeout: 20000 });
  check(await build(page) === 'one', 'with the network off the page loads from its cache');

  server.down = false;
  await page.setOfflineMode(false);
  server.root = two;
  await page.reload({ waitUntil: 'load' });
  // The new service worker installs and takes over; the page then shows the new build.
  await page.waitForFunction(() => document.querySelector('meta[name="build"]'), { timeout: 20000 }).catch(() => {});
  await page.waitForFunction(() => window.tamrel && window.tamrel.ready, { timeout: 20000 });
  check(await build(page) === 'two', 'the next load with the network on shows the new build');
  const names = await cacheNames(page);
  check(names.length === 1 && names[0].endsWith('-two'), `only the new version's cache is left (${names})`);

  server.down = true;
  await page.setOfflineMode(true);
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => window.tamrel && window.tamrel.ready, { timeout: 20000 });
  check(await build(page) === 'two', 'offline again, the new build loads from the cache');
} finally {
  await b.close();
  server.close();
  fs.rmSync(root, { recursive: true, force: true });
}
process.exit(failures ? 1 : 0);
