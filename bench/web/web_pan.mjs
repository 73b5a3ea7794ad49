// The WebAssembly control in headless Chromium along bench_pan's path: a 1920 x 1080 view
// panning a SIZE x SIZE picture through the tile server's tunnel. Prints the time to the
// first complete frame and the frames per second, beside the module's size.
//   node bench/web/web_pan.mjs KTQSERVE WEB_DIR PICTURE_FOLDER PICTURE_NAME SIZE
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(path.resolve('tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const [ktqserve, webDir, folder, name, sizeText] = process.argv.slice(2);
const size = Number(sizeText);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zolvex-bench-chromium-'));

const server = spawn(ktqserve, [folder, '--port', '0', '--http-port', '0', '--web', webDir], { stdio: ['ignore', 'pipe', 'inherit'] });
const httpPort = await new Promise((resolve, reject) => {
  let output = '';
  server.stdout.on('data', (chunk) => {
    output += chunk;
    const ports = [...output.matchAll(/port (\d+)$/gm)].map((m) => Number(m[1]));
    if (ports.length >= 2) resolve(ports[1]);
  });
  server.on('exit', () => reject(new Error(output)));
});

const browser = await puppeteer.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  userDataDir: profile, args: ['--no-sandbox', '--window-size=1920,1080'],
  env: { ...process.env, HOME: profile, TMPDIR: profile } });
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1920, height: 1080 });
  await page.goto(`http://127.0.0.1:${httpPort}/bench.html`);
  await page.evaluate(() => Zolvex.ready);
  const figures = await page.evaluate(async (url, fullSize) => {
    const viewer = document.getElementById('viewer');
    const yieldToLoop = () => new Promise((resolve) => setTimeout(resolve, 5));
    const complete = async (ctrl) => {
      for (;;) {
        ctrl.Repaint();
        if (ctrl.__native.pendingTiles() === 0) return;
        await yieldToLoop();
      }
    };
    const opened = performance.now();
    const ctrl = await new Promise((resolve, reject) => {
      const made = Zolvex.create(viewer, {});
      made.OnLoaded = () => resolve(made);
      made.OnError = (text) => reject(new Error(text));
      made.Url = url;
    });
    await complete(ctrl);
    const firstFrameMs = performance.now() - opened;
    const levels = ctrl.GetLevelCount();
    const steps = 200, width = 1920, height = 1080;
    const start = performance.now();
    for (let i = 0; i < steps; ++i) {
      const level = levels - (i % 50 >= 45 ? 2 : 1);
      const scale = levels - level;
      const x = (i * 701) % Math.max(1, fullSize - width * 2);
      const y = (i * 433) % Math.max(1, fullSize - height * 2);
      ctrl.MoveTo(x >> (scale - 1), y >> (scale - 1), level + 1);
      await complete(ctrl);
    }
    return { firstFrameMs, framesPerSecond: steps / ((performance.now() - start) / 1000) };
  }, `ktq://127.0.0.1/${name}`, size);
  const gz = (file) => spawnSync('sh', ['-c', `gzip -9 -c '${file}' | wc -c`], { encoding: 'utf8' }).stdout.trim();
  const wasm = path.join(webDir, 'zolvex-module.wasm');
  const js = ['zolvex-module.js', 'zolvex-module.worker.js', 'zolvex.js'].map((f) => path.join(webDir, f));
  const jsGz = js.reduce((sum, file) => sum + Number(gz(file)), 0);
  console.log(`web      first complete frame after ${figures.firstFrameMs.toFixed(0)} ms`);
  console.log(`web      ${figures.framesPerSecond.toFixed(1)} frames/s`);
  console.log(`module   ${fs.statSync(wasm).size} bytes wasm, ${gz(wasm)} gzip; scripts ${jsGz} gzip`);
} finally {
  await browser.close();
  server.kill('SIGTERM');
  fs.rmSync(profile, { recursive: true, force: true });
}
