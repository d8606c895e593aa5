// Opens the pages that `kuv view` writes in headless Chromium and checks
// what a person would see there, against what `kuv export --format json`
// says the document holds: no script error and nothing fetched; every
// object, with each table's row count and columns; one track per numeric
// field beside the depth, with its name and unit; paging and sorting
// through clicks; and a screenshot that is not blank.
//
//   node view_pages_test.cjs --tool KUV --template Standard.kvt --work DIR
//        [--screenshots DIR] [--deep-checks N] DOCUMENT...
//
// Each document is copied into a folder of its own under --work, with the
// tool's configuration beside it. --deep-checks bounds how many tables of
// a document have their paging and sorting clicked through (default: all).
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const CHROMIUM = process.env.KUV_CHROMIUM || '/usr/bin/chromium';
// Without the background services, Chromium makes no connection of its own.
const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const PAGE_SIZE = 100;  // the page's default
const FLOAT_TYPES = ['float', 'double', 'real', 'number', 'numeric', 'decimal', 'single'];
const INTEGER_TYPES = ['int', 'integer', 'long', 'short', 'int32', 'int64'];

function parseArguments(argv) {
  const options = { documents: [], deepChecks: Infinity, screenshots: null };
  for (let i = 0; i < argv.length; ++i) {
    const word = argv[i];
    if (word === '--tool') options.tool = argv[++i];
    else if (word === '--template') options.template = argv[++i];
    else if (word === '--work') options.work = argv[++i];
    else if (word === '--screenshots') options.screenshots = argv[++i];
    else if (word === '--deep-checks') options.deepChecks = Number(argv[++i]);
    else options.documents.push(word);
  }
  if (!options.tool || !options.template || !options.work || options.documents.length === 0) {
    throw new Error('usage: view_pages_test.cjs --tool KUV --template KVT --work DIR DOCUMENT...');
  }
  return options;
}

function runTool(tool, config, args) {
  const run = childProcess.spawnSync(tool, args, {
    env: { ...process.env, XDG_CONFIG_HOME: config }, encoding: 'utf8',
  });
  if (run.status !== 0) {
    throw new Error(`kuv ${args.join(' ')} exited ${run.status}: ${run.stderr}`);
  }
  return run;
}

function isNumericType(type) {
  const word = type.trim().toLowerCase();
  return FLOAT_TYPES.includes(word) || INTEGER_TYPES.includes(word);
}

// The declarations of each template object ID, first declaration first.
function templateDeclarations(templateJson) {
  const byObject = new Map();
  for (const object of templateJson.objects) {
    const fields = byObject.get(object.id) || new Map();
    for (const field of object.definitions.fields) {
      const key = field.table + '\t' + field.field;
      if (!fields.has(key)) fields.set(key, field);
    }
    byObject.set(object.id, fields);
  }
  return byObject;
}

// Every table of an object as the page should show it: the rows of every
// node of the table wherever it nests, in document order, a column per
// field and occurrence in a row, with the unit and type declared by the
// object, else by the template.
function expectedTables(object, template) {
  const own = new Map();
  for (const field of object.definitions.fields) {
    const key = field.table + '\t' + field.field;
    if (!own.has(key)) own.set(key, field);
  }
  const standard = template.get(object.id) || new Map();
  const tables = new Map();
  const frames = [{ list: object.tables, next: 0 }];
  while (frames.length > 0) {
    const frame = frames[frames.length - 1];
    if (frame.list) {
      if (frame.next === frame.list.length) {
        frames.pop();
        continue;
      }
      const node = frame.list[frame.next++];
      if (!tables.has(node.name)) tables.set(node.name, { name: node.name, rows: 0, columns: [] });
      frames.push({ node, row: 0 });
      continue;
    }
    if (frame.row === frame.node.rows.length) {
      frames.pop();
      continue;
    }
    const row = frame.node.rows[frame.row++];
    const table = tables.get(frame.node.name);
    const at = table.rows++;
    const seen = new Map();
    for (const { field, value } of row.values) {
      const occurrence = seen.get(field) || 0;
      seen.set(field, occurrence + 1);
      let column = table.columns.find((c) => c.field === field && c.occurrence === occurrence);
      if (!column) {
        const declared = own.get(table.name + '\t' + field) ||
          standard.get(table.name + '\t' + field) || { unit: '', type: '' };
        column = { field, occurrence, unit: declared.unit, numeric: isNumericType(declared.type),
          name: occurrence > 0 ? `${field} #${occurrence + 1}` : field, values: [] };
        table.columns.push(column);
      }
      column.values[at] = value;
    }
    frames.push({ list: row.tables || [], next: 0 });
  }
  for (const table of tables.values()) {
    for (const column of table.columns) {
      for (let i = 0; i < table.rows; ++i) if (column.values[i] === undefined) column.values[i] = null;
    }
  }
  return [...tables.values()];
}

