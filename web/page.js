// SPDX-License-Identifier: MIT
// Works out the tax with the console program's own code built to WebAssembly
// (tax2008.js), leads with the figure a 2008 Form 1040 uses, and shows how
// the income fills the chosen status's brackets.
'use strict';

// Digits grouped in threes, on decimal text as the C++ code printed it, so
// that no digit passes through a binary number on the way.
const group = (text) => text.replace(/^(-?)(\d+)/, (_, sign, whole) =>
  sign + whole.replace(/\B(?=(\d{3})+$)/g, ','));
const money = (text) => '$' + group(text);
const whole_dollars = (amount) => money(String(amount));

// Whole cents of a decimal text with two decimals, and back.
const cents = (text) => BigInt(text.replace('.', ''));
const decimal = (c) => {
  const digits = (c < 0n ? -c : c).toString().padStart(3, '0');
  return (c < 0n ? '-' : '') + digits.slice(0, -2) + '.' + digits.slice(-2);
};

// How the income of `answer` fills the brackets `rows` (the library's
// schedule), given the printed total tax `total`: for each bracket reached,
// the part of the income in it and the tax on that part, as decimal text.
// A full bracket holds its whole width and its tax is the difference of two
// base amounts, whole cents; the top one holds what the printed total income
// leaves and owes what the printed total tax leaves, so that both columns add
// up to their printed totals.
function fill(rows, answer, total) {
  const parts = [];
  let income_left = cents(answer.income_text);
  for (let i = 0; i < rows.length && answer.income > rows[i].lower_bound; ++i) {
    const row = rows[i];
    const top = !(answer.income > row.upper_bound);
    const width = top ? income_left : BigInt(row.upper_bound - row.lower_bound) * 100n;
    const up_to = top ? cents(total) : cents(rows[i + 1].base_tax.toFixed(2));
    parts.push({row, income: decimal(width), tax: decimal(up_to - cents(row.base_tax.toFixed(2)))});
    income_left -= width;
  }
  return parts;
}

// The Tax Table's column for each status, as the Table heads it.
const columns = {
  'single': 'Single',
  'married-jointly': 'Married filing jointly',
  'married-separately': 'Married filing separately',
  'head-of-household': 'Head of a household',
};

// The figure a 2008 Form 1040 enters on line 44 for `answer`, worked out by
// the library in cents, and where it comes from.
function filing_figure(answer, status) {
  if (answer.figure === '') {
    return {table: '', worksheet: '', source: ' not worked out here: an amount is over ' +
      '$999,999,999,999,999.99, past what this calculator takes to the cent.'};
  }
  if (answer.method === 'capital-gain-worksheet') {
    return {table: '', worksheet: money(answer.figure), source: ', from the Qualified Dividends ' +
      'and Capital Gain Tax Worksheet, whose steps are below.'};
  }
  if (answer.method === 'tax-computation-worksheet') {
    return {table: '', worksheet: money(answer.figure), source: ', from the Tax Computation ' +
      'Worksheet, which gives the rate schedule\'s figure to the cent for a taxable income of ' +
      '$100,000 or more.'};
  }
  const table = money(answer.figure.slice(0, -3));  // the Table's figures are whole dollars
  if (answer.income < 0) {
    return {table, worksheet: '', source: ': a taxable income is never below zero, so a ' +
      'negative one is entered as 0, and the tax on it is 0.'};
  }
  return {table, worksheet: '', source: `, from the 2008 Tax Table: the ${columns[status]} ` +
    `column, on the row for a taxable income of at least ${whole_dollars(answer.table_at_least)} ` +
    `but less than ${whole_dollars(answer.table_less_than)}.`};
}

// Which cent each amount typed with more decimals was taken to, where the
// library took them.
const amount_names = ['the taxable income', 'the qualified dividends', 'the net capital gain'];
function taken_to(answer) {
  if (answer.figure === '') return '';
  const amounts = answer.taken_to.split(' ');
  const taken = amount_names.filter((_, i) => answer.whole[i] === '0')
    .map((name) => `${name} as ${money(amounts[amount_names.indexOf(name)])}`);
  return taken.length === 0 ? '' : `Amounts are taken to the cent, halves up: ${taken.join(', ')}.`;
}

