// The page in a real browser: Debian's Chromium, headless, driven by
// puppeteer-core, on the build in build-web/ (scripts/web --test builds it
// and runs this).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openBrowser } from './browser.mjs';

const top = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const site = process.env.ORVANE_WEB_SITE || join(top, 'build-web');
const TIMEOUT = 90000;

let session;
let page;
const problems = [];  // console errors and uncaught exceptions, from every page

before(async () => {
  session = await openBrowser(site);
});

after(async () => {
  if (session)
    await session.close();
});

async function openPage(query = '') {
  if (page)
    await page.close();
  page = await session.browser.newPage();
  page.on('console', (m) => {
    if (m.type() === 'error')
      problems.push(`console: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`exception: ${e.message}`));
  await page.goto(session.base + query);
  await page.waitForFunction(() => window.orvane && window.orvane.machine.frames > 0, { timeout: 30000 });
}

const frames = () => page.evaluate(() => window.orvane.machine.frames);

async function waitFrames(n) {
  await page.waitForFunction((n) => window.orvane.machine.frames >= n, { timeout: 60000, polling: 50 }, n);
}

// Pauses the machine in the page as soon as it has run `n` frames (a loaded
// computer may take seconds to answer a click).
async function pauseAt(n) {
  await page.waitForFunction((n) => {
    const app = window.orvane;
    if (app.machine.frames < n)
      return false;
    app.setPaused(true);
    return true;
  }, { timeout: 60000, polling: 'raf' }, n);
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The canvas as colour numbers (bit 0 red, bit 1 green, bit 2 blue), one
// character a dot, a line of 320 after another.
function picture() {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 4)
      s += (d[i] >> 7) | ((d[i + 1] >> 7) << 1) | ((d[i + 2] >> 7) << 2);
    return s;
  });
}

const dot = (pic, x, y) => Number(pic[y * 320 + x]);

function count(pic, colour, x0 = 0, y0 = 0, x1 = 320, y1 = 250) {
  let n = 0;
  for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++)
      if (dot(pic, x, y) === colour)
        n++;
  return n;
}

const click = (id) => page.click(`#${id}`);

// Drops files on the page as a user's drag and drop does.
async function drop(files) {
  await page.evaluate((files) => {
    const dt = new DataTransfer();
    for (const f of files)
      dt.items.add(new File([Uint8Array.from(atob(f.data), (c) => c.charCodeAt(0))], f.name));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
  }, files.map((f) => ({ name: f.name, data: Buffer.from(f.bytes).toString('base64') })));
}

async function pressKey(key) {
  await page.focus('#screen');
  await page.keyboard.press(key);
}

test('the built-in firmware shows its title screen', { timeout: TIMEOUT }, async () => {
  await openPage();
  await pauseAt(100);  // the tour starts at 150
  const p = await picture();
  // The colour bars under the title and at the foot: eight blocks of 40 dots.
  for (const y of [52, 246]) {
    const blocks = [];
    for (let x = 20; x < 320; x += 40)
      blocks.push(dot(p, x, y));
    assert.deepEqual(blocks, [1, 3, 2, 6, 4, 5, 7, 3], `the colour bar in row ${y}`);
  }
  assert.ok(count(p, 4, 0, 0, 320, 20) > 320 * 15, 'the blue band of the title');
  assert.ok(count(p, 6, 0, 65, 320, 110) > 200, 'cyan text under the title');
  assert.match(await page.$eval('#status', (e) => e.textContent), /built-in open firmware/);
});

test('pause stops the frame counter and Run starts it again', { timeout: TIMEOUT }, async () => {
  // Paused by the test before.
  assert.match(await page.$eval('#status', (e) => e.textContent), /^Paused/);
  const f1 = await frames();
  await sleep(400);
  assert.equal(await frames(), f1);
  await click('pause');
  await waitFrames(f1 + 10);
});

test('typed keys reach the firmware, which echoes them', { timeout: TIMEOUT }, async () => {
  await click('eject');  // power cycle without the demo cartridge
  await waitFrames(120);
  const before = await picture();
  // Where the echo goes: the line in the blue window, after the cursor.
  assert.equal(count(before, 7, 16, 168, 60, 182), 0, 'nothing typed yet');
  await page.focus('#screen');
  await page.keyboard.type('hello', { delay: 100 });
  await waitFrames((await frames()) + 10);
  const typed = await picture();
  assert.ok(count(typed, 7, 16, 168, 60, 182) > 30, 'the letters appear after the first');
});

test('a saved state gives back the same picture', { timeout: TIMEOUT }, async () => {
  await click('pause');
  const saved = await picture();
  await click('save');
  await page.waitForFunction(() => /Saved to slot 1/.test(document.getElementById('status').textContent));
  // On until the picture has changed (the flashing cursor and READY).
  await click('pause');
  await page.waitForFunction((saved) => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 4)
      s += (d[i] >> 7) | ((d[i + 1] >> 7) << 1) | ((d[i + 2] >> 7) << 2);
    return s !== saved;
  }, { timeout: 30000, polling: 50 }, saved);
  await click('pause');
  await click('load');
  await page.waitForFunction(() => /Loaded slot 1/.test(document.getElementById('status').textContent));
  assert.ok((await picture()) === saved, 'the picture saved is back');
  await click('pause');
});

test('a dropped cartridge of ours starts', { timeout: TIMEOUT }, async () => {
  const rom = readFileSync(join(site, 'cmake', 'test', 'cartridge.rom'));
  await drop([{ name: 'webtest.rom', bytes: rom }]);
  await page.waitForFunction(() => /Cartridge webtest.rom loaded/.test(document.getElementById('status').textContent));
  await waitFrames(110);
  await pressKey('Space');  // starts it without the three seconds' wait
  await page.waitForFunction(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 125, 1, 1).data;
    return d[0] === 0 && d[1] === 255 && d[2] === 0;
  }, { timeout: 30000, polling: 100 });
  const p = await picture();
  assert.ok(count(p, 2) > 320 * 250 * 0.8, 'the page is green');
});

