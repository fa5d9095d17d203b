// The web player in headless Chromium (Debian's, driven by playwright-core). Usage:
//   node browser-test.mjs WORK_DIR
// WORK_DIR/cases.json lists the cases; WORK_DIR/site holds the packed pages (tools/web-pack)
// and WORK_DIR/native the native player's frames of the same shows at the same times.
// Checks: each frame at ?at=T against the native frame (pixel probes away from edges within
// 2 per channel), that the audio graph receives the music's samples (?silent reads them
// back; a module that starts later gives the native music.wav's very samples), that a
// failing show puts the player's own message on the page, that Esc ends the show, and that
// ?autostart starts the show without the click: its music at once in a browser that allows
// sound without a gesture, else at the first click on the page. Prints one line per check
// and 'N passed, N failed'; exits 1 on any failure.
import { chromium } from 'playwright-core';
import { readFileSync, writeFileSync, existsSync } from 'node:fs';
import { createServer } from 'node:http';
import { join, extname, normalize } from 'node:path';
import { readPng } from './png.mjs';
import { compareFrames } from './compare.mjs';

const work = process.argv[2];
const cases = JSON.parse(readFileSync(join(work, 'cases.json'), 'utf8'));
const site = join(work, 'site');

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.data': 'application/octet-stream' };
const server = createServer((req, res) => {
  const path = normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname));
  let file = join(site, path);
  if (file.endsWith('/')) file += 'index.html';
  if (!file.startsWith(site) || !existsSync(file)) { res.writeHead(404); res.end(); return; }
  res.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream' });
  res.end(readFileSync(file));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const browserArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--use-gl=angle', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'];
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: browserArgs });

let passed = 0, failed = 0;
function report(name, ok, detail) {
  if (ok) ++passed; else ++failed;
  console.log(`${ok ? 'PASS' : 'FAIL'} ${name}${detail ? ': ' + detail : ''}`);
}

// Opens a page, waits for the player to be ready, clicks Play (unless `click` is false).
// Returns the page and its log.
async function open(url, click = true, inBrowser = browser) {
  const page = await inBrowser.newPage({ viewport: { width: 1024, height: 768 }, deviceScaleFactor: 1 });
  const log = [];
  page.on('console', (m) => log.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => log.push(`pageerror: ${e.message}`));
  await page.goto(base + url);
  // A page that starts by itself (?autostart) may be playing already.
  await page.waitForFunction(() => ['ready', 'error', 'playing'].includes(document.body.dataset.state), null,
                             { timeout: 60000 });
  const readyAt = await page.evaluate(() => performance.now());
  if (click && await page.evaluate(() => document.body.dataset.state) === 'ready') await page.click('#start');
  return { page, log, readyAt };
}

async function firstFrame(page) {
  await page.waitForFunction(() => window.zampFirstFrameAt !== undefined || document.body.dataset.state === 'error',
                             null, { timeout: 60000 });
  return page.evaluate(() => window.zampFirstFrameAt);
}

// The left channel of the frames with sound (either channel not 0) of a 16-bit stereo WAV
// as the native player writes it (a 44-byte header), as the page's tap keeps them.
function soundSamples(wav) {
  const out = [];
  for (let at = 44; at + 4 <= wav.length; at += 4) {
    const left = wav.readInt16LE(at), right = wav.readInt16LE(at + 2);
    if (left !== 0 || right !== 0) out.push(left / 32768);
  }
  return out;
}

async function check(name, body) {
  try {
    await body();
  } catch (e) {
    report(name, false, e.message.split('\n')[0]);
  }
}

for (const c of cases.frames) {
  await check(`picture ${c.name} at ${c.at} s`, async () => {
    const { page, log } = await open(`/${c.show}/?silent&at=${c.at}&size=1024x768`);
    if (await firstFrame(page) === undefined) throw new Error('no frame: ' + log.join(' | '));
    // A few more frames: every one is drawn at the frozen time.
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    const shot = await page.locator('#canvas').screenshot();
    writeFileSync(join(work, `web-${c.name}.png`), shot);
    const result = compareFrames(readPng(readFileSync(join(work, 'native', c.name, 'frame_000000.png'))), readPng(shot));
    const detail = `${result.probes} probes, ${result.colours} colours, worst ${result.worst}` +
                   (result.ok ? '' : ` (${result.reason}; worst at ${JSON.stringify(result.worstAt)})`);
    report(`picture ${c.name} at ${c.at} s`, result.ok, detail);
    await page.close();
  });
}

