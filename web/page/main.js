// The page: the machine on a canvas, run by the animation frames at 50
// frames a second, with its toolbar, status line, files and debugger.
import { Machine, WIDTH, HEIGHT, FRAME_SECONDS } from './machine.js';
import { FramePacer, RateMeter } from './loop.js';
import { wxKeyCode, takesKey } from './keys.js';
import { Speech } from './audio.js';
import { clock } from './files.js';
import { Intake } from './intake.js';
import { Slots } from './slots.js';
import { DebuggerPanel } from './debugger.js';

const $ = (id) => document.getElementById(id);
// Warp runs frames for this long in each animation frame.
const WARP_BUDGET_MS = 14;

function download(name, blob) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 10000);
}

function stamp() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, '0');
  return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
}

class App {
  constructor(machine) {
    this.machine = machine;
    this.canvas = $('screen');
    this.ctx = this.canvas.getContext('2d');
    this.image = this.ctx.createImageData(WIDTH, HEIGHT);
    this.pacer = new FramePacer();
    this.meter = new RateMeter();
    this.speech = new Speech();
    this.paused = false;
    this.warp = false;
    this.note = '';
    this.noteUntil = 0;
    this.statusAt = 0;
    this.intake = new Intake(this);
    this.slots = new Slots(this);
    this.debugger = new DebuggerPanel(this);
  }

  // --- what the user reads ---------------------------------------------

  // A message to acknowledge (a file that did not load, a warning).
  show(text) {
    if (!text)
      return;
    $('message').querySelector('pre').textContent = text;
    $('message').hidden = false;
  }

  // A short note in the status line.
  say(text) {
    this.note = text;
    this.noteUntil = performance.now() + 4000;
    this.updateStatus(performance.now(), true);
  }

  updateStatus(now, force = false) {
    if (!force && now - this.statusAt < 250)
      return;
    this.statusAt = now;
    const parts = [];
    if (this.paused)
      parts.push('Paused');
    else
      parts.push(`${this.meter.rate.toFixed(1)} fps${this.warp ? ' (warp)' : ''}`);
    parts.push(`frame ${this.machine.frames}`);
    const tape = this.machine.tape();
    if (tape)
      parts.push(`tape ${clock(tape[0])} / ${clock(tape[1])}`);
    parts.push(this.machine.firmwareName());
    parts.push(this.speech.state);
    if (this.note && now < this.noteUntil)
      parts.push(this.note);
    const text = parts.join(' · ');
    if ($('status').textContent !== text)
      $('status').textContent = text;
  }

  // --- the picture ---------------------------------------------------

  // Draws the machine's picture when it changed (or always, `force`).
  showPicture(force = true) {
    const picture = this.machine.picture(force);
    if (!picture)
      return;
    this.image.data.set(picture);
    this.ctx.putImageData(this.image, 0, 0);
  }

  applyScale() {
    const choice = $('scale').value;
    const fit = choice === 'fit' || document.fullscreenElement;
    let scale;
    if (fit) {
      const room = document.fullscreenElement
        ? [window.innerWidth, window.innerHeight]
        : [document.documentElement.clientWidth - 40, window.innerHeight - this.canvas.getBoundingClientRect().top - 60];
      scale = Math.max(0.5, Math.min(room[0] / WIDTH, room[1] / HEIGHT));
    } else {
      scale = Number(choice);
    }
    this.canvas.style.width = `${Math.floor(WIDTH * scale)}px`;
    this.canvas.style.height = `${Math.floor(HEIGHT * scale)}px`;
  }

  // --- running -------------------------------------------------------

  setPaused(paused) {
    this.paused = paused;
    $('pause').textContent = paused ? 'Run' : 'Pause';
    this.speech.flush();
    this.pacer.restart();
    this.meter.reset();
    this.updateStatus(performance.now(), true);
  }

  setWarp(warp) {
    this.warp = warp;
    $('warp').setAttribute('aria-pressed', String(warp));
    this.pacer.restart();
    this.meter.reset();
    this.speech.flush();
  }

  tick(now) {
    if (!this.paused) {
      let frames = 0;
      if (this.warp) {
        this.machine.setSound(false);
        const until = performance.now() + WARP_BUDGET_MS;
        do {
          frames += this.machine.runFrames(10, false);
        } while (performance.now() < until);
        frames += this.machine.runFrames(1, true);
      } else {
        const due = this.pacer.due(now);
        if (due) {
          this.machine.setSound(this.speech.wanted);
          frames = this.machine.runFrames(due, true);
          this.speech.feed(this.machine.takeSound());
        }
      }
      if (frames)
        this.showPicture(false);
      this.meter.add(now, frames);
    }
    this.debugger.tick(now);
    this.updateStatus(now);
    requestAnimationFrame((t) => this.tick(t));
  }

  // --- speed ---------------------------------------------------------

