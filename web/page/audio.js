// Speech and beeps through Web Audio: the machine's 8000 Hz blocks go to an
// AudioWorklet (speech-worklet.js); the browser resamples to the device.
// Browsers start sound only after the user has touched the page: until
// then the context waits and `state` says so.

export class Speech {
  constructor() {
    this.context = null;
    this.node = null;
    this.muted = false;
    this.failed = '';
    // What the player reports four times a second, kept for the status
    // line: the loudest output sample and the output's rms since the
    // last report, the gaps so far, the samples played so far.
    this.report = { peak: 0, rms: 0, underruns: 0, played: 0, reserve: 0 };
    this.history = [];  // the last reports, the newest last
  }

  async open() {
    try {
      try {
        this.context = new AudioContext({ sampleRate: 8000 });
      } catch {
        this.context = new AudioContext();  // a browser without 8000 Hz contexts
      }
      await this.context.audioWorklet.addModule('speech-worklet.js');
      this.node = new AudioWorkletNode(this.context, 'orvane-speech', {
        numberOfInputs: 0, outputChannelCount: [1], processorOptions: { inputRate: 8000 },
      });
      this.node.port.onmessage = (e) => {
        this.report = e.data;
        this.history.push(e.data);
        if (this.history.length > 120)
          this.history.shift();
      };
      this.node.connect(this.context.destination);
    } catch (e) {
      this.failed = String(e && e.message ? e.message : e);
      this.context = null;
      this.node = null;
    }
  }

  // Called on the user's first touch of the page.
  resume() {
    if (this.context && this.context.state === 'suspended')
      this.context.resume().catch(() => {});
  }

  get state() {
    if (this.failed)
      return 'no sound';
    if (!this.context)
      return 'sound starting';
    if (this.muted)
      return 'muted';
    return this.context.state === 'running' ? 'sound on' : 'sound after a click';
  }

  // Whether blocks should be collected from the machine at all.
  get wanted() {
    return !!this.node && !this.muted && this.context.state === 'running';
  }

  // Unsigned 8-bit samples, 128 the rest level.
  feed(samples) {
    if (!this.node || !samples.length)
      return;
    const f = new Float32Array(samples.length);
    for (let i = 0; i < samples.length; i++)
      f[i] = (samples[i] - 128) / 128;
    this.node.port.postMessage(f, [f.buffer]);
  }

  setMuted(muted) {
    this.muted = muted;
    if (this.node)
      this.node.port.postMessage('flush');
  }

  flush() {
    if (this.node)
      this.node.port.postMessage('flush');
  }
}