// The worksheet's steps as it words them, with the amounts the library gave,
// for the chosen status's schedule `rows`.
function worksheet_steps(answer, rows) {
  const amounts = answer.worksheet.split(' ');
  const by = (amount) => Number(amount) < 100000 ? 'Tax Table' : 'Tax Computation Worksheet';
  const names = ['Taxable income', 'Qualified dividends', 'Net capital gain (a loss counts as 0)',
    'Qualified dividends and net capital gain', 'The rest of the taxable income (not below 0)',
    `Taxable income, up to ${whole_dollars(rows[1].upper_bound)}, where the 15% bracket ends`,
    'Taxed at 0%', 'Taxed at 15%', '15% of that', `Tax on the rest, from the ${by(amounts[4])}`,
    'The two taxes added', `Tax on all of the taxable income, from the ${by(amounts[0])}`,
    'The smaller of the two: the tax for Form 1040, line 44'];
  return names.map((name, i) => ({name, amount: amounts[i]}));
}

const by_id = (id) => document.getElementById(id);
const text_of = (element) => element.textContent.replace(/\s+/g, ' ').trim();
const percent = (fraction) => +(fraction * 100).toFixed(2) + '%';

function bracket_name({lower_bound, upper_bound}) {
  if (lower_bound === 0) return 'up to ' + whole_dollars(upper_bound);
  const over = 'over ' + whole_dollars(lower_bound);
  return Number.isFinite(upper_bound) ? over + ', up to ' + whole_dollars(upper_bound) : over;
}

// A cell or element whose text is money: never broken inside the figure.
function money_text(element, text) {
  element.textContent = text;
  element.classList.add('money');
  return element;
}

// Clears what an answer showed, so that none stands beside another income.
function clear_answer() {
  for (const id of ['result', 'error', 'table-tax', 'worksheet-tax', 'filing-source', 'taken-to']) {
    by_id(id).textContent = '';
  }
  for (const id of ['filing-figure', 'taken-to', 'not-covered', 'worksheet', 'brackets', 'link']) {
    by_id(id).hidden = true;
  }
  for (const id of boxes) by_id(id).removeAttribute('aria-invalid');
}

// Says `text` in the live region, a repeated answer too: a screen reader
// speaks a region when its text changes, so a repeat differs by a no-break
// space at its end.
function announce(text) {
  const region = by_id('announcement');
  region.textContent = region.textContent === text ? text + '\u00a0' : text;
}

// The three boxes, in the order the library takes them.
const boxes = ['income', 'qualified-dividends', 'capital-gain'];

