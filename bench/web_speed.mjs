// The speed of the page in headless Chromium (scripts/web --bench):
//  1. the machine alone: frames run back to back in the page's benchmark
//     mode (?bench=N: no drawing, no sound), as a multiple of real time;
//  2. the page at real time (the demo tour, 50 frames a second, picture and
//     sound): the processor time of Chromium's processes over a stretch of
//     wall time, as a share of one core.
//   node bench/web_speed.mjs [SITE] [FRAMES] [SECONDS]
import { readFileSync, readdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const top = join(dirname(fileURLToPath(import.meta.url)), '..');
const site = process.argv[2] || join(top, 'build-web');
const frames = Number(process.argv[3] || 5000);
const seconds = Number(process.argv[4] || 20);
// The test's browser set-up, with puppeteer-core from the test's packages.
createRequire(join(top, 'tests/web/package.json'));
const { openBrowser } = await import(join(top, 'tests/web/browser.mjs'));

const TICKS = 100;  // clock ticks a second in /proc (USER_HZ)

// Processor time so far of `root` and its descendants, by kind.
function cpuTimes(root) {
  const procs = new Map();
  for (const d of readdirSync('/proc')) {
    if (!/^\d+$/.test(d))
      continue;
    try {
      const stat = readFileSync(`/proc/${d}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const cmd = readFileSync(`/proc/${d}/cmdline`, 'utf8');
      const type = (/--type=([\w-]+)/.exec(cmd) || [, 'browser'])[1];
      const sub = (/--utility-sub-type=([\w.]+)/.exec(cmd) || [, ''])[1];
      procs.set(Number(d), { ppid: Number(f[1]), ticks: Number(f[11]) + Number(f[12]), kind: sub ? `${type} ${sub}` : type });
    } catch {
      // gone meanwhile
    }
  }
  const out = {};
  const inTree = (pid) => {
    for (let p = pid, hops = 0; p > 1 && hops < 20; p = procs.get(p)?.ppid ?? 0, hops++)
      if (p === root)
        return true;
    return false;
  };
  for (const [pid, p] of procs)
    if (inTree(pid))
      out[p.kind] = (out[p.kind] || 0) + p.ticks / TICKS;
  return out;
}

const session = await openBrowser(site);
try {
  const pid = session.browser.process().pid;
  // The machine alone: a warm-up while the browser compiles the module's
  // hot code with its optimising compiler, then runs of `frames` frames.
  const page = await session.browser.newPage();
  await page.goto(session.base + '?bench=1');
  await page.waitForFunction(() => window.orvaneBench, { timeout: 60000 });
  const warmUntil = Date.now() + 10000;
  while (Date.now() < warmUntil)
    await page.evaluate(() => window.orvane.bench(1000));
  const runs = [];
  for (let i = 0; i < 5; i++) {
    const c0 = cpuTimes(pid).renderer || 0;
    const b = await page.evaluate((n) => window.orvane.bench(n), frames);
    const cpu = (cpuTimes(pid).renderer || 0) - c0;
    const machineSeconds = b.realTime * b.seconds;
    runs.push({ wall: b.realTime, cpu: machineSeconds / cpu });
    console.log(`machine alone, run ${i + 1}: ${b.frames} frames (${machineSeconds.toFixed(1)} s of machine time) in ` +
      `${b.seconds.toFixed(2)} s of wall time, ${cpu.toFixed(2)} s of the page's processor time: ` +
      `${b.realTime.toFixed(1)}x real time by the clock, ${(machineSeconds / cpu).toFixed(1)}x by processor time`);
  }
  const median = (a) => a.slice().sort((x, y) => x - y)[a.length >> 1];
  console.log(`machine alone: median ${median(runs.map((r) => r.wall)).toFixed(1)}x real time by the clock, ` +
    `${median(runs.map((r) => r.cpu)).toFixed(1)}x by processor time`);
  await page.close();

  const live = await session.browser.newPage();
  await live.goto(session.base);
  await live.waitForFunction(() => window.orvane && window.orvane.machine.frames > 100, { timeout: 60000 });
  const t0 = cpuTimes(pid);
  const f0 = await live.evaluate(() => window.orvane.machine.frames);
  const w0 = Date.now();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const t1 = cpuTimes(pid);
  const f1 = await live.evaluate(() => window.orvane.machine.frames);
  const wall = (Date.now() - w0) / 1000;
  console.log(`real time: ${((f1 - f0) / wall).toFixed(1)} frames a second over ${wall.toFixed(1)} s; ` +
    'share of one core by process:');
  let total = 0;
  for (const kind of Object.keys(t1).sort()) {
    const used = t1[kind] - (t0[kind] || 0);
    total += used;
    console.log(`  ${kind.padEnd(28)} ${((100 * used) / wall).toFixed(1)} %`);
  }
  console.log(`  ${'all of Chromium'.padEnd(28)} ${((100 * total) / wall).toFixed(1)} %`);
} finally {
  await session.close();
}
