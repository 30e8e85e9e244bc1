// The merge an engineer might write in SQL with DuckDB (the @duckdb/node-api
// package, two threads): each logger file read with its time stamps parsed,
// put on the grid (label and closed on the right, mean), all columns side by
// side, one CSV written, in one statement.
//
//   node duckdb_merge.js OUTPUT.csv MINUTES FILE...
//
'use strict';
const { DuckDBInstance } = require('@duckdb/node-api');

function quoted(text) {
  return "'" + text.replaceAll("'", "''") + "'";
}

// The readings of one file with its time stamp as the column "t". The layout
// is told by the header and the first line, as the pandas script tells it.
function loggerRows(path) {
  const fs = require('fs');
  const fd = fs.openSync(path, 'r');
  const buffer = Buffer.alloc(4096);
  const length = fs.readSync(fd, buffer, 0, buffer.length, 0);
  fs.closeSync(fd);
  const [header, first = ''] = buffer.toString('latin1', 0, length).split(/\r?\n/);
  const file = quoted(path);
  if (header.startsWith('Date,Time,')) {
    return `SELECT * EXCLUDE (Date, Time), Date + Time AS t FROM read_csv(${file}, header = true, ` +
      `dateformat = '%m/%d/%Y', types = {'Date': 'DATE', 'Time': 'TIME'})`;
  }
  const stamp = header.split(',')[0];
  const format = first.includes('T') ? '%Y-%m-%dT%H:%M:%SZ' : '%Y%m%d-%H:%M:%S';
  return `SELECT * EXCLUDE ("${stamp}"), "${stamp}" AS t FROM read_csv(${file}, header = true, ` +
    `timestampformat = '${format}', types = {'${stamp}': 'TIMESTAMP'})`;
}

async function main() {
  const [output, minutes, ...files] = process.argv.slice(2);
  const parts = files.map(loggerRows);
  const step = Number(minutes) * 60;
  const means = parts.map((rows) => `(SELECT to_timestamp(ceil(epoch(t) / ${step}) * ${step})::TIMESTAMP AS t,
      round(avg(COLUMNS(* EXCLUDE (t))), 2) FROM (${rows}) GROUP BY 1)`);
  const joined = means.map((mean, i) => (i === 0 ? mean : ` FULL OUTER JOIN ${mean} USING (t)`)).join('');
  const sql = `COPY (SELECT * FROM ${joined} ORDER BY t) TO ${quoted(output)} (HEADER, DELIMITER ',')`;
  const instance = await DuckDBInstance.create(':memory:', { threads: '2' });
  const connection = await instance.connect();
  await connection.run(sql);
}

main().catch((error) => {
  console.error(error.message || error);
  process.exit(1);
});
