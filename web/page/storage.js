// The browser's storage for the page: the user's firmware files and saved
// states, kept in IndexedDB on this computer only. Nothing is sent anywhere.

const DB = 'orvane';
const STORE = 'files';

function open() {
  return new Promise((resolve, reject) => {
    const req = indexedDB.open(DB, 1);
    req.onupgradeneeded = () => req.result.createObjectStore(STORE);
    req.onsuccess = () => resolve(req.result);
    req.onerror = () => reject(req.error);
  });
}

async function run(mode, work) {
  const db = await open();
  try {
    return await new Promise((resolve, reject) => {
      const tx = db.transaction(STORE, mode);
      const req = work(tx.objectStore(STORE));
      tx.oncomplete = () => resolve(req ? req.result : undefined);
      tx.onerror = () => reject(tx.error);
      tx.onabort = () => reject(tx.error);
    });
  } finally {
    db.close();
  }
}

// The bytes kept under `key` (a Uint8Array), or null.
export async function load(key) {
  const value = await run('readonly', (s) => s.get(key));
  return value ? new Uint8Array(value) : null;
}

export function store(key, bytes) {
  const copy = bytes.slice().buffer;
  return run('readwrite', (s) => s.put(copy, key));
}

export function forget(key) {
  return run('readwrite', (s) => s.delete(key));
}
