// SPDX-License-Identifier: MIT
// Works out the tax with the console program's own code built to WebAssembly
// (tax2008.js), and shows how the income fills the brackets.
'use strict';

const money = new Intl.NumberFormat('en-US', {minimumFractionDigits: 2, maximumFractionDigits: 2});
const dollars = (amount) => '$' + money.format(amount);  // a number, or decimal text as it stands
const whole_dollars = (amount) => '$' + amount.toLocaleString('en-US');

// Whole cents of a decimal text with two decimals, and back.
const cents = (text) => BigInt(text.replace('.', ''));
const decimal = (c) => {
  const digits = c.toString().padStart(3, '0');
  return digits.slice(0, -2) + '.' + digits.slice(-2);
};

// How `income` fills the brackets `rows` (the library's schedule), given the
// printed `total`: for each bracket reached, the part of the income in it and
// the tax on that part, as decimal text. A full bracket's tax is the
// difference of two base amounts, whole cents; the top one's is what the
// total leaves, so that the printed cents add up to the printed total.
function fill(rows, income, total) {
  const parts = [];
  for (let i = 0; i < rows.length && income > rows[i].lower_bound; ++i) {
    const row = rows[i];
    const top = !(income > row.upper_bound);
    const up_to = top ? cents(total) : cents(rows[i + 1].base_tax.toFixed(2));
    parts.push({
      row,
      income: (top ? income : row.upper_bound) - row.lower_bound,
      tax: decimal(up_to - cents(row.base_tax.toFixed(2))),
    });
  }
  return parts;
}

const by_id = (id) => document.getElementById(id);
const percent = (fraction) => +(fraction * 100).toFixed(2) + '%';

function bracket_name({lower_bound, upper_bound}) {
  if (lower_bound === 0) return 'up to ' + whole_dollars(upper_bound);
  const over = 'over ' + whole_dollars(lower_bound);
  return Number.isFinite(upper_bound) ? over + ', up to ' + whole_dollars(upper_bound) : over;
}

function show(module, rows, typed) {
  const answer = module.answer(typed);
  const taxed = answer.result !== '';
  by_id('result').textContent = answer.result;
  by_id('error').textContent = answer.error;
  by_id('income').setAttribute('aria-invalid', String(!taxed));
  const in_table = taxed && !Number.isNaN(answer.table_tax);
  by_id('table-tax').textContent = in_table ? whole_dollars(answer.table_tax) : '';
  by_id('table-note').hidden = !in_table;
  by_id('schedule-note').hidden = !taxed || in_table;

  const total = answer.result.slice(answer.result.indexOf('$') + 1);
  const parts = taxed ? fill(rows, answer.income, total) : [];
  by_id('brackets').hidden = parts.length === 0;
  by_id('rows').replaceChildren(...parts.map((part) => {
    const tr = document.createElement('tr');
    for (const text of [bracket_name(part.row), dollars(part.income), percent(part.row.rate),
                        dollars(part.tax)]) {
      tr.insertCell().textContent = text;
    }
    return tr;
  }));
  by_id('bars').replaceChildren(...parts.map((part) => {
    const bar = document.createElement('span');
    bar.style.width = percent(part.income / answer.income);
    bar.textContent = percent(part.row.rate);
    return bar;
  }));
  if (parts.length > 0) {
    by_id('total-income').textContent = dollars(answer.income);
    by_id('total-tax').textContent = dollars(total);
    by_id('marginal').textContent = percent(parts[parts.length - 1].row.rate);
    by_id('average').textContent = percent(Number(total) / answer.income);
  }
}

function start() {
  const input = by_id('income');
  const button = by_id('work-out');
  tax2008().then((module) => {
    const rows = module.schedule();
    by_id('ask').addEventListener('submit', (event) => {
      event.preventDefault();
      show(module, rows, input.value);
    });
    input.disabled = button.disabled = false;
    input.focus();
    document.documentElement.dataset.readyMs = Math.round(performance.now());
  }, (error) => {
    by_id('error').textContent = 'This browser could not start the calculator: ' + error;
  });
}

if (typeof document === 'object') start();
if (typeof module === 'object') module.exports = {fill};
