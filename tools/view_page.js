// The script of the page kuv view writes. The data wait in inert script
// elements as JSON: an index of the objects, and one element per object
// that is read only when the object is opened, so that a page of millions
// of values opens at once. Rows are shown a page at a time, sorted by the
// column whose heading was clicked. The curves of the plots come drawn by
// the tool, as SVG paths reduced to the plot's pixel rows; this script
// draws the depth axis, the tracks' frames and their labels around them.
(function () {
  'use strict';

  const PAGE_SIZES = [50, 100, 500, 1000];
  const DEFAULT_PAGE_SIZE = 100;
  // A document of up to this many values opens with every object shown.
  const OPEN_EVERYTHING_UP_TO = 50000;

  const collator = new Intl.Collator(undefined, { numeric: true });

  // The plots' layout, in pixels; a curve's path runs across PATH_WIDTH
  // units from the track's least value to its greatest.
  const PLOT = {
    axisWidth: 76, trackWidth: 140, trackGap: 10, header: 46, footer: 6, inset: 3,
    pathWidth: 1000, pixelsPerTick: 60,
    colours: ['#1f77b4', '#d62728', '#2ca02c', '#9467bd', '#ff7f0e', '#8c564b', '#e377c2',
      '#17becf'],
  };
  // The SVG namespace, from an element the HTML parser made, so that the
  // page names no address at all.
  const SVG_NAMESPACE = (() => {
    const box = document.createElement('div');
    box.innerHTML = '<svg></svg>';
    return box.firstChild.namespaceURI;
  })();

  function make(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function count(n, one, many) {
    return n.toLocaleString('en-US') + ' ' + (n === 1 ? one : many);
  }

  function columnName(column) {
    return column.occurrence > 0 ? column.field + ' #' + (column.occurrence + 1) : column.field;
  }

  function svg(tag, attributes, text) {
    const node = document.createElementNS(SVG_NAMESPACE, tag);
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function label(x, y, className, anchor, text) {
    return svg('text', { x, y, class: className, 'text-anchor': anchor }, text);
  }

  // A step of 1, 2 or 5 times a power of ten that divides span into about
  // wanted parts.
  function niceStep(span, wanted) {
    const raw = span / Math.max(wanted, 1);
    const magnitude = Math.pow(10, Math.floor(Math.log10(raw)));
    const fraction = raw / magnitude;
    return (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * magnitude;
  }

  function fourDigits(value) {
    return String(Number(value.toPrecision(4)));
  }

  // The depth axis on the left, with a tick and a grid line at round
  // depths, increasing downwards.
  function depthAxis(plot, depth, width) {
    const axis = svg('g', { class: 'depth-axis' });
    const right = PLOT.axisWidth - 8;
    axis.append(label(right, 14, 'track-name', 'end', columnName(depth)),
      label(right, 28, 'track-unit', 'end', depth.unit));
    const span = plot.bottom - plot.top;
    const step = niceStep(span, Math.max(2, Math.floor(plot.rows / PLOT.pixelsPerTick)));
    if (!(step > 0) || !Number.isFinite(step)) return axis;
    const decimals = Math.min(12, Math.max(0, -Math.floor(Math.log10(step))));
    const first = Math.ceil(plot.top / step) * step;
    let grid = '';
    for (let k = 0; k <= 100; ++k) {
      const at = first + k * step;
      if (at > plot.bottom + step * 1e-9) break;
      const y = PLOT.header + (at - plot.top) / span * plot.rows;
      grid += `M${PLOT.axisWidth - 4} ${y.toFixed(1)}H${width - PLOT.trackGap}`;
      axis.append(label(right, (y + 4).toFixed(1), 'tick', 'end',
        (at === 0 ? 0 : at).toFixed(decimals)));
    }
    axis.prepend(svg('path', { class: 'grid', d: grid }));
    return axis;
  }

  function track(plot, entry, column, number) {
    const width = PLOT.trackWidth;
    const left = PLOT.axisWidth + number * (width + PLOT.trackGap);
    const group = svg('g', { class: 'track', transform: `translate(${left},0)` });
    group.dataset.field = columnName(column);
    group.dataset.unit = column.unit;
    group.append(label(width / 2, 14, 'track-name', 'middle', columnName(column)),
      label(width / 2, 28, 'track-unit', 'middle', column.unit),
      svg('rect', { class: 'frame', x: 0, y: PLOT.header, width, height: plot.rows }));
    if (entry.path === undefined) {
      group.append(label(width / 2, PLOT.header + 20, 'scale', 'middle', 'no values'));
      return group;
    }
    if (entry.log) group.append(label(width - 1, 28, 'scale', 'end', 'log'));
    group.append(label(1, 41, 'scale', 'start', fourDigits(entry.least)),
      label(width - 1, 41, 'scale', 'end', fourDigits(entry.greatest)));
    const across = (width - 2 * PLOT.inset) / PLOT.pathWidth;
    group.append(svg('path', {
      d: entry.path, fill: 'none', stroke: PLOT.colours[number % PLOT.colours.length],
      'vector-effect': 'non-scaling-stroke',
      transform: `translate(${PLOT.inset},${PLOT.header + 0.5}) scale(${across},1)`,
    }));
    return group;
  }

  // A table's log tracks beside its depth axis.
  function plotOf(table) {
    const plot = table.plot;
    const width = PLOT.axisWidth + plot.tracks.length * (PLOT.trackWidth + PLOT.trackGap);
    const height = PLOT.header + plot.rows + PLOT.footer;
    const drawing = svg('svg', {
      class: 'tracks', role: 'img', width, height, viewBox: `0 0 ${width} ${height}`,
    });
    const depth = table.columns[plot.depth];
    drawing.dataset.depth = columnName(depth);
    drawing.dataset.depthUnit = depth.unit;
    drawing.append(depthAxis(plot, depth, width));
    plot.tracks.forEach((entry, number) => {
      drawing.append(track(plot, entry, table.columns[entry.column], number));
    });
    return drawing;
  }

  function readJson(id) {
    return JSON.parse(document.getElementById(id).textContent);
  }

  // A list of label and value pairs.
  function facts(pairs) {
    const list = make('dl', 'facts');
    for (const [label, value] of pairs) {
      list.append(make('dt', '', label), make('dd', '', value));
    }
    return list;
  }

  function simpleTable(className, headings, rows) {
    const table = make('table', className);
    const head = table.createTHead().insertRow();
    for (const heading of headings) head.append(make('th', '', heading));
    const body = table.createTBody();
    for (const row of rows) {
      const tr = body.insertRow();
      for (const cell of row) tr.append(make('td', '', cell));
    }
    return table;
  }

  function definitionsOf(data) {
    const box = make('details', 'definitions');
    box.append(make('summary', '', 'Data description: ' +
      count(data.definitions.tables.length, 'table', 'tables') + ', ' +
      count(data.definitions.fields.length, 'field', 'fields')));
    box.append(simpleTable('plain', ['Table', 'Parent'],
      data.definitions.tables.map(([table, parent]) => [table, parent || '(top level)'])));
    box.append(simpleTable('plain', ['Table', 'Field', 'Type', 'Unit'],
      data.definitions.fields.map(([table, field, unit, type]) => [table, field, type, unit])));
    return box;
  }

  // The order of a table's rows by one column: numbers by value in a
  // numeric column, texts as a reader orders them elsewhere; rows without
  // a value come last either way, and equal values keep the rows' order.
  function sortedRows(table, column, descending) {
    const rows = table.rows;
    const order = new Uint32Array(rows);
    for (let i = 0; i < rows; ++i) order[i] = i;
    if (column < 0) {
      if (descending) order.reverse();
      return order;
    }
    const values = table.columns[column].values;
    const sign = descending ? -1 : 1;
    let compare;
    if (table.columns[column].numeric) {
      const keys = new Float64Array(rows);
      for (let i = 0; i < rows; ++i) {
        const text = values[i] === null ? '' : values[i].trim();
        keys[i] = text === '' ? NaN : Number(text);
      }
      compare = (a, b) => {
        const x = keys[a];
        const y = keys[b];
        if (Number.isNaN(x) || Number.isNaN(y)) {
          return Number.isNaN(x) === Number.isNaN(y) ? a - b : (Number.isNaN(x) ? 1 : -1);
        }
        return x === y ? a - b : (x < y ? -sign : sign);
      };
    } else {
      compare = (a, b) => {
        const x = values[a];
        const y = values[b];
        const xMissing = x === null || x === '';
        const yMissing = y === null || y === '';
        if (xMissing || yMissing) return xMissing === yMissing ? a - b : (xMissing ? 1 : -1);
        return sign * collator.compare(x, y) || a - b;
      };
    }
    return order.sort(compare);
  }

  // A table's rows, a page at a time.
  function rowGrid(table) {
    const box = make('div', 'rows');
    const bar = make('div', 'pager');
    const first = make('button', 'first', '\u00ab First');
    const previous = make('button', 'previous', '\u2039 Previous');
    const next = make('button', 'next', 'Next \u203a');
    const last = make('button', 'last', 'Last \u00bb');
    const label = make('span', 'page-label');
    const sizes = make('select', 'page-size');
    for (const size of PAGE_SIZES) {
      const option = make('option', '', size + ' rows a page');
      option.value = size;
      option.selected = size === DEFAULT_PAGE_SIZE;
      sizes.append(option);
    }
    bar.append(first, previous, label, next, last, sizes);

    const grid = make('table', 'grid');
    const head = grid.createTHead().insertRow();
    const body = grid.createTBody();
    const parents = table.parents;
    const headings = [];
    const heading = (column, title, unit) => {
      const th = make('th', 'sortable');
      th.dataset.column = column;
      th.append(make('span', 'name', title));
      if (unit) th.append(make('span', 'unit', unit));
      th.title = 'Sort by ' + title;
      head.append(th);
      headings.push(th);
    };
    heading(-1, '#');
    if (parents) {
      const th = make('th', 'parent', 'in');
      head.append(th);
    }
    table.columns.forEach((column, i) => heading(i, columnName(column), column.unit));

    const scroll = make('div', 'grid-scroll');
    scroll.append(grid);
    box.append(bar, scroll);

    let order = null;  // null: the document's order
    let sortColumn = -1;
    let descending = false;
    let page = 0;
    let size = DEFAULT_PAGE_SIZE;

    function pages() {
      return Math.max(1, Math.ceil(table.rows / size));
    }

    function parentOf(row) {
      const at = parents.rows[row];
      if (at < 0) return '';
      const name = parents.tables[parents.which ? parents.which[row] : 0];
      return name + ' ' + (at + 1);
    }

    function draw() {
      page = Math.min(Math.max(page, 0), pages() - 1);
      const start = page * size;
      const end = Math.min(table.rows, start + size);
      const fragment = document.createDocumentFragment();
      for (let n = start; n < end; ++n) {
        const row = order ? order[n] : n;
        const tr = document.createElement('tr');
        tr.append(make('td', 'row-number', String(row + 1)));
        if (parents) tr.append(make('td', 'parent', parentOf(row)));
        for (const column of table.columns) {
          const value = column.values[row];
          const td = make('td', value === null ? 'absent' : (column.numeric ? 'number' : ''),
            value === null ? '' : value);
          tr.append(td);
        }
        fragment.append(tr);
      }
      body.replaceChildren(fragment);
      label.textContent = table.rows === 0 ? 'No rows'
        : 'Rows ' + (start + 1).toLocaleString('en-US') + '\u2013' +
          end.toLocaleString('en-US') + ' of ' + table.rows.toLocaleString('en-US');
      first.disabled = previous.disabled = page === 0;
      next.disabled = last.disabled = page >= pages() - 1;
      for (const th of headings) {
        const column = Number(th.dataset.column);
        th.classList.toggle('ascending', order !== null && column === sortColumn && !descending);
        th.classList.toggle('descending', order !== null && column === sortColumn && descending);
      }
    }

    first.addEventListener('click', () => { page = 0; draw(); });
    previous.addEventListener('click', () => { page -= 1; draw(); });
    next.addEventListener('click', () => { page += 1; draw(); });
    last.addEventListener('click', () => { page = pages() - 1; draw(); });
    sizes.addEventListener('change', () => {
      const top = page * size;
      size = Number(sizes.value);
      page = Math.floor(top / size);
      draw();
    });
    for (const th of headings) {
      th.addEventListener('click', () => {
        const column = Number(th.dataset.column);
        descending = column === sortColumn && order !== null ? !descending : false;
        sortColumn = column;
        order = sortedRows(table, column, descending);
        page = 0;
        draw();
      });
    }
    draw();
    return box;
  }

  function tableView(table, nullValue) {
    const box = make('section', 'table-view');
    box.dataset.table = table.name;
    const title = make('h3');
    title.append(make('span', 'table-name', table.name), ' \u00b7 ');
    const rows = make('span', 'row-count', count(table.rows, 'row', 'rows'));
    rows.dataset.rows = table.rows;
    title.append(rows);
    box.append(title);
    const columns = make('p', 'columns');
    columns.append('Columns: ');
    table.columns.forEach((column, i) => {
      if (i > 0) columns.append(', ');
      const name = make('span', 'column', columnName(column));
      name.dataset.unit = column.unit;
      columns.append(name);
      if (column.unit) columns.append(' [' + column.unit + ']');
    });
    if (table.columns.length === 0) columns.append('none');
    box.append(columns);
    if (table.plot) {
      const plot = make('div', 'plot');
      plot.append(plotOf(table));
      box.append(plot);
      box.append(make('p', 'note', 'Depth increases downwards. Each track is drawn from its ' +
        'least to its greatest value; gaps are rows without a value, texts that are no number, ' +
        'and the null value ' + nullValue + '.'));
    }
    box.append(rowGrid(table));
    return box;
  }

  function drawObject(number, body) {
    const data = readJson('kuv-object-' + number);
    const object = index.objects[number];
    body.append(facts([['Author', object.author], ['Version', object.version],
      ['WellID', object.wellId], ['Date', object.date]]));
    body.append(definitionsOf(data));
    if (data.tables.length === 0) body.append(make('p', 'note', 'The object holds no table.'));
    for (const table of data.tables) body.append(tableView(table, data.nullValue));
  }

  const index = readJson('kuv-index');
  const totalValues = index.objects.reduce((sum, object) => sum + object.values, 0);

  document.title = index.file + ' \u2014 kuv view';
  const header = document.getElementById('kuv-header');
  header.append(make('h1', '', index.file));
  const summary = [count(index.objects.length, 'business object', 'business objects'),
    count(totalValues, 'value', 'values')];
  if (index.bytes >= 1e6) {
    summary.push((index.bytes / 1e6).toFixed(index.bytes < 1e7 ? 1 : 0) + ' MB');
  } else if (index.bytes > 0) {
    summary.push((index.bytes / 1e3).toFixed(1) + ' kB');
  }
  header.append(make('p', 'summary', summary.join(' \u00b7 ')));
  if (!index.complete) {
    header.append(make('p', 'warning',
      'The document ends before its closing root tag: it was cut short, and holds only what ' +
      'came before the cut.'));
  }

  const sections = [];
  const main = document.getElementById('kuv-main');
  index.objects.forEach((object, number) => {
    const section = make('section', 'object');
    section.id = 'object-' + number;
    const box = make('details');
    const title = make('summary');
    title.append(make('span', 'object-id', object.id), ' ',
      make('span', 'object-summary', 'well ' + object.wellId + ' \u00b7 ' +
        count(object.tables.length, 'table', 'tables') + ' \u00b7 ' +
        count(object.values, 'value', 'values')));
    const body = make('div', 'object-body');
    box.append(title, body);
    let drawn = false;
    const draw = () => {
      if (drawn) return;
      drawn = true;
      drawObject(number, body);
    };
    box.addEventListener('toggle', () => { if (box.open) draw(); });
    section.append(box);
    main.append(section);
    sections.push({ box, draw });
  });

  const nav = document.getElementById('kuv-objects');
  nav.append(make('h2', '', 'Business objects'));
  const list = make('div', 'list');
  list.append(simpleTable('plain objects', ['ID', 'WellID', 'Date', 'Tables', 'Values'], []));
  nav.append(list);
  const navBody = nav.querySelector('tbody');
  index.objects.forEach((object, number) => {
    const tr = navBody.insertRow();
    const link = make('a', '', object.id);
    link.href = '#object-' + number;
    link.addEventListener('click', () => { sections[number].box.open = true; });
    const id = make('td');
    id.append(link);
    tr.append(id, make('td', '', object.wellId), make('td', '', object.date),
      make('td', '', object.tables.map((t) => t.name + ' (' + t.rows + ')').join(', ')),
      make('td', 'number', object.values.toLocaleString('en-US')));
  });

  // What opens with the page is drawn here rather than on its toggle
  // event, so that it is there when the page reports itself loaded.
  const opened = totalValues <= OPEN_EVERYTHING_UP_TO ? sections : sections.slice(0, 1);
  for (const { box, draw } of opened) {
    draw();
    box.open = true;
  }
})();
