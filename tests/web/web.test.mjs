// The control in a real browser: the WebAssembly build in headless Chromium, driven over the
// DevTools protocol, against ktqserve on loopback (its HTTP port serves the page, the
// control and, through the tunnel, the tiles) and compared with the native program.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';

import { makeFixture, openPage, programs, psnr, root, run, runNativeScript, startServer, tempDir } from './support.mjs';

const imageUrl = (server) => `ktq://127.0.0.1:${server.ktqPort}/s.ktq`;

async function runInBrowser(t, server, script) {
  const { page, problems } = await openPage(t, server);
  const result = await page.evaluate((source) => window.runPageScript(source), script);
  return { ...result, page, problems };
}

// Waits until the frame lacks no tile, has one more frame shown and keeps the canvas's
// picture in file.
async function completeFramePicture(page, file) {
  await page.waitForFunction(() => ctrl.__native.pendingTiles() === 0, { timeout: 20000, polling: 100 });
  const shown = await page.evaluate(() => { ctrl.Repaint(); return ctrl.__native.presentCount(); });
  await page.waitForFunction((count) => ctrl.__native.presentCount() > count, { timeout: 10000, polling: 50 }, shown);
  const picture = await page.evaluate(() => document.querySelector('#viewer canvas').toDataURL('image/png'));
  fs.writeFileSync(file, Buffer.from(picture.split(',')[1], 'base64'));
}

// Opens the image in a control made on the page, with frames shown through a canvas of kind.
async function openImage(page, url, kind) {
  await page.evaluate((url, kind) => new Promise((resolve, reject) => {
    document.getElementById('viewer').dataset.zolvexCanvas = kind;
    window.ctrl = Zolvex.create(document.getElementById('viewer'), { ShowToolbar: 'no', LogoLocation: 'no' });
    ctrl.OnError = (text) => reject(new Error(text));
    ctrl.OnLoaded = () => resolve();
    ctrl.Url = url;
  }), url, kind);
}

// The native viewer's picture of the image at url (a place may follow it), in folder.
function nativeSnapshot(url, folder) {
  const nativePng = path.join(folder, 'native.png');
  const native = run(programs.zolvex, ['--headless', '--size', '400x300', '--timeout', '30', '--snapshot', nativePng,
                                       url], { env: { ...process.env, XDG_CONFIG_HOME: folder } });
  assert.equal(native.status, 0, native.stderr);
  return nativePng;
}

