// Mozilla Readability with jsdom over pages: one JSON line per page like
// ./run --extract, and the processor time spent parsing and extracting on stderr.
const fs = require('fs');
const path = require('path');
const { JSDOM, VirtualConsole } = require('jsdom');
const { Readability } = require('@mozilla/readability');

function decode(raw) {
  const boms = [[[0xef, 0xbb, 0xbf], 'utf-8'], [[0xff, 0xfe], 'utf-16le'], [[0xfe, 0xff], 'utf-16be']];
  for (const [bom, enc] of boms) {
    if (bom.every((b, i) => raw[i] === b)) return new TextDecoder(enc).decode(raw.subarray(bom.length));
  }
  const head = raw.subarray(0, 4096).toString('latin1');
  const m = /(?:charset|encoding)\s*=\s*["']?([A-Za-z0-9_-]+)/i.exec(head);
  if (m) {
    let name = m[1].toLowerCase();
    if (name === 'gb2312' || name === 'gbk') name = 'gb18030';
    try { return new TextDecoder(name).decode(raw); } catch (e) { /* unknown name */ }
  }
  try { return new TextDecoder('utf-8', { fatal: true }).decode(raw); } catch (e) {
    return new TextDecoder('gb18030').decode(raw);
  }
}

let spent = 0;
const quiet = new VirtualConsole();
for (const file of process.argv.slice(2)) {
  const page = decode(fs.readFileSync(file));
  const start = process.cpuUsage();
  let title = '';
  let body = '';
  try {
    const dom = new JSDOM(page, { virtualConsole: quiet });
    const article = new Readability(dom.window.document).parse();
    if (article) {
      title = article.title || '';
      body = (article.textContent || '').split('\n').map((l) => l.trim()).filter((l) => l).join('\n');
    }
  } catch (e) { /* a page the peer cannot read counts as empty */ }
  const used = process.cpuUsage(start);
  spent += used.user + used.system;
  console.log(JSON.stringify({ id: path.basename(file).replace(/\.[^.]*$/, ''), title, body }));
}
console.error(`seconds ${(spent / 1e6).toFixed(6)}`);
