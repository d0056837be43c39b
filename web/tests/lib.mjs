// What the page tests share: a static server for the built page on 127.0.0.1, and Debian's
// Chromium, headless, with a fresh profile, driven by puppeteer-core (no browser download).
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.css': 'text/css', '.wasm': 'application/wasm', '.json': 'application/json',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.svg': 'image/svg+xml',
  '.jpg': 'image/jpeg',
};

// Serves `root` (changeable later, to publish another build); `server.down = true` answers
// nothing, as a network that is gone.
export async function serve(root) {
  const server = http.createServer((req, res) => {
    if (server.down) return req.socket.destroy();
    let p = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (p.endsWith('/')) p += 'index.html';
    const file = path.join(server.root, p);
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404);
        return res.end();
      }
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache' });
      res.end(data);
    });
  });
  server.root = root;
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  server.url = `http://127.0.0.1:${server.address().port}/`;
  return server;
}

export async function browser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tamrel-chromium-'));
  const b = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
  });
  // The profile goes with the browser: closing waits for Chromium, then removes it.
  const close = b.close.bind(b);
  b.close = async () => {
    await close();
    try {
      fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
    } catch { /* left to the system's cleaning of its temporary folder */ }
  };
  return b;
}

export async function openPage(b, url, viewport = { width: 1280, height: 800 }) {
  const page = await b.newPage();
  await page.setViewport(viewport);
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.errors = errors;
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.tamrel && window.tamrel.ready, { timeout: 20000 });
  await frames(page);
  return page;
}

// Waits until the page has drawn what the core last showed.
export async function frames(page, n = 2) {
  for (let i = 0; i < n; i++) await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
}

// The accessibility tree's node of a role and name (the first one).
export async function ax(page, role, name) {
  const snap = await page.accessibility.snapshot({ interestingOnly: false });
  const found = [];
  (function walk(n) {
    if (n.role === role && (name === undefined || n.name === name)) found.push(n);
    for (const c of n.children || []) walk(c);
  })(snap);
  return found;
}

export let failures = 0;
export function check(cond, what) {
  if (cond) console.log(`ok   ${what}`);
  else {
    failures++;
    console.log(`FAIL ${what}`);
  }
}

export const site = process.argv[2] || path.resolve(path.dirname(new URL(import.meta.url).pathname), '../../build-web/site');

// BM_ExecuteLoop's reference program, as blocks of lines typed from an address, and how many
// bytes each mnemonic takes (one for the others); the rate measurements type it line by line.
export const referenceProgram = {
  length: { LXI: 3, MVI: 2, ADI: 2, CPI: 2, CALL: 3, STA: 3, JNZ: 3, JMP: 3 },
  blocks: [
    [0x8200, ['LXI SP, F72F', 'MVI B, 10', 'MVI A, 00', 'LXI H, 8300', 'ADD B', 'ADI 03', 'ANA B',
      'CPI 40', 'INR C', 'DCR D', 'INX H', 'DAD B', 'PUSH B', 'POP D', 'CALL 8230', 'STA 8400',
      'MOV E, A', 'DCR B', 'JNZ 8205', 'JMP 8203']],
    [0x8230, ['MOV C, A', 'RET']],
  ],
};
