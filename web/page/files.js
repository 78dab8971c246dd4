// What a file the user gives the page is, by its name and first bytes.

const text = (bytes, at, n) => String.fromCharCode(...bytes.subarray(at, at + n));

// 'bios7020' or '7041b' (the firmware files, by name as the desktop
// programs look for them), 'tape' (a WAV recording, or a file named .wav),
// 'state' (a saved state), or 'cartridge' (anything else: the loader
// decides whether it is one).
export function fileKind(name, bytes) {
  const base = name.toLowerCase();
  if (base === 'bios7020.bin')
    return 'bios7020';
  if (base === '7041b.bin')
    return '7041b';
  if (bytes.length >= 8 && text(bytes, 0, 8) === 'ORVSTATE')
    return 'state';
  if ((bytes.length >= 12 && text(bytes, 0, 4) === 'RIFF' && text(bytes, 8, 4) === 'WAVE') || base.endsWith('.wav'))
    return 'tape';
  return 'cartridge';
}

// The last part of a URL's path, for messages and the file's name.
export function urlFileName(url) {
  const path = new URL(url).pathname;
  const name = decodeURIComponent(path.slice(path.lastIndexOf('/') + 1));
  return name || 'cartridge';
}

// Minutes and seconds.
export function clock(seconds) {
  const s = Math.max(0, Math.floor(seconds));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}
