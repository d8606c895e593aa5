// Opens a page in headless Chromium (Debian's) several times, each in a
// fresh browser context, and prints one line of JSON per run: the time to
// the page's load event as its own navigation timing gives it, and the
// wall time of the navigation seen from here, both in milliseconds.
//
//   NODE_PATH=.../node_modules node view_load.cjs PAGE.html [--runs 3]
'use strict';

const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

async function main() {
  const args = process.argv.slice(2);
  const runsAt = args.indexOf('--runs');
  const runs = runsAt >= 0 ? Number(args.splice(runsAt, 2)[1]) : 3;
  const url = pathToFileURL(path.resolve(args[0])).href;
  const browser = await chromium.launch({
    executablePath: process.env.KUV_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    for (let run = 0; run < runs; ++run) {
      const context = await browser.newContext();
      const page = await context.newPage();
      const errors = [];
      page.on('pageerror', (error) => errors.push(error.message));
      const started = process.hrtime.bigint();
      await page.goto(url, { waitUntil: 'load', timeout: 300000 });
      const wall = Number(process.hrtime.bigint() - started) / 1e6;
      const loadEvent = await page.evaluate(
        () => performance.getEntriesByType('navigation')[0].loadEventStart);
      console.log(JSON.stringify({ loadEvent, wall, errors }));
      await context.close();
    }
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exitCode = 1;
});