for (const m of cases.music) {
  await check(`music ${m.name}`, async () => {
    const { page } = await open(`/${m.show}/?silent`);
    await firstFrame(page);
    await page.waitForFunction((frames) => window.zampAudioStats && window.zampAudioStats.nonZeroFrames >= frames,
                               m.minFrames, { timeout: 20000 }).catch(() => {});
    const s = await page.evaluate(() => window.zampAudioStats);
    let ok = s && s.nonZeroFrames >= m.minFrames && s.peak >= m.minPeak && s.peak <= m.maxPeak;
    let detail = s ? `${s.nonZeroFrames} of ${s.frames} frames with sound, peak ${s.peak.toFixed(3)}` +
                     ` (wanted at least ${m.minFrames}, peak ${m.minPeak}..${m.maxPeak})` : 'no audio graph';
    if (s && m.toneHz) {
      // The samples themselves: a tone's pitch from the sign changes of the first samples.
      let changes = 0;
      for (let i = 1; i < s.samples.length; ++i) if ((s.samples[i] < 0) !== (s.samples[i - 1] < 0)) ++changes;
      const hz = changes / 2 / (s.samples.length / 44100);
      ok = ok && s.samples.length > 1000 && Math.abs(hz - m.toneHz) < m.toneHz * 0.05;
      detail += `, tone ${hz.toFixed(0)} Hz (wanted ${m.toneHz})`;
    }
    if (s && m.nativeWav) {
      // The first samples with sound, against the native render's music.wav of the same show:
      // the same module from the same place gives the same samples (16-bit, as floats).
      const expected = soundSamples(readFileSync(join(work, 'native', m.nativeWav)));
      let differ = 0;
      for (let i = 0; i < s.samples.length; ++i) if (Math.abs(s.samples[i] - expected[i]) > 1e-6) ++differ;
      ok = ok && s.samples.length >= 4000 && differ === 0;
      detail += `, ${differ} of the first ${s.samples.length} samples differ from the native music.wav`;
    }
    report(`music ${m.name}`, ok, detail);
    await page.close();
  });
}

for (const e of cases.errors) {
  await check(`error ${e.name}`, async () => {
    const { page, log } = await open(`/${e.show}/?silent`);
    // After the click the page stays 'ready' while the audio graph opens: wait for an end.
    await page.waitForFunction(() => ['error', 'ended'].includes(document.body.dataset.state), null,
                               { timeout: 20000 }).catch(() => {});
    const state = await page.evaluate(() => document.body.dataset.state);
    const text = await page.locator('#message').innerText();
    const inConsole = log.some((line) => line.includes(e.message));
    report(`error ${e.name}`, state === 'error' && text.includes(e.message) && inConsole,
           `state ${state}, page says ${JSON.stringify(text)}, console ${inConsole ? 'has' : 'lacks'} it`);
    await page.close();
  });
}

if (cases.start) {
  await check('start and Esc', async () => {
    const t0 = Date.now();
    const { page, readyAt } = await open(`/${cases.start.show}/?silent`);
    const clickedAt = await page.evaluate(() => performance.now());
    const frameAt = await firstFrame(page);
    const nav = await page.evaluate(() => performance.timing.navigationStart);
    const loadMs = readyAt, clickToFrame = frameAt - clickedAt;
    console.log(`TIME ${cases.start.show}: page load to ready ${loadMs.toFixed(0)} ms, click to first frame ` +
                `${clickToFrame.toFixed(0)} ms, load to first frame without the wait for the click ` +
                `${(loadMs + clickToFrame).toFixed(0)} ms (wall ${Date.now() - t0} ms, navigation ${nav > 0})`);
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => document.body.dataset.state === 'ended', null, { timeout: 10000 });
    report('Esc ends the show', true, 'the page says the show has ended');
    await page.close();
  });
}

// Frames with sound that the audio graph received, once there are `frames` of them (else
// what there is after 20 s).
async function soundFrames(page, frames) {
  await page.waitForFunction((n) => window.zampAudioStats && window.zampAudioStats.nonZeroFrames >= n, frames,
                             { timeout: 20000 }).catch(() => {});
  return page.evaluate(() => (window.zampAudioStats ? window.zampAudioStats.nonZeroFrames : 0));
}

if (cases.start) {
  await check('?autostart without the click', async () => {
    // This browser's autoplay policy wants a gesture for sound: the show starts anyway, and
    // its music with the first click on the page.
    const { page, log } = await open(`/${cases.start.show}/?silent&autostart`, false);
    if (await firstFrame(page) === undefined) throw new Error('no frame: ' + log.join(' | '));
    const state = await page.evaluate(() => document.body.dataset.state);
    await page.mouse.click(512, 384);
    const frames = await soundFrames(page, 22050);
    report('?autostart starts the show, its music at the first click', state === 'playing' && frames >= 22050,
           `state ${state}, ${frames} frames with sound after the click`);
    await page.close();
  });
  await check('?autostart where sound needs no gesture', async () => {
    const allowing = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                             args: [...browserArgs, '--autoplay-policy=no-user-gesture-required'] });
    try {
      const { page, log } = await open(`/${cases.start.show}/?silent&autostart`, false, allowing);
      if (await firstFrame(page) === undefined) throw new Error('no frame: ' + log.join(' | '));
      const frames = await soundFrames(page, 22050);
      report('?autostart plays the music at once where the browser allows it', frames >= 22050,
             `${frames} frames with sound, no click`);
    } finally {
      await allowing.close();
    }
  });
}

await browser.close();
server.close();
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
