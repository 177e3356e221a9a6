// Defuddle with jsdom over pages already decoded to UTF-8 by the benchmark
// (peer_decode.py): one JSON line per page, {id, title, body, seconds},
// seconds being the processor time spent parsing and extracting it. No URL
// is given (so no site's own extractor applies) and fetching is off: the
// peer sees the page bytes and nothing else, as ours does. The body is the
// text of its HTML result, read as the Mozilla Readability runner reads its
// own (textContent, blank lines dropped).
import fs from 'node:fs';
import path from 'node:path';
import { JSDOM, VirtualConsole } from 'jsdom';
import { Defuddle } from 'defuddle/node';

const quiet = new VirtualConsole();
for (const file of process.argv.slice(2)) {
  const page = fs.readFileSync(file, 'utf8');
  const start = process.cpuUsage();
  let title = '';
  let content = '';
  try {
    const dom = new JSDOM(page, { virtualConsole: quiet });
    const result = await Defuddle(dom.window.document, undefined, { useAsync: false });
    if (result) {
      title = result.title || '';
      content = result.content || '';
    }
  } catch (e) { /* a page the peer cannot read counts as empty */ }
  const used = process.cpuUsage(start);
  let body = '';
  if (content) {
    const text = JSDOM.fragment(content).textContent || '';
    body = text.split('\n').map((l) => l.trim()).filter((l) => l).join('\n');
  }
  const id = path.basename(file).split('.')[0];
  fs.writeSync(1, JSON.stringify({ id, title, body, seconds: (used.user + used.system) / 1e6 }) + '\n');
}
