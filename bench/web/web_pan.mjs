// The WebAssembly control in headless Chromium along bench_pan's path: a 1920 x 1080 view
// panning a SIZE x SIZE picture through the tile server's tunnel. Prints the time to the
// first complete frame, the frames per second (each frame composed after the move and
// again once complete, as bench_pan measures natively) and the browser's processor time,
// beside the module's size.
//   node bench/web/web_pan.mjs KTQSERVE WEB_DIR PICTURE_FOLDER PICTURE_NAME SIZE [NATIVE_FPS]
// With ZOLVEX_WEB_PROFILE=FILE it also prints where the browser's processor time went along
// the path (by process and thread) and the page thread's busiest functions, and keeps the
// page thread's profile in FILE (a .cpuprofile DevTools opens). Function names need a module
// linked with --profiling-funcs. ZOLVEX_WEB_CANVAS=webgl or 2d chooses how frames reach the
// canvas (the control chooses by itself otherwise).
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(path.resolve('tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const [ktqserve, webDir, folder, name, sizeText, nativeText] = process.argv.slice(2);
const size = Number(sizeText), nativeFramesPerSecond = Number(nativeText || 0), steps = 200;

// A /proc stat line's name, parent and processor time in seconds (clock ticks of 10 ms).
function readStat(file) {
  const stat = fs.readFileSync(file, 'utf8');
  const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  return { name: stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')')), parent: Number(fields[1]),
           seconds: (Number(fields[11]) + Number(fields[12])) / 100 };
}

// The processes of the browser: a process and all its descendants (its renderer, GPU and
// utility processes).
function browserProcesses(rootPid) {
  const parents = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try { parents.set(Number(entry), readStat(`/proc/${entry}/stat`).parent); } catch { /* the process ended */ }
  }
  const inTree = (pid) => { for (; pid > 1; pid = parents.get(pid)) if (pid === rootPid) return true; return false; };
  return [...parents.keys()].filter(inTree);
}

// Processor time of the browser's processes, in seconds.
function browserCpuSeconds(rootPid) {
  let total = 0;
  for (const pid of browserProcesses(rootPid)) {
    try { total += readStat(`/proc/${pid}/stat`).seconds; } catch { /* the process ended */ }
  }
  return total;
}

