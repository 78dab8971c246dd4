// A tiny static server for the page: the folder it is given, on the
// loopback address only, until it is stopped (Ctrl-C).
//   node web/serve.mjs FOLDER [PORT]
import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm', '.png': 'image/png', '.json': 'application/json',
  '.wav': 'audio/wav', '.txt': 'text/plain; charset=utf-8',
};

// Starts serving `folder`; resolves to the server once it listens
// (port 0: any free port, `server.address().port` tells which).
export function serve(folder, port = 8080, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer((req, res) => {
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      res.writeHead(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    let file = resolve(join(root, path));
    if (file !== root && !file.startsWith(root + sep)) {
      res.writeHead(403).end();
      return;
    }
    let st;
    try {
      st = statSync(file);
      if (st.isDirectory()) {
        file = join(file, 'index.html');
        st = statSync(file);
      }
    } catch {
      st = null;
    }
    if (!st || !st.isFile()) {
      res.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('Not found\n');
      return;
    }
    res.writeHead(200, {
      'Content-Type': TYPES[extname(file).toLowerCase()] || 'application/octet-stream',
      'Content-Length': st.size,
      'Cache-Control': 'no-cache',
    });
    if (req.method === 'HEAD')
      res.end();
    else
      createReadStream(file).pipe(res);
  });
  return new Promise((ok, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => ok(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const folder = process.argv[2] || '.';
  const port = Number(process.argv[3] || 8080);
  serve(folder, port).then(
    (s) => console.log(`Orvane: http://127.0.0.1:${s.address().port}/ (Ctrl-C stops)`),
    (e) => {
      console.error(`orvane: cannot serve on 127.0.0.1:${port}: ${e.message}`);
      process.exit(1);
    });
}