test('bad files get the desktop programs\' messages', { timeout: TIMEOUT }, async () => {
  await drop([{ name: 'junk.rom', bytes: new Uint8Array(100) }, { name: 'tape.wav', bytes: new Uint8Array(50) }]);
  await page.waitForFunction(() => !document.getElementById('message').hidden);
  const text = await page.$eval('#message pre', (e) => e.textContent);
  assert.match(text, /^junk\.rom is not a valid ROM\nSorry, unknown rom size/);
  assert.match(text, /tape\.wav is not a valid WAV/);
  await click('message-close');
});

test('a WAV tape plays on the cassette input', { timeout: TIMEOUT }, async () => {
  // Two seconds of a 1200 Hz square wave, 8-bit, 8000 Hz.
  const n = 16000;
  const wav = Buffer.alloc(44 + n);
  wav.write('RIFF', 0);
  wav.writeUInt32LE(36 + n, 4);
  wav.write('WAVEfmt ', 8);
  wav.writeUInt32LE(16, 16);
  wav.writeUInt16LE(1, 20);
  wav.writeUInt16LE(1, 22);
  wav.writeUInt32LE(8000, 24);
  wav.writeUInt32LE(8000, 28);
  wav.writeUInt16LE(1, 32);
  wav.writeUInt16LE(8, 34);
  wav.write('data', 36);
  wav.writeUInt32LE(n, 40);
  for (let i = 0; i < n; i++)
    wav[44 + i] = Math.floor(i / 3.333) % 2 ? 200 : 56;
  await drop([{ name: 'square.wav', bytes: wav }]);
  await page.waitForFunction(() => /tape 0:01 \/ 0:02/.test(document.getElementById('status').textContent),
    { timeout: 30000 });
});

