// The WebAssembly control in headless Chromium along bench_pan's path: a 1920 x 1080 view
// panning a SIZE x SIZE picture through the tile server's tunnel. Prints the time to the
// first complete frame, the frames per second (each frame composed after the move and
// again once complete, as bench_pan measures natively) and the browser's processor time,
// beside the module's size.
//   node bench/web/web_pan.mjs KTQSERVE WEB_DIR PICTURE_FOLDER PICTURE_NAME SIZE [NATIVE_FPS]
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(path.resolve('tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const [ktqserve, webDir, folder, name, sizeText, nativeText] = process.argv.slice(2);
const size = Number(sizeText), nativeFramesPerSecond = Number(nativeText || 0), steps = 200;

// Processor time of a process and all its descendants (the browser's renderer, GPU and
// utility processes), in seconds.
function browserCpuSeconds(rootPid) {
  const parents = new Map(), times = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(Number(entry), Number(fields[1]));
      times.set(Number(entry), (Number(fields[11]) + Number(fields[12])) / 100);  // clock ticks of 10 ms
    } catch { /* the process ended */ }
  }
  const inTree = (pid) => { for (; pid > 1; pid = parents.get(pid)) if (pid === rootPid) return true; return false; };
  let total = 0;
  for (const [pid, seconds] of times) if (inTree(pid)) total += seconds;
  return total;
}
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zolvex-bench-chromium-'));

// The server as bench_pan starts it: one thread.
const server = spawn(ktqserve, [folder, '--port', '0', '--http-port', '0', '--threads', '1', '--web', webDir], { stdio: ['ignore', 'pipe', 'inherit'] });
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
  // As bench_pan waits natively: a frame composed and copied to the canvas at once after
  // the move; then the control composes the frame again as soon as its last tile is in,
  // which is asked every millisecond (Atomics.waitAsync sleeps that long; setTimeout would
  // clamp to 4 ms).
  await page.evaluate(() => {
    const cell = new Int32Array(new SharedArrayBuffer(4));
    const pause = () => Atomics.waitAsync(cell, 0, 0, 1).value;
    window.completeFrame = async (native) => {
      if (native.showFrame() === 0) return;
      for (let missing = native.pendingTiles(); missing !== 0; missing = native.pendingTiles()) {
        if (missing < 0) throw new Error('the image closed');
        await pause();
      }
    };
  });
  const firstFrameMs = await page.evaluate(async (url) => {
    const opened = performance.now();
    const ctrl = await new Promise((resolve, reject) => {
      const made = Zolvex.create(document.getElementById('viewer'), {});
      made.OnLoaded = () => resolve(made);
      made.OnError = (text) => reject(new Error(text));
      made.Url = url;
    });
    window.ctrl = ctrl;
    await completeFrame(ctrl.__native);
    return performance.now() - opened;
  }, `ktq://127.0.0.1/${name}`);
  const cpuAtStart = browserCpuSeconds(browser.process().pid);
  const pathSeconds = await page.evaluate(async (fullSize, steps) => {
    const native = ctrl.__native, levels = ctrl.GetLevelCount(), width = 1920, height = 1080;
    const start = performance.now();
    for (let i = 0; i < steps; ++i) {
      const level = levels - (i % 50 >= 45 ? 2 : 1);
      const scale = levels - level;
      const x = (i * 701) % Math.max(1, fullSize - width * 2);
      const y = (i * 433) % Math.max(1, fullSize - height * 2);
      native.moveView(x >> (scale - 1), y >> (scale - 1), level + 1);
      await completeFrame(native);
    }
    return (performance.now() - start) / 1000;
  }, size, steps);
  const cpuSeconds = browserCpuSeconds(browser.process().pid) - cpuAtStart;
  const framesPerSecond = steps / pathSeconds;
  const gz = (file) => spawnSync('sh', ['-c', `gzip -9 -c '${file}' | wc -c`], { encoding: 'utf8' }).stdout.trim();
  const wasm = path.join(webDir, 'zolvex-module.wasm');
  const js = ['zolvex-module.js', 'zolvex-module.worker.js', 'zolvex.js'].map((f) => path.join(webDir, f));
  const jsGz = js.reduce((sum, file) => sum + Number(gz(file)), 0);
  const ofNative = nativeFramesPerSecond > 0 ? `, ${(framesPerSecond / nativeFramesPerSecond).toFixed(2)} of native` : '';
  console.log(`web      ${framesPerSecond.toFixed(1)} frames/s (${steps} frames in ${pathSeconds.toFixed(2)} s)${ofNative}`);
  console.log(`         browser processor time ${(1000 * cpuSeconds / steps).toFixed(1)} ms a frame (all its processes); first complete frame ${firstFrameMs.toFixed(0)} ms`);
  console.log(`module   ${fs.statSync(wasm).size} bytes wasm, ${gz(wasm)} gzip; scripts ${jsGz} gzip`);
} finally {
  await browser.close();
  server.kill('SIGTERM');
  fs.rmSync(profile, { recursive: true, force: true });
}