// The rows in the order a click on a column heading should give: numbers
// by value, texts as the page's collator orders them, rows without a
// value last, ties in document order.
function expectedOrder(column, rows, descending) {
  const collator = new Intl.Collator(undefined, { numeric: true });
  const order = [...Array(rows).keys()];
  const sign = descending ? -1 : 1;
  const key = (i) => {
    const text = column.values[i];
    if (text === null || text.trim() === '') return null;
    if (!column.numeric) return text;
    const number = Number(text.trim());
    return Number.isNaN(number) ? null : number;
  };
  order.sort((a, b) => {
    const x = key(a);
    const y = key(b);
    if (x === null || y === null) return x === y ? a - b : (x === null ? 1 : -1);
    const compared = column.numeric ? (x < y ? -1 : x > y ? 1 : 0) : collator.compare(x, y);
    return sign * compared || a - b;
  });
  return order;
}

// What the page shows of each table of an open object.
function readTables(page, number) {
  return page.evaluate((n) => {
    const body = document.querySelector(`#object-${n} .object-body`);
    return [...body.querySelectorAll('section.table-view')].map((view) => {
      const svg = view.querySelector('svg.tracks');
      return {
        name: view.dataset.table,
        rows: Number(view.querySelector('.row-count').dataset.rows),
        rowsText: view.querySelector('.row-count').textContent,
        columns: [...view.querySelectorAll('p.columns .column')].map((c) => c.textContent),
        units: [...view.querySelectorAll('p.columns .column')].map((c) => c.dataset.unit),
        headings: [...view.querySelectorAll('table.grid th.sortable .name')]
          .map((h) => h.textContent),
        shownRows: view.querySelectorAll('table.grid tbody tr').length,
        plot: svg && {
          depth: svg.dataset.depth,
          depthUnit: svg.dataset.depthUnit,
          tracks: [...svg.querySelectorAll('g.track')].map((g) => ({
            field: g.dataset.field,
            unit: g.dataset.unit,
            label: g.querySelector('.track-name').textContent,
            unitLabel: g.querySelector('.track-unit').textContent,
            drawn: g.querySelector('path') !== null,
          })),
        },
      };
    });
  }, number);
}

// The row numbers (1-based, as the "#" column shows them) on the page of
// one table view, and its pager's label.
function shownRows(view) {
  return view.evaluate((node) => ({
    numbers: [...node.querySelectorAll('table.grid tbody tr td.row-number')]
      .map((td) => Number(td.textContent)),
    label: node.querySelector('.page-label').textContent,
  }));
}

async function checkSorting(view, table, expected) {
  // The first numeric column, else the first column, and the "#" column.
  const column = expected.columns.findIndex((c) => c.numeric);
  const index = column >= 0 ? column : 0;
  const heading = view.locator(`table.grid th[data-column="${index}"]`);
  for (const descending of [false, true]) {
    await heading.click();
    const order = expectedOrder(expected.columns[index], expected.rows, descending);
    const shown = await shownRows(view);
    assert.deepEqual(shown.numbers, order.slice(0, PAGE_SIZE).map((i) => i + 1),
      `${table}: sorted by ${expected.columns[index].name}` +
      (descending ? ', descending' : ''));
  }
  // Sorting by "#" twice gives the document's order back, reversed.
  const numberHeading = view.locator('table.grid th[data-column="-1"]');
  await numberHeading.click();
  await numberHeading.click();
  const reversed = await shownRows(view);
  assert.equal(reversed.numbers[0], expected.rows, `${table}: sorted by # descending`);
  await numberHeading.click();
}