// `typed`: the text of each box, by id.
function show(module, typed, status) {
  const answer = module.answer(typed.income, status, typed['qualified-dividends'], typed['capital-gain']);
  const taxed = answer.result !== '';
  const total = answer.result.slice(answer.result.indexOf('$') + 1);
  clear_answer();
  by_id('result').textContent = answer.result;
  by_id('error').textContent = answer.error;
  by_id(answer.refused || 'income').setAttribute('aria-invalid', String(!taxed));
  const figure = taxed ? filing_figure(answer, status) : {table: '', worksheet: '', source: ''};
  by_id('table-tax').textContent = figure.table;
  by_id('worksheet-tax').textContent = figure.worksheet;
  by_id('filing-source').textContent = figure.source;
  by_id('filing-figure').hidden = by_id('not-covered').hidden = !taxed;
  by_id('taken-to').textContent = taxed ? taken_to(answer) : '';
  by_id('taken-to').hidden = by_id('taken-to').textContent === '';
  const status_label = document.querySelector(`input[name="status"][value="${status}"]`);
  const gains = boxes.slice(1).filter((id) => typed[id].trim() !== '')
    .map((id) => ` ${text_of(document.querySelector(`label[for="${id}"]`))}: ${typed[id]}.`);
  by_id('print-summary').textContent = `Taxable income: ${typed.income}. Filing status: ` +
    text_of(status_label.parentElement) + '.' + gains.join('');
  announce(taxed ? text_of(by_id('filing-figure')) + ' ' + answer.result
                 : answer.error);

  const rows = module.schedule(status);
  const steps = answer.worksheet === '' ? [] : worksheet_steps(answer, rows);
  by_id('worksheet').hidden = steps.length === 0;
  by_id('steps').replaceChildren(...steps.map((step) => {
    const tr = document.createElement('tr');
    tr.insertCell().textContent = step.name;
    money_text(tr.insertCell(), money(step.amount)).dataset.label = 'Amount';
    return tr;
  }));

  // The two amounts only where they are not 0, so that most links stay short.
  const amounts = answer.taken_to.split(' ');
  const params = {income: typed.income, status};
  boxes.slice(1).forEach((id, i) => {
    if (taxed && typed[id].trim() !== '' && cents(amounts[i + 1]) !== 0n) params[id] = typed[id];
  });
  const link = '#' + new URLSearchParams(params);
  history.replaceState(null, '', link);
  by_id('answer-link').href = link;
  by_id('link').hidden = !taxed;

  const parts = taxed ? fill(rows, answer, total) : [];
  by_id('brackets').hidden = parts.length === 0;
  by_id('rows').replaceChildren(...parts.map((part) => {
    const tr = document.createElement('tr');
    tr.insertCell().textContent = bracket_name(part.row);
    money_text(tr.insertCell(), money(part.income)).dataset.label = 'Income';
    tr.insertCell().textContent = percent(part.row.rate);
    tr.cells[2].dataset.label = 'Rate';
    money_text(tr.insertCell(), money(part.tax)).dataset.label = 'Tax';
    return tr;
  }));
  by_id('bars').replaceChildren(...parts.map((part) => {
    const bar = document.createElement('span');
    bar.style.width = percent(Number(part.income) / Number(answer.income_text));
    bar.textContent = percent(part.row.rate);
    return bar;
  }));
  if (parts.length > 0) {
    by_id('total-income').textContent = money(answer.income_text);
    by_id('total-tax').textContent = money(total);
    by_id('marginal').textContent = percent(parts[parts.length - 1].row.rate);
    by_id('average').textContent = percent(Number(total) / answer.income);
  }
}

// The boxes and status a link holds after its "#", if any.
function linked() {
  const params = new URLSearchParams(location.hash.slice(1));
  const status = params.get('status');
  if (!params.has('income') || !Object.hasOwn(columns, status ?? 'single')) return null;
  return {typed: Object.fromEntries(boxes.map((id) => [id, params.get(id) ?? ''])), status: status ?? 'single'};
}

function cannot_run(error) {
  by_id('starting').hidden = true;
  by_id('error').textContent = 'This browser cannot run the calculator: it needs WebAssembly, ' +
    'which it lacks or has turned off (' + error + '). Open this page in any current browser, ' +
    'or use the tax2008 program at a command line.';
  announce(by_id('error').textContent);
}

// The batch worker's code, run from a Blob URL with the module's own source
// before it: a page opened from file:// can start no worker from a file, and
// such a worker can load no script.
function batch_worker() {
  postMessage({started: true});
  const convert = async (file) => {
    const job = await tax2008();
    job.batch_start();
    const parts = [];
    let read = 0;
    let error = '';
    const reader = file.stream().getReader();
    for (let piece = await reader.read(); !piece.done && error === ''; piece = await reader.read()) {
      error = job.batch_feed(piece.value);
      parts.push(job.batch_take());
      read += piece.value.length;
      postMessage({progress: read / file.size});
    }
    if (error === '') error = job.batch_finish();
    parts.push(job.batch_take());
    postMessage({result: new Blob(parts, {type: 'text/csv'}), totals: job.batch_totals(), error});
  };
  onmessage = ({data: file}) => convert(file).catch((error) => postMessage({failed: String(error)}));
}

// What the summary says of a file's `totals` and `error`.
function batch_summary(name, {totals, error}) {
  const rows = (n) => n === 1 ? '1 row' : `${n} rows`;
  const said = [`${name}: ${rows(totals.rows - totals.refused)} answered, ${totals.refused} refused.`];
  if (totals.first.length > 0) {
    said.push((totals.refused > totals.first.length ? 'The first refused: ' : 'Refused: ') +
              totals.first.map(({line, reason}) => `line ${line}, ${reason}`).join('; ') + '.');
  }
  if (error) said.push(`The file stopped there: ${error}.`);
  return said.join(' ');
}