  // The machine alone, as fast as it goes: frames without drawing or sound.
  bench(frames) {
    this.machine.runFrames(100, false);
    const t0 = performance.now();
    let done = 0;
    while (done < frames)
      done += this.machine.runFrames(Math.min(100, frames - done), false);
    const seconds = (performance.now() - t0) / 1000;
    const result = {
      frames: done, seconds, framesPerSecond: done / seconds,
      realTime: (done * FRAME_SECONDS) / seconds,
    };
    window.orvaneBench = result;
    this.showPicture();
    $('status').textContent = `Benchmark: ${done} frames in ${seconds.toFixed(2)} s, ` +
      `${result.framesPerSecond.toFixed(0)} frames a second, ${result.realTime.toFixed(1)}x real time`;
    return result;
  }

  // --- wiring --------------------------------------------------------

  wire() {
    const canvas = this.canvas;
    const button = (id, work) => $(id).addEventListener('click', async () => {
      await work();
      if (id !== 'debug' && id !== 'open')
        canvas.focus();
    });
    button('pause', () => this.setPaused(!this.paused));
    button('reset', () => { this.machine.reset(); this.say('Reset'); });
    button('power', () => { this.show(this.machine.powerCycle()); this.say('Power cycled'); });
    button('warp', () => this.setWarp(!this.warp));
    button('mute', () => {
      this.speech.setMuted(!this.speech.muted);
      $('mute').setAttribute('aria-pressed', String(this.speech.muted));
    });
    button('fullscreen', () => $('stage').requestFullscreen().catch((e) => this.show(`No full screen: ${e.message}`)));
    button('screenshot', () => new Promise((resolve) => {
      const big = document.createElement('canvas');
      big.width = WIDTH * 2;
      big.height = HEIGHT * 2;
      const g = big.getContext('2d');
      g.imageSmoothingEnabled = false;
      g.drawImage(canvas, 0, 0, big.width, big.height);
      big.toBlob((blob) => { download(`orvane-${stamp()}.png`, blob); resolve(); }, 'image/png');
    }));
    button('save', () => this.slots.save());
    button('load', () => this.slots.load());
    button('save-file', () => download(`orvane.st${$('slot').value}`,
      new Blob([this.machine.saveState()], { type: 'application/octet-stream' })));
    button('open', () => $('chooser').click());
    button('eject', () => { this.show(this.machine.ejectCartridge()); this.say('Cartridge out'); });
    button('forget', () => this.intake.forgetFirmware());
    button('debug', () => $('debug').setAttribute('aria-pressed', String(this.debugger.toggle())));
    $('chooser').addEventListener('change', async (e) => {
      await this.intake.handleFiles([...e.target.files]);
      e.target.value = '';
      canvas.focus();
    });
    $('message-close').addEventListener('click', () => { $('message').hidden = true; canvas.focus(); });
    $('scale').addEventListener('change', () => { this.applyScale(); canvas.focus(); });
    window.addEventListener('resize', () => this.applyScale());
    document.addEventListener('fullscreenchange', () => this.applyScale());

    // The machine's keys, only while its screen has the keyboard.
    canvas.addEventListener('keydown', (e) => {
      const code = wxKeyCode(e);
      if (code >= 0)
        this.machine.keyDown(code);
      if (takesKey(e, code))
        e.preventDefault();
    });
    canvas.addEventListener('keyup', (e) => {
      const code = wxKeyCode(e);
      if (code >= 0)
        this.machine.keyUp(code);
      if (takesKey(e, code))
        e.preventDefault();
    });
    canvas.addEventListener('blur', () => this.machine.keysLost());
    canvas.addEventListener('pointerdown', () => canvas.focus());

    // Sound may start only once the user has touched the page.
    const touched = () => this.speech.resume();
    document.addEventListener('pointerdown', touched);
    document.addEventListener('keydown', touched);

    // Files dropped anywhere on the page.
    let depth = 0;
    const hint = $('drop-hint');
    document.addEventListener('dragenter', (e) => { e.preventDefault(); depth++; hint.hidden = false; });
    document.addEventListener('dragleave', () => { if (--depth <= 0) { depth = 0; hint.hidden = true; } });
    document.addEventListener('dragover', (e) => e.preventDefault());
    document.addEventListener('drop', (e) => {
      e.preventDefault();
      depth = 0;
      hint.hidden = true;
      if (e.dataTransfer && e.dataTransfer.files.length)
        this.intake.handleFiles([...e.dataTransfer.files]);
    });
  }
}

async function main() {
  const machine = await Machine.create();
  const app = new App(machine);
  window.orvane = app;  // for the console and for scripts that drive the page
  await app.intake.restoreFirmware();
  app.show(machine.start());
  app.wire();
  app.applyScale();
  app.showPicture();
  const params = new URLSearchParams(location.search);
  if (params.has('bench')) {
    app.bench(Math.max(1, Number(params.get('bench')) || 5000));
    return;
  }
  if (params.get('rom'))
    await app.intake.cartridgeFromAddress(params.get('rom'));
  await app.speech.open();
  app.canvas.focus();
  requestAnimationFrame((t) => app.tick(t));
}

main().catch((e) => {
  const status = document.getElementById('status');
  status.textContent = `Orvane could not start: ${e.message || e}`;
  console.error(e);
});
