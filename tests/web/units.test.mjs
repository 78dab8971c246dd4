// The page's parts that need no browser: frame pacing, key codes, file kinds.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { FramePacer } from '../../web/page/loop.js';
import { wxKeyCode, takesKey } from '../../web/page/keys.js';
import { fileKind } from '../../web/page/files.js';

test('50 frames a second at any refresh rate, without drift', () => {
  for (const hz of [50, 59.94, 60, 75, 120, 144, 240]) {
    const pacer = new FramePacer();
    let frames = 0;
    let most = 0;
    const seconds = 600;
    for (let i = 0; i * (1000 / hz) <= seconds * 1000; i++) {
      const n = pacer.due(i * (1000 / hz) + 0.3 * Math.sin(i));  // a little jitter
      frames += n;
      most = Math.max(most, n);
    }
    assert.ok(Math.abs(frames - seconds * 50) <= 1, `${hz} Hz: ${frames} frames in ${seconds} s`);
    assert.ok(most <= Math.ceil(50 / hz) + 1, `${hz} Hz: at most ${most} frames in one callback`);
  }
});

test('a stall starts the count afresh instead of a burst', () => {
  const pacer = new FramePacer(6);
  assert.equal(pacer.due(1000), 1);
  assert.equal(pacer.due(1020), 1);
  assert.equal(pacer.due(1100), 4);       // behind by a few frames: caught up
  assert.equal(pacer.due(6000), 1);       // a hidden tab for seconds: one frame
  assert.equal(pacer.due(6020), 1);
  pacer.restart();
  assert.equal(pacer.due(9000), 1);
  assert.equal(pacer.due(9010), 0);
});

test('browser keys give the key codes wx gives', () => {
  const k = (key, code = '', shiftKey = false) => wxKeyCode({ key, code, shiftKey });
  assert.equal(k('a', 'KeyA'), 65);                  // letters in capitals
  assert.equal(k('A', 'KeyA', true), 65);
  assert.equal(k('1', 'Digit1'), 49);
  assert.equal(k('!', 'Digit1', true), 49);         // the machine's Shift is its own key
  assert.equal(k(':', 'Semicolon', true), 59);
  assert.equal(k('7', 'Numpad7'), 331);             // keypad digits
  assert.equal(k('-', 'NumpadSubtract'), 390);
  assert.equal(k('Shift', 'ShiftLeft', true), 306);
  assert.equal(k('F4', 'F4'), 343);
  assert.equal(k('Delete', 'Delete'), 127);
  assert.equal(k('Backspace', 'Backspace'), 8);
  assert.equal(k('ArrowUp', 'ArrowUp'), 315);
  assert.equal(k(' ', 'Space'), 32);
  assert.equal(k('ß', 'Minus'), 223);               // a key of another layout, as typed
  assert.equal(k('Dead', 'BracketLeft'), -1);
  assert.equal(k('Unidentified'), -1);
});

test('the page keeps the machine\'s keys and leaves the browser its own', () => {
  const ev = (key, extra = {}) => ({ key, ctrlKey: false, metaKey: false, ...extra });
  assert.ok(takesKey(ev('Tab'), 9));
  assert.ok(takesKey(ev('Backspace'), 8));
  assert.ok(takesKey(ev('a'), 65));
  assert.ok(takesKey(ev('F4'), 343));
  assert.ok(!takesKey(ev('F5'), 344));
  assert.ok(!takesKey(ev('r', { ctrlKey: true }), 82));
  assert.ok(takesKey(ev('Control', { ctrlKey: true }), 308));
});

test('files are told apart by name and content', () => {
  const bytes = (s) => Uint8Array.from(s, (c) => c.charCodeAt(0));
  assert.equal(fileKind('BIOS7020.BIN', bytes('x')), 'bios7020');
  assert.equal(fileKind('7041b.bin', bytes('x')), '7041b');
  assert.equal(fileKind('save.st1', bytes('ORVSTATE\x01\0\0\0')), 'state');
  assert.equal(fileKind('tape', bytes('RIFF\0\0\0\0WAVEfmt ')), 'tape');
  assert.equal(fileKind('broken.WAV', bytes('nothing')), 'tape');
  assert.equal(fileKind('game.rom', new Uint8Array(8192)), 'cartridge');
});