// A WAV file: `format` the format chunk's fields, `data` the sample bytes,
// `claimed` the data chunk's length as written (a recorder that was not
// stopped leaves a larger one).
function wavFile({ tag = 1, channels = 1, rate = 8000, bits = 8, sub = 0 }, data, claimed = data ? data.length : 0) {
  const fmt = Buffer.alloc(sub ? 40 : 16);
  fmt.writeUInt16LE(tag, 0);
  fmt.writeUInt16LE(channels, 2);
  fmt.writeUInt32LE(rate, 4);
  fmt.writeUInt32LE(rate * channels * Math.ceil(bits / 8), 8);
  fmt.writeUInt16LE(channels * Math.ceil(bits / 8), 12);
  fmt.writeUInt16LE(bits, 14);
  if (sub) {
    fmt.writeUInt16LE(22, 16);
    fmt.writeUInt16LE(sub, 24);  // the sub-format's tag opens its GUID
  }
  const head = Buffer.alloc(12);
  head.write('RIFF', 0);
  head.writeUInt32LE(4 + 8 + fmt.length + 8 + claimed, 4);
  head.write('WAVE', 8);
  const chunk = (id, body, length = body.length) => {
    const h = Buffer.alloc(8);
    h.write(id, 0);
    h.writeUInt32LE(length, 4);
    return Buffer.concat([h, body]);
  };
  const list = chunk('LIST', Buffer.from('INFOjunk'));  // a chunk to step over
  return Buffer.concat([head, chunk('fmt ', fmt), list, data ? chunk('data', data, claimed) : Buffer.alloc(0)]);
}

test('WAV files load as the desktop programs load them', { timeout: TIMEOUT }, async () => {
  const load = (name, bytes) => page.evaluate((name, b64) => {
    const m = window.orvane.machine;
    const [ok, message] = m.loadTape(name, Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)));
    const tape = m.tape();
    return { ok, message, length: tape ? tape[1] : -1 };
  }, name, bytes.toString('base64'));
  const cases = [
    // 16-bit stereo, one second at 22050 Hz.
    [wavFile({ channels: 2, rate: 22050, bits: 16 }, Buffer.alloc(22050 * 4)), true, '', 1],
    // The extensible form with a PCM sub-format.
    [wavFile({ tag: 0xFFFE, bits: 16, sub: 1 }, Buffer.alloc(16000)), true, '', 1],
    // A data chunk claiming more than the file holds: what it holds plays.
    [wavFile({}, Buffer.alloc(4000), 1000000), true, '', 0.5],
    [wavFile({ bits: 24 }, Buffer.alloc(24000)), true,
      't.wav: 24-bit samples play without reaching the cassette input; use 8 or 16 bits', 1],
    [wavFile({ tag: 3, bits: 32 }, Buffer.alloc(32000)), true,
      't.wav: floating-point samples play without reaching the cassette input; use 8 or 16 bits', 1],
    [wavFile({}, null), false, 't.wav is not a valid WAV', -1],          // no data chunk
    [wavFile({ tag: 2, bits: 4 }, Buffer.alloc(100)), false, 't.wav is not a valid WAV', -1],  // compressed
    [Buffer.from('RIFF\x04\0\0\0WAVE'), false, 't.wav is not a valid WAV', -1],
  ];
  for (const [bytes, ok, message, length] of cases) {
    const got = await load('t.wav', bytes);
    assert.equal(got.ok, ok, message);
    assert.equal(got.message, message);
    if (length >= 0)
      assert.ok(Math.abs(got.length - length) < 1e-9, `length ${got.length}, not ${length}`);
    else
      assert.equal(got.length, -1, 'a file that does not load takes the tape out');
  }
});

test('the debugger panel shows the views and steps', { timeout: TIMEOUT }, async () => {
  await click('debug');
  await page.waitForFunction(() => /^PC=/.test(document.getElementById('dbg-regs').textContent));
  await click('dbg-step');
  const f = await frames();
  const view = (id) => page.$eval(`#${id}`, (e) => e.textContent);
  const pc = (await view('dbg-regs')).match(/^PC=([0-9a-f]{4})/)[1];
  assert.equal((await view('dbg-disass')).slice(0, 4), pc.toUpperCase(), 'the disassembly starts at the PC');
  assert.match(await view('dbg-video'), /^VDP/);
  await click('dbg-step');
  assert.notEqual((await view('dbg-regs')).slice(0, 7), `PC=${pc}`, 'a step moves the PC');
  assert.equal(await frames(), f, 'stepping leaves the frame count');
  await page.$eval('#dbg-address', (e) => { e.value = 'C000'; });
  await click('dbg-who');
  assert.match(await view('dbg-said'), /^Address 0xc000 was written at PC=0x[0-9a-f]{4}$/);
  await click('debug');
  await click('pause');
});

