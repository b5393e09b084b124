// SPDX-License-Identifier: MIT
// The console cases through the page's entry, under node: for each, the
// page gives the console's result line, or its error line without the
// program's name. Where there is a result, the brackets' printed cents add
// up to the printed total.
// usage: node page_test.js SITE-DIRECTORY CONSOLE-CASES
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const [site, cases_file] = process.argv.slice(2);
const tax2008 = require(path.resolve(site, 'tax2008.js'));
const {fill} = require(path.resolve(site, 'page.js'));

const escapes = {n: '\n', t: '\t', r: '\r', a: '\x07', '\\': '\\'};
const unescape = (text) => Buffer.from(text.replace(/\\(x[0-9a-fA-F]{2}|.)/g, (_, e) =>
  e[0] === 'x' ? String.fromCharCode(parseInt(e.slice(1), 16)) : escapes[e] ?? e), 'latin1');

tax2008().then((module) => {
  const rows = module.schedule();
  let checked = 0;
  for (const line of fs.readFileSync(cases_file, 'latin1').split('\n')) {
    const [name, input, expected] = line.split('\t');
    if (line.startsWith('#') || expected === undefined) continue;
    // The bytes as a page would pass them: text typed, in UTF-8.
    const answer = module.answer(unescape(input).toString('utf8'));
    const refusal = expected.match(/^refused: (.*)/);
    if (refusal) {
      assert.strictEqual(answer.result, '', name);
      assert.ok(answer.error.startsWith(refusal[1] + '; type a plain number'), `${name}: ${answer.error}`);
    } else {
      assert.deepStrictEqual([answer.result, answer.error], ['Your 2008 tax is: $' + expected, ''], name);
      const parts = fill(rows, answer.income, expected);
      const sum = parts.reduce((cents, part) => cents + BigInt(part.tax.replace('.', '')), 0n);
      assert.strictEqual(sum, parts.length ? BigInt(expected.replace('.', '')) : 0n, name);
    }
    ++checked;
  }
  assert.ok(checked >= 70, `only ${checked} cases`);
  console.log(`${checked} console cases: the page's entry gives the console's answer`);
}).catch((error) => {
  console.error(error.message);  // not the module's source, which the stack would quote
  process.exit(1);
});
