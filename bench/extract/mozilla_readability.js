// Mozilla Readability with jsdom over pages already decoded to UTF-8 by the
// benchmark (peer_decode.py): one JSON line per page, {id, title, body,
// seconds}, seconds being the processor time spent parsing and extracting it.
const fs = require('fs');
const path = require('path');
const { JSDOM, VirtualConsole } = require('jsdom');
const { Readability } = require('@mozilla/readability');

const quiet = new VirtualConsole();
for (const file of process.argv.slice(2)) {
  const page = fs.readFileSync(file, 'utf8');
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
  const id = path.basename(file).split('.')[0];
  fs.writeSync(1, JSON.stringify({ id, title, body, seconds: (used.user + used.system) / 1e6 }) + '\n');
}
