// The machine's sound on the audio thread: samples at 8000 Hz arrive from
// the page in blocks; this plays them at the context's rate.
//
// The emulation makes a little more sound than 8000 samples a second of
// the page's clock (50 frames of machine time a second, each a shade longer
// than 20 ms), and its blocks come in bursts, one animation frame at a
// time. So the player keeps a small reserve and steers its reading speed,
// within a few per cent, to hold the reserve near its target: no gap in
// steady speech and no growing delay. It starts (and after running dry,
// starts again) only once the reserve is there. A page that runs dry (a
// busy computer that holds the page back) gets a larger reserve, up to
// half a second, which shrinks again after a quiet while. A DC blocker removes the
// resting level of the one-bit sound, so that starting and stopping do not
// thump.

const RING = 1 << 15;  // samples kept, about 4 s at 8000 Hz
const MASK = RING - 1;

class SpeechProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const inputRate = (options.processorOptions && options.processorOptions.inputRate) || 8000;
    this.step = inputRate / sampleRate;            // input samples per output sample
    this.base = Math.round(inputRate * 0.1);       // the reserve: 100 ms at first,
    this.most = Math.round(inputRate * 0.5);       // at most 500 ms
    this.target = this.base;
    this.steady = 0;                               // output samples since the last gap
    this.ring = new Float32Array(RING);
    this.written = 0;   // samples written, ever
    this.read = 0;      // reading position, fractional
    this.playing = false;
    this.last = 0;
    this.dcIn = 0;
    this.dcOut = 0;
    this.stats = { peak: 0, sum2: 0, n: 0, underruns: 0, played: 0 };
    this.since = 0;
    this.port.onmessage = (e) => this.receive(e.data);
  }

  receive(data) {
    if (data === 'flush') {
      this.read = this.written;
      this.playing = false;
      return;
    }
    const n = data.length;
    // Far too much waiting (a stalled context): keep only the newest.
    if (this.written + n - this.read > RING - 1)
      this.read = this.written + n - this.target;
    for (let i = 0; i < n; i++)
      this.ring[(this.written + i) & MASK] = data[i];
    this.written += n;
  }

  process(inputs, outputs) {
    const out = outputs[0][0];
    const s = this.stats;
    for (let i = 0; i < out.length; i++) {
      let fill = this.written - this.read;
      if (!this.playing && fill >= this.target)
        this.playing = true;
      let v;
      if (this.playing && fill >= 2) {
        const at = Math.floor(this.read);
        const f = this.read - at;
        const a = this.ring[at & MASK];
        const b = this.ring[(at + 1) & MASK];
        v = a + (b - a) * f;
        const steer = Math.max(-0.04, Math.min(0.04, ((fill - this.target) / this.target) * 0.05));
        this.read += this.step * (1 + steer);
        this.last = v;
        s.played++;
      } else {
        if (this.playing) {
          this.playing = false;
          s.underruns++;
          this.target = Math.min(this.most, Math.round(this.target * 1.5));
          this.steady = 0;
        }
        v = this.last;  // hold the level; the DC blocker lets it settle to silence
      }
      // One-pole DC blocker, cut-off a few hertz.
      const y = v - this.dcIn + 0.995 * this.dcOut;
      this.dcIn = v;
      this.dcOut = y;
      out[i] = y;
      const a = Math.abs(y);
      if (a > s.peak)
        s.peak = a;
      s.sum2 += y * y;
      s.n++;
    }
    for (let c = 1; c < outputs[0].length; c++)
      outputs[0][c].set(out);
    this.steady += out.length;
    if (this.steady >= 20 * sampleRate && this.target > this.base) {
      this.target = Math.max(this.base, Math.round(this.target * 0.9));
      this.steady = 0;
    }
    this.since += out.length;
    if (this.since >= sampleRate / 4) {
      this.port.postMessage({
        peak: s.peak, rms: Math.sqrt(s.sum2 / Math.max(1, s.n)), underruns: s.underruns,
        played: s.played, reserve: this.written - this.read, target: this.target,
      });
      s.peak = 0;
      s.sum2 = 0;
      s.n = 0;
      this.since = 0;
    }
    return true;
  }
}

registerProcessor('orvane-speech', SpeechProcessor);