// Both ways of showing frames: WebGL (chosen here, where the browser draws it in software) and
// the 2-D canvas, which browsers without WebGL use.
for (const canvasKind of ['webgl', '2d']) {
  test(`the page opens a .ktq through the tunnel and shows what the native viewer shows (${canvasKind} canvas)`, async (t) => {
    const fixture = makeFixture(t);
    const server = await startServer(t, fixture);
    const { page, problems } = await openPage(t, server);
    // The native snapshot is the view's frame: the control's toolbar and logo stay off here.
    await openImage(page, imageUrl(server), canvasKind);
    const folder = tempDir(t, 'zolvex-pictures-');
    const webPng = path.join(folder, 'web.png');
    await completeFramePicture(page, webPng);
    const nativePng = nativeSnapshot(imageUrl(server), folder);
    const size = run('identify', ['-format', '%wx%h', webPng]).stdout;
    assert.equal(size, '400x300');
    // ZOLVEX_WEB_PICTURES=DIR keeps both pictures for a look.
    if (process.env.ZOLVEX_WEB_PICTURES) {
      for (const file of [webPng, nativePng]) fs.copyFileSync(file, path.join(process.env.ZOLVEX_WEB_PICTURES, path.basename(file)));
    }
    // A canvas that WebGL draws has no 2-D context to give.
    const has2d = await page.evaluate(() => document.querySelector('#viewer canvas').getContext('2d') !== null);
    assert.equal(has2d, canvasKind === '2d');
    const db = psnr(webPng, nativePng);
    assert.ok(db > 40, `PSNR ${db} dB against the native snapshot`);

    // Later frames are copied into the canvas only where they changed: a level deeper and
    // back, through drafts and arriving tiles, the canvas shows the same picture again.
    const home = await page.evaluate(() => [ctrl.GetViewportX(), ctrl.GetViewportY(), ctrl.GetCurrentLevel()]);
    await page.evaluate(([x, y, level]) => ctrl.MoveTo(x + 100, y + 50, level + 1), home);
    const awayPng = path.join(folder, 'away.png');
    await completeFramePicture(page, awayPng);
    assert.ok(psnr(awayPng, nativePng) < 30, 'the view did not move');
    await page.evaluate(([x, y, level]) => ctrl.MoveTo(x, y, level), home);
    assert.deepEqual(await page.evaluate(() => [ctrl.GetViewportX(), ctrl.GetViewportY(), ctrl.GetCurrentLevel()]), home);
    const backPng = path.join(folder, 'back.png');
    await completeFramePicture(page, backPng);
    const backDb = psnr(backPng, nativePng);
    assert.ok(backDb > 40, `PSNR ${backDb} dB against the native snapshot after moving away and back`);
    // Those tiles came through the browser's own JPEG decoder.
    const decodes = await page.evaluate(() => Zolvex.__browserDecodes());
    assert.ok(decodes.decoded >= 2 && decodes.refused === 0, JSON.stringify(decodes));
    assert.deepEqual(problems, []);
  });
}

test('tiles the browser decodes show what the native viewer shows', async (t) => {
  const fixture = makeFixture(t);
  const server = await startServer(t, fixture);
  const { page, problems } = await openPage(t, server);
  // Deep in the picture, where every tile shown comes through the browser's decoder once
  // it is up (tiles that come before are decoded by the module).
  await page.waitForFunction(() => Zolvex.__browserDecodes().ready, { timeout: 10000, polling: 20 });
  const url = imageUrl(server) + ',1100,900,4,center';
  await openImage(page, url, 'webgl');
  const folder = tempDir(t, 'zolvex-pictures-');
  const webPng = path.join(folder, 'web.png');
  await completeFramePicture(page, webPng);
  const nativePng = nativeSnapshot(url, folder);
  const db = psnr(webPng, nativePng);
  console.log('PSNR', db);
  assert.ok(db > 40, `PSNR ${db} dB against the native snapshot`);
  const decodes = await page.evaluate(() => Zolvex.__browserDecodes());
  assert.ok(decodes.decoded >= 2 && decodes.refused === 0, JSON.stringify(decodes));
  assert.deepEqual(problems, []);
});

// Damages the Huffman tables of every second JPEG stream among the last count in a file
// (the deepest level's tiles), from the second on (opening the image reads the first tile of
// each level): neither our decoder nor the browser's can read those.
function damageLastJpegStreams(file, count) {
  const bytes = fs.readFileSync(file);
  const soi = Buffer.from([0xff, 0xd8, 0xff]);
  const starts = [];
  for (let at = bytes.indexOf(soi); at >= 0; at = bytes.indexOf(soi, at + 3)) starts.push(at);
  for (let i = starts.length - count + 1; i < starts.length; i += 2) {
    const table = bytes.indexOf(Buffer.from([0xff, 0xc4]), starts[i]);
    bytes.fill(0xee, table + 5, table + 21);  // the counts of codes by length: far too many
  }
  fs.writeFileSync(file, bytes);
}

