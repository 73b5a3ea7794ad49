// What the browser tests share: temporary folders, the native programs, a tile server that
// also serves the test page, and a fresh headless Chromium for each test.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '../..');
const nativeBuild = process.env.ZOLVEX_NATIVE_BUILD || path.join(root, 'build');
const webBuild = process.env.ZOLVEX_WEB_BUILD || path.join(root, 'build-web/web');
export const programs = {
  zolvex: path.join(nativeBuild, 'apps/zolvex/zolvex'),
  ktqtool: path.join(nativeBuild, 'apps/ktqtool/ktqtool'),
  ktqserve: path.join(nativeBuild, 'apps/ktqserve/ktqserve'),
};
export const chromium = process.env.CHROMIUM || '/usr/bin/chromium';

export function tempDir(t, prefix = 'zolvex-web-') {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  return dir;
}

export function run(program, args, options = {}) {
  const result = spawnSync(program, args, { encoding: 'utf8', ...options });
  if (result.error) throw result.error;
  return result;
}

// A folder holding a 2048 x 2048 image of four levels, and one with the test page beside
// the control's files.
export function makeFixture(t) {
  const dir = tempDir(t);
  const images = path.join(dir, 'images');
  const page = path.join(dir, 'page');
  fs.mkdirSync(images);
  fs.mkdirSync(page);
  const made = run(programs.ktqtool, ['synth', path.join(images, 's.ktq'), '--size', '2048', '--tile', '256']);
  if (made.status !== 0) throw new Error('ktqtool: ' + made.stderr);
  for (const name of fs.readdirSync(webBuild)) fs.symlinkSync(path.join(webBuild, name), path.join(page, name));
  fs.copyFileSync(path.join(here, 'harness.html'), path.join(page, 'harness.html'));
  return { dir, images, page };
}

// ktqserve on free loopback ports: the tile protocol, and HTTP with the tunnel and the page.
export async function startServer(t, fixture) {
  const child = spawn(programs.ktqserve, [fixture.images, '--port', '0', '--http-port', '0', '--web', fixture.page],
                      { stdio: ['ignore', 'pipe', 'pipe'] });
  t.after(() => child.kill('SIGTERM'));
  const ports = [];
  let output = '';
  await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('ktqserve did not start: ' + output)), 10000);
    child.stdout.on('data', (chunk) => {
      output += chunk;
      for (const match of output.matchAll(/port (\d+)$/gm)) if (!ports.includes(+match[1])) ports.push(+match[1]);
      if (ports.length >= 2) {
        clearTimeout(timer);
        resolve();
      }
    });
    child.on('exit', () => reject(new Error('ktqserve ended: ' + output)));
  });
  return { ktqPort: ports[0], httpPort: ports[1], origin: `http://127.0.0.1:${ports[1]}` };
}

// A headless Chromium with a profile folder of its own, and the test page open in it.
export async function openPage(t, server) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zolvex-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
    env: { ...process.env, HOME: profile, TMPDIR: profile, XDG_CONFIG_HOME: profile, XDG_CACHE_HOME: profile },
  });
  // The profile goes once the browser has closed and stopped writing to it.
  t.after(async () => {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
  });
  const page = await browser.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('console', (message) => {
    // The browser asks every server for a favicon; the test page has none.
    const from = (message.location() && message.location().url) || '';
    if (message.type() === 'error' && !from.endsWith('/favicon.ico')) problems.push(message.text() + ' ' + from);
  });
  await page.goto(`${server.origin}/harness.html`);
  await page.evaluate(() => Zolvex.ready);
  return { page, problems };
}

// Runs a page script in the native host the way the browser test page runs it.
export function runNativeScript(t, fixture, script, size = '400x300') {
  const dir = tempDir(t, 'zolvex-native-');
  const file = path.join(dir, 'page.js');
  fs.writeFileSync(file, script);
  const result = run(programs.zolvex, ['--headless', '--size', size, '--timeout', '30', '--script', file],
                     { env: { ...process.env, XDG_CONFIG_HOME: dir, TMPDIR: dir } });
  const lines = result.stderr.split('\n').filter((line) => line !== '');
  return { code: result.status, lines };
}

// Peak signal-to-noise ratio of two pictures in dB, by ImageMagick (Infinity when equal).
export function psnr(a, b) {
  const result = run('compare', ['-metric', 'PSNR', a, b, 'null:']);
  const text = result.stderr.trim();
  if (/^inf/i.test(text)) return Infinity;
  const value = parseFloat(text);
  if (Number.isNaN(value)) throw new Error('compare: ' + text);
  return value;
}
