// The debugger panel: the shared debugger's four views and its commands.
// The machine runs on beside the panel, whose views follow it a few times a
// second; a step, a step over or a run to an address pauses it first, and
// Pause (Run) in the toolbar lets it go on.

const VIEWS = [['dbg-regs', 0], ['dbg-disass', 1], ['dbg-video', 2], ['dbg-log', 3]];
// A run to an address goes on for at most this many frames a click.
const GO_FRAMES = 500;

export class DebuggerPanel {
  constructor(app) {
    this.app = app;
    this.el = document.getElementById('debugger');
    this.said = document.getElementById('dbg-said');
    this.address = document.getElementById('dbg-address');
    this.lastRefresh = 0;
    const on = (id, f) => document.getElementById(id).addEventListener('click', f);
    on('dbg-step', () => this.command(() => this.app.machine.step()));
    on('dbg-over', () => this.command(() => this.app.machine.stepOver()));
    on('dbg-go', () => this.go());
    on('dbg-who', () => this.command(() => this.app.machine.whoWrote(this.address.value), false));
    on('dbg-reset', () => this.command(() => { this.app.machine.reset(); return ''; }, false));
    on('dbg-clear', () => this.command(() => { this.app.machine.clearLog(); return ''; }, false));
    this.address.addEventListener('keydown', (e) => {
      if (e.key === 'Enter')
        this.go();
    });
  }

  get open() {
    return !this.el.hidden;
  }

  toggle() {
    this.el.hidden = !this.el.hidden;
    if (this.open)
      this.refresh();
    return this.open;
  }

  // Runs a command on the machine, paused when it runs instructions, and
  // shows the views it left.
  command(work, pauses = true) {
    if (pauses)
      this.app.setPaused(true);
    const said = work();
    this.say(said);
    this.refresh();
    this.app.showPicture();
  }

  go() {
    this.app.setPaused(true);
    const [result, said] = this.app.machine.go(this.address.value, GO_FRAMES);
    const pc = this.app.machine.pc.toString(16).toUpperCase().padStart(4, '0');
    if (result < 0)
      this.say(said);
    else if (result === 0)
      this.say(`Not reached in ${GO_FRAMES} frames (PC=${pc}); Go again to run on`);
    else
      this.say(`Stopped at PC=${pc}`);
    this.refresh();
    this.app.showPicture();
  }

  say(text) {
    this.said.textContent = text || '';
  }

  refresh() {
    const m = this.app.machine;
    m.debugRefresh();
    for (const [id, which] of VIEWS) {
      const pre = document.getElementById(id);
      const text = m.debugView(which);
      if (pre.textContent !== text) {
        const atEnd = which === 3 && pre.scrollTop + pre.clientHeight >= pre.scrollHeight - 4;
        pre.textContent = text;
        if (atEnd)
          pre.scrollTop = pre.scrollHeight;
      }
    }
  }

  // From the page's animation loop: the views follow the running machine.
  tick(now) {
    if (this.open && !this.app.paused && now - this.lastRefresh > 250) {
      this.lastRefresh = now;
      this.refresh();
    }
  }
}
