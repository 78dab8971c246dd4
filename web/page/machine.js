// The WebAssembly module (built from the core and web/*.cpp) behind a small
// class: every call the page makes into the machine goes through here.

/* global createOrvane */

export const WIDTH = 320;
export const HEIGHT = 250;
// Machine time of one frame: 49840 cycles at 2,455,000 a second.
export const FRAME_SECONDS = 49840 / 2455000;

export class Machine {
  static async create() {
    const module = await createOrvane({
      print: (t) => console.log(t),
      printErr: (t) => console.warn(t),
    });
    return new Machine(module);
  }

  constructor(module) {
    this.m = module;
    for (const dir of ['/bios', '/files'])
      module.FS.mkdir(dir);
  }

  message() {
    return this.m.UTF8ToString(this.m._web_message()).trim();
  }

  // Copies `bytes` into the module for the length of `work`.
  withBytes(bytes, work) {
    const p = this.m._malloc(Math.max(1, bytes.length));
    try {
      this.m.HEAPU8.set(bytes, p);
      return work(p, bytes.length);
    } finally {
      this.m._free(p);
    }
  }

  call(name, types, args) {
    return this.m.ccall(name, 'number', types, args);
  }

  // Start-up and power. Each returns what the user should read, or ''.
  start() {
    this.m._web_start();
    return this.message();
  }

  powerCycle() {
    this.m._web_power_cycle();
    return this.message();
  }

  reset() {
    this.m._web_reset();
  }

  setFirmware(bios7020, rom7041) {
    const FS = this.m.FS;
    if (bios7020 && rom7041) {
      FS.writeFile('/bios/bios7020.bin', bios7020);
      FS.writeFile('/bios/7041b.bin', rom7041);
      this.m._web_use_firmware(1);
    } else {
      for (const f of ['/bios/bios7020.bin', '/bios/7041b.bin'])
        try { FS.unlink(f); } catch { /* not there */ }
      this.m._web_use_firmware(0);
    }
  }

  firmwareName() {
    return this.m.UTF8ToString(this.m._web_firmware_name());
  }

  // A cartridge image: the machine restarts with it. '' or the message.
  loadCartridge(name, bytes) {
    const path = '/files/cartridge-' + name.replace(/[^\w.-]/g, '_');
    this.m.FS.writeFile(path, bytes);
    this.call('web_load_cartridge', ['string', 'string'], [path, name]);
    return this.message();
  }

  ejectCartridge() {
    this.m._web_eject_cartridge();
    return this.powerCycle();
  }

  // A WAV recording onto the cassette input: [ok, message].
  loadTape(name, bytes) {
    const failed = this.withBytes(bytes, (p, n) => this.call('web_load_tape', ['number', 'number', 'string'], [p, n, name]));
    return [!failed, this.message()];
  }

  runFrames(count, draw) {
    return this.m._web_run_frames(count, draw ? 1 : 0);
  }

  get frames() {
    return this.m._web_frame_count();
  }

  // The picture as RGBA bytes (a view into the module: copy it before the
  // next call); null when it has not changed since the last call, unless
  // `force`.
  picture(force = false) {
    const p = this.m._web_picture(force ? 1 : 0);
    return p ? this.m.HEAPU8.subarray(p, p + WIDTH * HEIGHT * 4) : null;
  }

  setSound(on) {
    this.m._web_sound_enable(on ? 1 : 0);
  }

  // The sound blocks made since the last call, 8000 Hz unsigned 8-bit.
  takeSound() {
    const n = this.m._web_sound_count();
    if (!n)
      return new Uint8Array(0);
    const p = this.m._web_sound_data();
    const copy = this.m.HEAPU8.slice(p, p + n);
    this.m._web_sound_clear();
    return copy;
  }

  // [position, length] in seconds, or null without a tape.
  tape() {
    const length = this.m._web_tape_length();
    return length < 0 ? null : [this.m._web_tape_position(), length];
  }

  keyDown(code) { this.m._web_key_down(code); }
  keyUp(code) { this.m._web_key_up(code); }
  keysLost() { this.m._web_keys_lost(); }

  saveState() {
    const n = this.m._web_state_save();
    const p = this.m._web_state_data();
    return this.m.HEAPU8.slice(p, p + n);
  }

  // [ok, message]
  loadState(bytes) {
    const failed = this.withBytes(bytes, (p, n) => this.m._web_state_load(p, n));
    return [!failed, this.message()];
  }

  // Debugger.
  debugRefresh() { this.m._web_debug_refresh(); }
  debugView(which) { return this.m.UTF8ToString(this.m._web_debug_view(which)); }
  step() { this.m._web_debug_step(); return this.message(); }
  stepOver() { this.m._web_debug_step_over(); return this.message(); }
  // [result, message]: 1 stopped there, 0 not reached within the frames.
  go(address, maxFrames) {
    const r = this.call('web_debug_go', ['string', 'number'], [address, maxFrames]);
    return [r, this.message()];
  }
  whoWrote(address) {
    this.call('web_debug_who', ['string'], [address]);
    return this.message();
  }
  clearLog() { this.m._web_debug_clear_log(); }
  get pc() { return this.m._web_pc(); }
}