test('a cartridge named in the page\'s address starts', { timeout: TIMEOUT }, async () => {
  await openPage('?rom=cmake/test/cartridge.rom');
  await waitFrames(110);
  await pressKey('Space');
  await page.waitForFunction(() => {
    const d = document.getElementById('screen').getContext('2d').getImageData(0, 125, 1, 1).data;
    return d[0] === 0 && d[1] === 255 && d[2] === 0;
  }, { timeout: 30000, polling: 100 });
});

test('firmware given by the user is kept for the next visit until forgotten', { timeout: TIMEOUT }, async () => {
  // Our own firmware's images, as a user gives the real machine's.
  const image = (name) => ({ name, bytes: readFileSync(join(site, 'cmake', 'firmware', name)) });
  const status = () => page.$eval('#status', (e) => e.textContent);
  await drop([image('bios7020.bin')]);
  await page.waitForFunction(() => /add 7041b\.bin/.test(document.getElementById('status').textContent));
  await drop([image('7041b.bin')]);
  await page.waitForFunction(() => /Running your firmware/.test(document.getElementById('status').textContent));
  await openPage();
  assert.match(await status(), /your firmware/);
  await click('forget');
  await page.waitForFunction(() => /built-in open firmware/.test(document.getElementById('status').textContent));
  await openPage();
  assert.match(await status(), /built-in open firmware/);
});

test('the demo\'s speech page is heard through the worklet', { timeout: TIMEOUT }, async () => {
  await openPage();
  // The tour's pages, told by their top left: the picture's sky, the
  // speech page's yellow heading on black.
  const onPicture = (p) => dot(p, 10, 40) === 4 && dot(p, 10, 120) !== 0;
  const onSpeech = (p) => dot(p, 10, 40) === 0 && count(p, 3, 0, 0, 160, 20) > 100;
  async function pressUntil(seen) {
    for (let tries = 0; tries < 4; tries++) {
      await pressKey('Space');
      const until = Date.now() + 4000;
      while (Date.now() < until) {
        if (seen(await picture()))
          return;
        await sleep(100);
      }
    }
    assert.fail('the page did not come');
  }
  await waitFrames(100);
  await pressUntil(onPicture);  // the title: start the tour
  await pressUntil(onSpeech);   // the picture: on to the speech page
  await page.evaluate(() => { window.orvane.speech.history.length = 0; });
  await sleep(5000);
  const reports = await page.evaluate(() => window.orvane.speech.history);
  assert.ok(reports.length >= 16, `the worklet reports (${reports.length})`);
  const loud = reports.filter((r) => r.rms > 0.05).length;
  assert.ok(loud >= 4, `quarter seconds with sound: ${loud} (${reports.map((r) => r.rms.toFixed(3)).join(' ')})`);
  assert.equal(reports.at(-1).underruns, reports[0].underruns, 'no gap while it speaks');
});

test('the machine in the page runs exactly as the native headless runner', { timeout: TIMEOUT }, async (t) => {
  const runner = process.env.ORVANE_HEADLESS || join(top, 'build', 'tools', 'headless', 'orvane-headless');
  if (!existsSync(runner)) {
    t.skip(`no native headless runner at ${runner} (scripts/test builds it)`);
    return;
  }
  // 1500 frames of the demo tour from power on: title, picture, speech and
  // mixed pages. The whole machine's state must come out byte for byte.
  const dir = mkdtempSync(join(tmpdir(), 'orvane-web-'));
  try {
    execFileSync(runner, ['--frames', '1500', '--save-state', 'native.st'], { cwd: dir, stdio: 'ignore' });
    const native = readFileSync(join(dir, 'native.st'));
    await openPage();
    const web = Buffer.from(await page.evaluate(() => {
      const app = window.orvane;
      app.setPaused(true);
      app.machine.powerCycle();
      app.machine.runFrames(1500, true);
      const state = app.machine.saveState();
      let text = '';
      for (let i = 0; i < state.length; i += 8192)
        text += String.fromCharCode(...state.subarray(i, i + 8192));
      return btoa(text);
    }), 'base64');
    assert.equal(web.length, native.length);
    assert.ok(web.equals(native), 'the states are the same');
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});

test('no console error and no uncaught exception', () => {
  assert.deepEqual(problems, []);
});