// Processor time of the browser's threads, in seconds, by process kind and thread name
// ("renderer/CrRendererMain", "gpu-process/VizCompositorTh", ...).
function browserThreadSeconds(rootPid) {
  const seconds = new Map();
  for (const pid of browserProcesses(rootPid)) {
    try {
      const kind = /--type=([\w-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'))?.[1] ?? 'browser';
      for (const task of fs.readdirSync(`/proc/${pid}/task`)) {
        const thread = readStat(`/proc/${pid}/task/${task}/stat`);
        const key = `${kind}/${thread.name}`;
        seconds.set(key, (seconds.get(key) ?? 0) + thread.seconds);
      }
    } catch { /* the process ended */ }
  }
  return seconds;
}

// The page thread's functions by the time spent in them with their callees and by the time
// spent in their own code, in milliseconds.
function functionTimes(profile) {
  const nodes = new Map(profile.nodes.map((node) => [node.id, node]));
  const parents = new Map();
  for (const node of profile.nodes) for (const child of node.children ?? []) parents.set(child, node.id);
  const name = (node) => node.callFrame.functionName || `(${node.callFrame.url || 'anonymous'})`;
  const inclusive = new Map(), own = new Map();
  profile.samples.forEach((id, i) => {
    const ms = (profile.timeDeltas[i + 1] ?? 0) / 1000;
    own.set(name(nodes.get(id)), (own.get(name(nodes.get(id))) ?? 0) + ms);
    const onStack = new Set();
    for (let at = id; at !== undefined; at = parents.get(at)) onStack.add(name(nodes.get(at)));
    for (const fn of onStack) inclusive.set(fn, (inclusive.get(fn) ?? 0) + ms);
  });
  return { inclusive, own };
}

function printTop(title, times, count, steps) {
  console.log(title);
  for (const [what, ms] of [...times].sort((a, b) => b[1] - a[1]).slice(0, count)) {
    console.log(`  ${(ms / steps).toFixed(2).padStart(7)} ms a frame  ${what.slice(0, 110)}`);
  }
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
  userDataDir: profile, protocolTimeout: process.env.ZOLVEX_WEB_PROFILE ? 600000 : 180000, args: ['--no-sandbox', '--window-size=1920,1080'],
  env: { ...process.env, HOME: profile, TMPDIR: profile } });
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1920, height: 1080 });
  await page.goto(`http://127.0.0.1:${httpPort}/bench.html`);
  await page.evaluate(() => Zolvex.ready);
  if (process.env.ZOLVEX_WEB_CANVAS) {
    await page.evaluate((kind) => { document.getElementById('viewer').dataset.zolvexCanvas = kind; }, process.env.ZOLVEX_WEB_CANVAS);
  }
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
  const profileFile = process.env.ZOLVEX_WEB_PROFILE;
  const threadsAtStart = browserThreadSeconds(browser.process().pid);
  // The page thread and the module's workers, each profiled on its own.
  const profilers = profileFile ? [await page.createCDPSession(), ...page.workers().map((worker) => worker.client)] : [];
  for (const profiler of profilers) {
    await profiler.send('Profiler.enable');
    await profiler.send('Profiler.setSamplingInterval', { interval: 250 });
    await profiler.send('Profiler.start');
  }
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
  const decodes = await page.evaluate(() => Zolvex.__browserDecodes());
  if (profileFile) {
    const [profile, ...workerProfiles] = await Promise.all(profilers.map(async (profiler) => (await profiler.send('Profiler.stop')).profile));
    fs.writeFileSync(profileFile, JSON.stringify(profile));
    const threads = new Map();
    for (const [key, seconds] of browserThreadSeconds(browser.process().pid)) {
      const spent = 1000 * (seconds - (threadsAtStart.get(key) ?? 0));
      if (spent > 0) threads.set(key, spent);
    }
    printTop('browser threads along the path:', threads, 25, steps);
    const { inclusive, own } = functionTimes(profile);
    printTop('page thread, with callees:', inclusive, 40, steps);
    printTop('page thread, own code:', own, 25, steps);
    const workerOwn = new Map();
    for (const workerProfile of workerProfiles) {
      for (const [fn, ms] of functionTimes(workerProfile).own) workerOwn.set(fn, (workerOwn.get(fn) ?? 0) + ms);
    }
    workerOwn.delete('(idle)');
    printTop(`${workerProfiles.length} workers, own code (idle left out):`, workerOwn, 25, steps);
  }
  const framesPerSecond = steps / pathSeconds;
  const gz = (file) => spawnSync('sh', ['-c', `gzip -9 -c '${file}' | wc -c`], { encoding: 'utf8' }).stdout.trim();
  const wasm = path.join(webDir, 'zolvex-module.wasm');
  const js = ['zolvex-module.js', 'zolvex-module.worker.js', 'zolvex.js', 'zolvex-decoder.js'].map((f) => path.join(webDir, f));
  const jsGz = js.reduce((sum, file) => sum + Number(gz(file)), 0);
  const ofNative = nativeFramesPerSecond > 0 ? `, ${(framesPerSecond / nativeFramesPerSecond).toFixed(2)} of native` : '';
  console.log(`web      ${framesPerSecond.toFixed(1)} frames/s (${steps} frames in ${pathSeconds.toFixed(2)} s)${ofNative}`);
  console.log(`         browser processor time ${(1000 * cpuSeconds / steps).toFixed(1)} ms a frame (all its processes); first complete frame ${firstFrameMs.toFixed(0)} ms`);
  console.log(`         JPEG tiles decoded by the browser ${decodes.decoded}, refused ${decodes.refused} (the rest by the module)`);
  console.log(`module   ${fs.statSync(wasm).size} bytes wasm, ${gz(wasm)} gzip; scripts ${jsGz} gzip`);
} finally {
  await browser.close();
  server.kill('SIGTERM');
  fs.rmSync(profile, { recursive: true, force: true });
}
