// Debian's Chromium, headless, driven by puppeteer-core, and the page's
// own server on a free loopback port: what the browser test and the speed
// benchmark share.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serve } from '../../web/serve.mjs';

export const CHROMIUM = process.env.ORVANE_CHROMIUM || '/usr/bin/chromium';

// Starts the server on `folder` and a fresh browser. `close()` ends both.
export async function openBrowser(folder) {
  const server = await serve(folder, 0);
  const profile = mkdtempSync(join(tmpdir(), 'orvane-chromium-'));
  let browser;
  try {
    browser = await puppeteer.launch({
      executablePath: CHROMIUM,
      headless: true,
      userDataDir: profile,
      args: [
        '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--autoplay-policy=no-user-gesture-required',
        // Keep animation frames and timers going in a page nobody looks at.
        '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
        '--disable-backgrounding-occluded-windows',
      ],
    });
  } catch (e) {
    server.close();
    rmSync(profile, { recursive: true, force: true });
    throw e;
  }
  const base = `http://127.0.0.1:${server.address().port}/`;
  return {
    browser, base,
    async close() {
      await browser.close().catch(() => {});
      server.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
