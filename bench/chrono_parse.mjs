// chrono-node on the lines linecal's benchmarks use, for the comparison in
// bench/compare_chrono.sh. Loads chrono-node from NODE_PATH (a temporary folder).
//   node chrono_parse.mjs warm FILE   per-line time of chrono.parse, warm, over FILE's lines
//   node chrono_parse.mjs lines       one JSON line of results per line of standard input
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

const require = createRequire(join(process.env.NODE_PATH ?? process.cwd(), 'noop.js'));
const chrono = require('chrono-node');
// The benchmarks' `now`: Wednesday 10 March 2010, 15:00 (run with TZ=America/Los_Angeles).
const reference = new Date(2010, 2, 10, 15, 0, 0);

const [mode, file] = process.argv.slice(2);
if (mode === 'warm') {
  const lines = readFileSync(file, 'utf8').split('\n').filter((l) => l.length > 0);
  const round = () => { for (const line of lines) chrono.parse(line, reference); };
  for (let i = 0; i < 200; ++i) round();  // let the JIT settle
  const times = [];
  for (let r = 0; r < 15; ++r) {
    const rounds = 200, start = process.hrtime.bigint();
    for (let i = 0; i < rounds; ++i) round();
    times.push(Number(process.hrtime.bigint() - start) / 1000 / rounds / lines.length);
  }
  times.sort((a, b) => a - b);
  console.log(JSON.stringify({ lines: lines.length, microsPerLine: times[Math.floor(times.length / 2)] }));
} else if (mode === 'lines') {
  const input = readFileSync(0, 'utf8').split('\n');
  const out = [];
  for (const line of input) {
    if (line.trim() === '') continue;
    out.push(JSON.stringify(chrono.parse(line, reference)));
  }
  process.stdout.write(out.join('\n') + '\n');
} else {
  console.error('usage: chrono_parse.mjs warm FILE | lines');
  process.exit(2);
}