function start_batch() {
  const chosen = by_id('batch-file');
  const section = by_id('batch');
  const progress = by_id('batch-progress');
  const download = by_id('batch-download');
  let worker = null;
  const convert = (file) => {
    if (!file) return;
    worker?.terminate();
    const source = `var _scriptDir;\nconst tax2008 = (${tax2008});\n(${batch_worker})();\n`;
    const url = URL.createObjectURL(new Blob([source], {type: 'text/javascript'}));
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    if (download.href) URL.revokeObjectURL(download.href);
    download.hidden = true;
    progress.hidden = false;
    progress.value = 0;
    by_id('batch-summary').textContent = `Working out ${file.name}…`;
    worker.onerror = (event) => {
      progress.hidden = true;
      by_id('batch-summary').textContent =
        `${file.name} could not be worked out: ${event.message.replace(/\.$/, '')}.`;
    };
    // Some engines start no worker from a Blob on a page opened from the disk,
    // and say nothing: say it here.
    const silent = setTimeout(() => {
      progress.hidden = true;
      by_id('batch-summary').textContent = 'This browser cannot start the work on a file for a ' +
        'page opened from the disk. Open the page from a web server, or use tax2008-batch.';
    }, 5000);
    worker.onmessage = ({data}) => {
      clearTimeout(silent);
      if (data.started) return;
      if (data.failed) {
        worker.onerror({message: data.failed});
        return;
      }
      if (data.progress !== undefined) {
        progress.value = data.progress;
        return;
      }
      progress.hidden = true;
      by_id('batch-summary').textContent = batch_summary(file.name, data);
      download.href = URL.createObjectURL(data.result);
      download.download = file.name.replace(/\.csv$/i, '') + '-tax2008.csv';
      download.textContent = `Download ${download.download}`;
      download.hidden = false;
      worker.terminate();
      worker = null;
    };
    worker.postMessage(file);
  };
  chosen.addEventListener('change', () => convert(chosen.files[0]));
  section.addEventListener('dragover', (event) => event.preventDefault());
  section.addEventListener('drop', (event) => {
    event.preventDefault();
    convert(event.dataTransfer.files[0]);
  });
  chosen.disabled = false;
}

function start() {
  const input = by_id('income');
  const button = by_id('work-out');
  const status = () => document.querySelector('input[name="status"]:checked').value;
  const typed = () => Object.fromEntries(boxes.map((id) => [id, by_id(id).value]));
  let calculator = null;  // the module, once loaded
  let answered = null;  // the texts the answer shown is for
  const answer = () => {
    answered = JSON.stringify(typed());
    show(calculator, typed(), status());
  };
  const open_link = () => {
    const link = linked();
    if (link) {
      for (const id of boxes) by_id(id).value = link.typed[id];
      document.querySelector(`input[name="status"][value="${link.status}"]`).checked = true;
      answer();
    }
  };
  const ready = (loaded) => {
    calculator = loaded;
    by_id('ask').addEventListener('submit', (event) => {
      event.preventDefault();
      answer();
    });
    for (const radio of document.querySelectorAll('input[name="status"]')) {
      radio.addEventListener('change', () => input.value !== '' && answer());
    }
    by_id('ask').addEventListener('input', () => {
      if (answered !== null && JSON.stringify(typed()) !== answered) {
        answered = null;
        clear_answer();
      }
    });
    addEventListener('hashchange', open_link);
    by_id('copy-link').addEventListener('click', () => {
      const said = (text) => () => { by_id('copied').textContent = text; };
      // No clipboard outside a secure context, such as a plain http host.
      (navigator.clipboard ? navigator.clipboard.writeText(location.href) : Promise.reject())
        .then(said('Copied.'), said('Select the link and copy it.'));
    });
    for (const id of boxes) by_id(id).disabled = false;
    button.disabled = false;
    start_batch();
    by_id('starting').hidden = true;
    open_link();
    input.focus();
    document.documentElement.dataset.readyMs = Math.round(performance.now());
  };
  // Loaded in a task of its own, not in the one that runs this script and
  // first lays out the page: together they made one long task. The loader
  // throws at once where WebAssembly is missing; a failed compile rejects.
  setTimeout(() => {
    try {
      tax2008().then(ready, cannot_run);
    } catch (error) {
      cannot_run(error);
    }
  }, 0);
}

if (typeof document === 'object') start();
if (typeof module === 'object') module.exports = {batch_summary, fill, filing_figure, group, taken_to, worksheet_steps};