async function checkPaging(view, table, rows) {
  const label = (start, end) =>
    `Rows ${start.toLocaleString('en-US')}\u2013${end.toLocaleString('en-US')} of ` +
    rows.toLocaleString('en-US');
  let shown = await shownRows(view);
  assert.equal(shown.label, label(1, Math.min(rows, PAGE_SIZE)), `${table}: first page`);
  assert.equal(shown.numbers.length, Math.min(rows, PAGE_SIZE), `${table}: rows on a page`);
  if (rows <= PAGE_SIZE) {
    assert.ok(await view.locator('button.next').isDisabled(), `${table}: Next on the only page`);
    return;
  }
  await view.locator('button.next').click();
  shown = await shownRows(view);
  assert.equal(shown.label, label(PAGE_SIZE + 1, Math.min(rows, 2 * PAGE_SIZE)),
    `${table}: second page`);
  assert.equal(shown.numbers[0], PAGE_SIZE + 1, `${table}: second page's first row`);
  if (rows > 2 * PAGE_SIZE) await view.locator('button.last').click();
  shown = await shownRows(view);
  const lastStart = Math.floor((rows - 1) / PAGE_SIZE) * PAGE_SIZE + 1;
  assert.equal(shown.label, label(lastStart, rows), `${table}: last page`);
  assert.equal(shown.numbers[shown.numbers.length - 1], rows, `${table}: last row`);
  assert.ok(await view.locator('button.next').isDisabled(), `${table}: Next on the last page`);
  await view.locator('button.first').click();
  shown = await shownRows(view);
  assert.equal(shown.numbers[0], 1, `${table}: back on the first page`);
}

// Share of the screenshot's pixels that are not near white, and how many
// colours a sample of them holds, read back through the browser's canvas.
async function inkOf(browser, png) {
  const page = await browser.newPage();
  try {
    return await page.evaluate(async (data) => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + data;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data;
      let inked = 0;
      let sampled = 0;
      const colours = new Set();
      for (let i = 0; i < pixels.length; i += 4 * 3) {
        const [r, g, b] = [pixels[i], pixels[i + 1], pixels[i + 2]];
        ++sampled;
        if (r < 200 || g < 200 || b < 200) ++inked;
        colours.add((r << 16) | (g << 8) | b);
      }
      return { inked: inked / sampled, colours: colours.size };
    }, png.toString('base64'));
  } finally {
    await page.close();
  }
}

