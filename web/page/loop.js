// Frame pacing: the machine runs 50 frames a second of the page's clock,
// whatever the display's refresh rate. Each animation frame asks how many
// frames are due by the clock since the run (re)started, so rounding never
// accumulates: at 60 Hz five callbacks in six run a frame, at 144 Hz about
// one in three, and over any stretch the count is 50 a second.

export const FRAME_MS = 20;

export class FramePacer {
  // `maxBehind`: a page that falls further behind than this many frames
  // (a hidden tab, a slow machine) starts counting afresh instead of
  // running the missed frames in a burst.
  constructor(maxBehind = 6) {
    this.maxBehind = maxBehind;
    this.restart();
  }

  // The next call starts counting from its own time (after a pause, warp,
  // or a stall).
  restart() {
    this.origin = null;
    this.done = 0;
  }

  // The frames to run now, at `now` milliseconds; the first call runs one.
  due(now) {
    if (this.origin === null || now < this.origin) {
      this.origin = now;
      this.done = 0;
    }
    let n = Math.floor((now - this.origin) / FRAME_MS) + 1 - this.done;
    if (n > this.maxBehind) {
      this.origin = now;
      this.done = 0;
      n = 1;
    }
    if (n < 0)
      n = 0;
    this.done += n;
    return n;
  }
}

// Frames a second over the last second or so.
export class RateMeter {
  constructor() {
    this.start = null;
    this.count = 0;
    this.rate = 0;
  }

  add(now, frames) {
    if (this.start === null)
      this.start = now;
    this.count += frames;
    if (now - this.start >= 1000) {
      this.rate = (this.count * 1000) / (now - this.start);
      this.start = now;
      this.count = 0;
    }
  }

  reset() {
    this.start = null;
    this.count = 0;
    this.rate = 0;
  }
}
