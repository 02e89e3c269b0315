// A static file server for the package directory on 127.0.0.1 (browsers load ES modules
// over HTTP, not from file: URLs). serve(root) resolves to { url, requests, close }, where
// requests lists the paths asked for, in order.
import { createServer } from "node:http";
import { readFile } from "node:fs/promises";
import { extname, join, normalize, resolve, sep } from "node:path";

const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".mjs": "text/javascript",
  ".json": "application/json", ".css": "text/css", ".wasm": "application/wasm" };

export function serve(root) {
  const base = resolve(root) + sep;
  const requests = [];
  const server = createServer(async (request, response) => {
    const pathname = decodeURIComponent(new URL(request.url, "http://x").pathname);
    requests.push(pathname);
    const path = normalize(join(base, pathname));
    if (!path.startsWith(base)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(path);
      response.writeHead(200, { "content-type": types[extname(path)] ?? "application/octet-stream" }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => {
    server.listen(0, "127.0.0.1", () => {
      resolve({ url: `http://127.0.0.1:${server.address().port}/`, requests, close: () => server.close() });
    });
  });
}
