// The page's pictures in docs/screenshots/ (after scripts/web --build):
//   node tests/web/screenshots.mjs
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openBrowser } from './browser.mjs';

const top = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const out = join(top, 'docs', 'screenshots');
const session = await openBrowser(join(top, 'build-web'));
try {
  const page = await session.browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(session.base);
  await page.waitForFunction(() => window.orvane && window.orvane.machine.frames >= 120, { timeout: 60000 });
  await page.click('#pause');
  await page.screenshot({ path: join(out, 'web-page.png') });
  await page.click('#debug');
  await page.click('#dbg-step');
  await page.setViewport({ width: 1280, height: 1100 });
  await page.screenshot({ path: join(out, 'web-debugger.png') });
} finally {
  await session.close();
}
