// SPDX-License-Identifier: MIT
// The page's entry under node. For each console case, the single filer's
// answer is the console's result line, or its error line without the
// program's name. For every case and status, the brackets' printed incomes
// and taxes add up to the printed totals. The figure to file and the result
// line by status come from a table of published figures.
// usage: node page_test.js SITE-DIRECTORY CONSOLE-CASES
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const [site, cases_file] = process.argv.slice(2);
const tax2008 = require(path.resolve(site, 'tax2008.js'));
const {fill, filing_figure, group, taken_to, worksheet_steps} = require(path.resolve(site, 'page.js'));

const escapes = {n: '\n', t: '\t', r: '\r', a: '\x07', '\\': '\\'};
const unescape = (text) => Buffer.from(text.replace(/\\(x[0-9a-fA-F]{2}|.)/g, (_, e) =>
  e[0] === 'x' ? String.fromCharCode(parseInt(e.slice(1), 16)) : escapes[e] ?? e), 'latin1');
const advice = '; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign';
const statuses = ['single', 'married-jointly', 'married-separately', 'head-of-household'];

// income, then for each status: the figure to file and the result line's amount
// (worked out with exact fractions by tests/make_golden.py's schedules)
const by_status = [
  ['50000', ['$8,850', '8843.75'], ['$6,701', '6697.50'], ['$8,850', '8843.75'], ['$7,569', '7562.50']],
  ['150000', ['$35,978.25', '35978.25'], ['$30,744.00', '30744.00'], ['$38,864.50', '38864.50'],
    ['$33,683.00', '33683.00']],
  ['99999.99', ['$21,971', '21978.25'], ['$17,681', '17687.50'], ['$22,365', '22372.00'],
    ['$20,056', '20062.50']],
  ['-5000', ['$0', '0.00'], ['$0', '0.00'], ['$0', '0.00'], ['$0', '0.00']],
];

// What the page shows for `typed` and `status`: the answer, the figure to
// file, and the brackets, checked to add up.
function page(module, typed, status, dividends = '', gain = '') {
  const answer = module.answer(typed, status, dividends, gain);
  if (answer.result === '') return {answer};
  const total = answer.result.slice(answer.result.indexOf('$') + 1);
  const parts = fill(module.schedule(status), answer, total);
  const sum = (key) => parts.reduce((c, part) => c + BigInt(part[key].replace('.', '')), 0n);
  const name = `${status} ${typed.slice(0, 20)}`;
  if (parts.length > 0) {
    assert.strictEqual(sum('income'), BigInt(answer.income_text.replace('.', '')), name);
    assert.strictEqual(sum('tax'), BigInt(total.replace('.', '')), name);
  }
  const figure = filing_figure(answer, status);
  return {answer, total, figure: figure.table + figure.worksheet, source: figure.source};
}

tax2008().then((module) => {
  let checked = 0;
  for (const line of fs.readFileSync(cases_file, 'latin1').split('\n')) {
    const [name, input, expected] = line.split('\t');
    if (line.startsWith('#') || expected === undefined) continue;
    // The bytes as a page would pass them: text typed, in UTF-8.
    const typed = unescape(input).toString('utf8');
    const {answer} = page(module, typed, 'single');
    const refusal = expected.match(/^refused: (.*)/);
    if (refusal) {
      assert.strictEqual(answer.result, '', name);
      assert.ok(answer.error.startsWith(refusal[1] + '; type a plain number'), `${name}: ${answer.error}`);
    } else {
      assert.deepStrictEqual([answer.result, answer.error], ['Your 2008 tax is: $' + expected, ''], name);
    }
    statuses.forEach((status) => page(module, typed, status));
    ++checked;
  }
  assert.ok(checked >= 70, `only ${checked} cases`);

  for (const [typed, ...figures] of by_status) {
    statuses.forEach((status, i) => {
      const shown = page(module, typed, status);
      assert.deepStrictEqual([shown.figure, shown.total], figures[i], `${status} ${typed}`);
      assert.strictEqual(shown.answer.result, 'Your 2008 tax is: $' + figures[i][1]);
    });
  }
  const fifty = page(module, '50000', 'married-jointly').source;
  assert.ok(fifty.includes('Married filing jointly column') &&
            fifty.includes('at least $50,000 but less than $50,050'), fifty);
  assert.ok(page(module, '150000', 'single').source.includes('Tax Computation Worksheet'));
  assert.ok(page(module, '-5000', 'single').source.includes('never below zero'));
  // The figure to file with dividends and gains, as a return states it
  // (the library's own rows are tested in C++), each box read by the reader.
  const returns = [
    ['50000', 'single', '5000', '', '$8,350.00', 'capital-gain-worksheet', ''],
    ['35000', 'single', '3000', '2000', '$4,470.50', 'capital-gain-worksheet', ''],
    ['40000', 'married-separately', '', '-3000', '$6,350', 'table', ''],
    ['357700.10', 'single', '0', '0', '$103,791.79', 'tax-computation-worksheet', ''],
    ['357700.105', 'single', '0.004', '1e1', '$103,789.99', 'capital-gain-worksheet',
     'Amounts are taken to the cent, halves up: the taxable income as $357,700.11, ' +
     'the qualified dividends as $0.00.'],
    ['50000', 'single', '5,000', '', '', '', 'Qualified dividends: the number runs into other characters' + advice],
    ['50000', 'single', '', 'abc', '', '', 'Net capital gain: the amount is not a number' + advice],
    ['50000', 'single', '-1', '', '', '', 'Qualified dividends: they are never below 0; type the amount on Form 1040, line 9b'],
    ['1e300', 'single', '', '', '', '', ''],
  ];
  for (const [typed, status, dividends, gain, want, method, words] of returns) {
    const shown = page(module, typed, status, dividends, gain);
    const said = shown.answer.error || taken_to(shown.answer);
    assert.deepStrictEqual([shown.figure ?? '', shown.answer.method, said], [want, method, words], typed);
  }
  const steps = worksheet_steps(module.answer('35000', 'single', '3000', '2000'), module.schedule('single'));
  assert.deepStrictEqual(steps.map((step) => step.amount), ['35000.00', '3000.00', '2000.00', '5000.00',
    '30000.00', '32550.00', '2550.00', '2450.00', '367.50', '4103.00', '4470.50', '5100.00', '4470.50']);
  assert.ok(page(module, '1e300', 'single').source.includes('not worked out here'));
  // Grouped as decimal text: no digit changes, however long the figure.
  assert.strictEqual(group('-123456789012345678901234.50'), '-123,456,789,012,345,678,901,234.50');
  console.log(`${checked} console cases: the page's entry gives the console's answer, and the` +
              ` brackets add up for all ${statuses.length} statuses; ${by_status.length} incomes by status`);
}).catch((error) => {
  console.error(error.message);  // not the module's source, which the stack would quote
  process.exit(1);
});
