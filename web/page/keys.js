// Browser key events as the wx key codes the desktop program receives, so
// that the machine's key translation (the one wxOrvane uses, compiled into
// the module) sees the same codes.
//
// wx reports a printable key by the character it types without Shift
// (letters in capitals), and the keypad and the other keys by codes of
// their own. The machine's Shift is one-shot and is a key of its own, so
// holding the host's Shift must not change the key: a shifted character is
// taken back to its key's plain one.

// Keys that are not characters, by KeyboardEvent.key.
const NAMED = {
  Tab: 9, Enter: 13, Escape: 27, ' ': 32, Backspace: 8, Delete: 127,
  Shift: 306, Alt: 307, Control: 308, Pause: 310, CapsLock: 311, End: 312, Home: 313,
  ArrowLeft: 314, ArrowUp: 315, ArrowRight: 316, ArrowDown: 317, Insert: 322,
  PageUp: 366, PageDown: 367,
};

// The keypad, by KeyboardEvent.code (with Num Lock on).
const KEYPAD = {
  NumpadEnter: 370, NumpadEqual: 386, NumpadMultiply: 387, NumpadAdd: 388,
  NumpadComma: 389, NumpadSubtract: 390, NumpadDecimal: 391, NumpadDivide: 392,
};

// The plain character of a key whose shifted one was typed, by
// KeyboardEvent.code, as on a US keyboard.
const PLAIN = {
  Digit1: '1', Digit2: '2', Digit3: '3', Digit4: '4', Digit5: '5',
  Digit6: '6', Digit7: '7', Digit8: '8', Digit9: '9', Digit0: '0',
  Minus: '-', Equal: '=', BracketLeft: '[', BracketRight: ']', Backslash: '\\',
  Semicolon: ';', Quote: "'", Comma: ',', Period: '.', Slash: '/', Backquote: '`',
};

// The wx key code of a KeyboardEvent (or an object with its key, code and
// shiftKey), or -1 for a key wx would not report.
export function wxKeyCode(event) {
  const { key, code = '', shiftKey = false } = event;
  if (/^Numpad[0-9]$/.test(code) && /^[0-9]$/.test(key))
    return 324 + Number(code.slice(6));
  if (code in KEYPAD && key.length === 1)
    return KEYPAD[code];
  if (key in NAMED)
    return NAMED[key];
  const f = /^F([1-9]|1[0-9]|2[0-4])$/.exec(key);
  if (f)
    return 339 + Number(f[1]);
  if ([...key].length !== 1)
    return -1;  // a dead key, a composed sequence, "Unidentified"
  let ch = key;
  if (shiftKey && code in PLAIN)
    ch = PLAIN[code];
  if (/^[a-z]$/i.test(ch))
    return ch.toUpperCase().charCodeAt(0);
  return ch.codePointAt(0);
}

// The keys the page keeps from the browser while the machine has the
// keyboard: every key the machine has, and those whose browser action would
// take the keyboard away (Tab) or leave the page (Backspace). Function keys
// other than F4 and the browser's shortcuts with Ctrl stay the browser's.
export function takesKey(event, code) {
  if (event.ctrlKey || event.metaKey)
    return event.key === 'Control';
  if (code === 8 || code === 9)
    return true;
  return code >= 0 && !(code >= 340 && code <= 363 && code !== 343);
}