test('damaged JPEG tiles fall back to the module\'s decoder and end as they do natively', async (t) => {
  const fixture = makeFixture(t);
  damageLastJpegStreams(path.join(fixture.images, 's.ktq'), 64);  // the 8 x 8 tiles of 2048 x 2048
  const server = await startServer(t, fixture);
  const { page, problems } = await openPage(t, server);
  await openImage(page, imageUrl(server), 'webgl');
  const folder = tempDir(t, 'zolvex-pictures-');
  await completeFramePicture(page, path.join(folder, 'home.png'));
  // The deepest level, where every other tile is damaged: the browser refuses those, our
  // decoder then fails on them as natively (their tiles keep their drafts and are asked for
  // again later), and the sound ones come from the browser.
  const before = await page.evaluate(() => Zolvex.__browserDecodes());
  assert.equal(before.refused, 0);
  await page.evaluate(() => ctrl.MoveTo(700, 500, ctrl.GetLevelCount()));
  await page.waitForFunction((decoded) => {
    const now = Zolvex.__browserDecodes();
    return now.refused >= 2 && now.decoded >= decoded + 2;
  }, { timeout: 20000, polling: 100 }, before.decoded);
  assert.ok(await page.evaluate(() => ctrl.__native.pendingTiles() > 0), 'the damaged tiles are asked for again');
  assert.deepEqual(problems, []);
});

// The same probe runs in both hosts; its answers and the order of its events must agree.
const probe = fs.readFileSync(path.join(path.dirname(new URL(import.meta.url).pathname), 'probe_page.js'), 'utf8');

test('methods answer as the native control does and events arrive in the same order', async (t) => {
  const fixture = makeFixture(t);
  const server = await startServer(t, fixture);
  const script = probe.replace('@URL@', imageUrl(server));
  const native = runNativeScript(t, fixture, script);
  assert.equal(native.code, 0, native.lines.join('\n'));
  const web = await runInBrowser(t, server, script);
  assert.equal(web.code, 0, web.lines.join('\n'));
  const nativeReport = JSON.parse(native.lines.find((line) => line.startsWith('{')));
  const webReport = JSON.parse(web.lines.find((line) => line.startsWith('{')));
  assert.deepEqual(webReport, nativeReport);
  assert.equal(webReport.events[0], 'OnLoading');
  assert.ok(webReport.events.indexOf('OnLoaded') > 0, webReport.events.join(', '));
  assert.equal(webReport.events.at(-1), 'OnBrowserEvent levelchanged');
  assert.deepEqual(webReport.answers.refusal, [41, 'ShowThumbnail property only accept yes/no value', true]);

  // Real input: the page's mouse events come in the order the user gave them.
  await web.page.evaluate(() => {
    window.mouseEvents = [];
    for (const name of ['OnLButtonDown', 'OnLButtonUp', 'OnRButtonDown', 'OnRButtonUp']) {
      zolvex[name] = (x, y) => window.mouseEvents.push(name + ' ' + x + ',' + y);
    }
  });
  const box = await (await web.page.$('#viewer canvas')).boundingBox();
  await web.page.mouse.click(box.x + 120, box.y + 80);
  await web.page.mouse.click(box.x + 30, box.y + 40, { button: 'right' });
  const order = await web.page.evaluate(() => window.mouseEvents);
  assert.deepEqual(order, ['OnLButtonDown 120,80', 'OnLButtonUp 120,80', 'OnRButtonDown 30,40', 'OnRButtonUp 30,40']);
  assert.deepEqual(web.problems, []);
});

test('the native page-script test\'s script passes unchanged in the browser', async (t) => {
  const fixture = makeFixture(t);
  const server = await startServer(t, fixture);
  const script = fs.readFileSync(path.join(root, 'tests/apps/data/tile_server_page.js'), 'utf8')
    .replace('@URL@', imageUrl(server));
  const web = await runInBrowser(t, server, script);
  const log = web.lines.join('\n');
  assert.equal(web.code, 0, log);
  assert.match(log, /loaded 4 256x256 512x512 1024x1024 2048x2048 outside -1 -1/);
  assert.match(log, /at 300,200 level/);
  assert.match(log, /levelchanged to/);
  assert.match(log, /added \[/);
});