async function checkDocument(browser, options, file, template) {
  const name = path.basename(file);
  const work = path.join(options.work, name.replace(/[^\w.-]/g, '_'));
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(path.join(work, 'config', 'KUV', 'Template'), { recursive: true });
  fs.writeFileSync(path.join(work, 'config', 'KUV', 'Template', 'FileName'),
    options.template + '\0');
  const config = path.join(work, 'config');
  const copy = path.join(work, name);
  fs.copyFileSync(file, copy);
  const pagePath = path.join(work, name + '.html');
  const started = Date.now();
  runTool(options.tool, config, ['view', copy, '-o', pagePath]);
  const viewSeconds = (Date.now() - started) / 1000;
  const jsonPath = path.join(work, 'document.json');
  runTool(options.tool, config, ['export', copy, '--format', 'json', '-o', jsonPath]);
  const exported = JSON.parse(fs.readFileSync(jsonPath, 'utf8'));
  fs.rmSync(jsonPath);
  const objects = exported.objects.map((object) => ({
    id: object.id, tables: expectedTables(object, template),
  }));
  delete exported.objects;

  const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
  const problems = [];
  const url = pathToFileURL(pagePath).href;
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push('console: ' + message.text());
  });
  page.on('pageerror', (error) => problems.push('script error: ' + error.message));
  page.on('request', (request) => {
    if (request.url() !== url) problems.push('fetched: ' + request.url());
  });
  const loadStart = Date.now();
  await page.goto(url, { waitUntil: 'load' });
  const loadSeconds = (Date.now() - loadStart) / 1000;

  assert.equal(await page.locator('h1').textContent(), name, `${name}: the page's heading`);
  assert.equal(await page.locator('nav table.objects tbody tr').count(), objects.length,
    `${name}: the list of objects`);
  assert.equal(await page.locator('section.object').count(), objects.length,
    `${name}: a section per object`);

  let tracks = 0;
  let deepChecks = 0;
  // The tables whose paging and sorting are clicked through: every table
  // while --deep-checks allows, and always the largest one.
  let largest = null;
  for (const [number, object] of objects.entries()) {
    const box = page.locator(`#object-${number} > details`);
    if (!(await box.evaluate((node) => node.open))) {
      await page.locator(`#object-${number} > details > summary`).click();
    }
    // An opened object is drawn on its toggle event, just after the click.
    await page.locator(`#object-${number} .object-body > dl.facts`).waitFor();
    const shown = await readTables(page, number);
    const where = `${name}: object ${object.id}`;
    assert.deepEqual(shown.map((t) => t.name), object.tables.map((t) => t.name),
      `${where}: its tables`);
    for (const [i, expected] of object.tables.entries()) {
      const table = shown[i];
      const at = `${where}, table ${expected.name}`;
      assert.equal(table.rows, expected.rows, `${at}: row count`);
      assert.equal(table.rowsText, `${expected.rows.toLocaleString('en-US')} ` +
        (expected.rows === 1 ? 'row' : 'rows'), `${at}: row count shown`);
      assert.deepEqual(table.columns, expected.columns.map((c) => c.name), `${at}: columns`);
      assert.deepEqual(table.units, expected.columns.map((c) => c.unit), `${at}: units`);
      assert.deepEqual(table.headings, ['#', ...expected.columns.map((c) => c.name)],
        `${at}: headings of the rows`);
      assert.equal(table.shownRows, Math.min(expected.rows, PAGE_SIZE), `${at}: rows shown`);
      const numeric = expected.columns.filter((c) => c.numeric);
      const depthKnown = numeric.length > 0 &&
        numeric[0].values.some((v) => v !== null && Number.isFinite(Number(v.trim())) &&
          v.trim() !== '');
      if (numeric.length >= 2 && depthKnown) {
        assert.ok(table.plot, `${at}: a plot`);
        assert.equal(table.plot.depth, numeric[0].name, `${at}: the depth axis`);
        assert.equal(table.plot.depthUnit, numeric[0].unit, `${at}: the depth's unit`);
        assert.deepEqual(table.plot.tracks.map((t) => [t.field, t.unit, t.label, t.unitLabel]),
          numeric.slice(1).map((c) => [c.name, c.unit, c.name, c.unit]), `${at}: one track each`);
        tracks += table.plot.tracks.length;
      } else {
        assert.equal(table.plot, null, `${at}: no plot`);
      }
      if (!largest || expected.rows > largest.expected.rows) {
        largest = { number, index: i, expected, at };
      }
      if (deepChecks < options.deepChecks && expected.rows >= 2) {
        ++deepChecks;
        const view = page.locator(`#object-${number} section.table-view`).nth(i);
        await checkPaging(view, at, expected.rows);
        await checkSorting(view, at, expected);
      }
    }
  }
  if (largest && largest.expected.rows >= 2) {
    const view = page.locator(`#object-${largest.number} section.table-view`).nth(largest.index);
    await checkPaging(view, largest.at, largest.expected.rows);
    await checkSorting(view, largest.at, largest.expected);
  }
  // Paged, not a node per value: the cells in the page stay few.
  const cells = await page.locator('td').count();
  const values = objects.reduce((sum, o) => sum +
    o.tables.reduce((s, t) => s + t.rows * t.columns.length, 0), 0);
  if (values > 100000) {
    assert.ok(cells < values / 5, `${name}: ${cells} cells for ${values} values`);
  }

  await page.evaluate(() => window.scrollTo(0, 0));
  const screenshot = await page.screenshot({ fullPage: values <= 100000 });
  if (options.screenshots) {
    fs.mkdirSync(options.screenshots, { recursive: true });
    fs.writeFileSync(path.join(options.screenshots, name.replace(/\.kuv$/, '') + '.png'),
      screenshot);
  }
  const ink = await inkOf(browser, screenshot);
  assert.ok(ink.inked > 0.01 && ink.colours > 20,
    `${name}: the screenshot is blank (${JSON.stringify(ink)})`);
  await page.close();
  assert.deepEqual(problems, [], `${name}: the browser reported problems`);
  const pageBytes = fs.statSync(pagePath).size;
  const documentBytes = fs.statSync(copy).size;
  console.log(`${name}: ${objects.length} objects, ${tracks} tracks; page ` +
    `${(pageBytes / 1e6).toFixed(2)} MB (${(pageBytes / documentBytes).toFixed(2)}x the ` +
    `document), written in ${viewSeconds.toFixed(1)} s, loaded in ${loadSeconds.toFixed(2)} s`);
  return { pageBytes, documentBytes };
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  fs.mkdirSync(options.work, { recursive: true });
  const templateJson = path.join(options.work, 'template.json');
  runTool(options.tool, path.join(options.work, 'template-config'),
    ['export', options.template, '--format', 'json', '-o', templateJson]);
  const template = templateDeclarations(JSON.parse(fs.readFileSync(templateJson, 'utf8')));
  const browser = await chromium.launch({
    executablePath: CHROMIUM, headless: true, args: CHROMIUM_FLAGS,
  });
  let failed = false;
  try {
    for (const file of options.documents) {
      try {
        const { pageBytes, documentBytes } = await checkDocument(browser, options, file, template);
        if (documentBytes > 1e6) {
          assert.ok(pageBytes <= 1.5 * documentBytes,
            `${file}: the page is ${(pageBytes / documentBytes).toFixed(2)}x the document`);
        }
      } catch (error) {
        failed = true;
        console.error(`FAILED ${file}: ${error.stack || error}`);
      }
    }
  } finally {
    await browser.close();
  }
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exitCode = 1;
});
