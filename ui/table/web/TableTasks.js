// The page's side of the table worker (tableWorker.js): one module worker, started soon after the
// calculator is ready (startTableWorker) or at the first task, whichever comes first. Each task is
// a request that the worker answers once; a table's progress comes to the task that asked for it.
// When the worker fails (its WebAssembly aborted, say, out of memory), the next task starts a new
// one.

let worker = null;
let ready = null;
let nextId = 1;
const waiting = new Map(); // id -> { resolve, reject, onProgress }

function failAll(error) {
  for (const task of waiting.values()) task.reject(error);
  waiting.clear();
  worker?.terminate();
  worker = null;
  ready = null;
}

function receive({ data }) {
  if (data.type === 'progress') {
    for (const task of waiting.values()) task.onProgress?.(data.fraction);
    return;
  }
  const task = waiting.get(data.id);
  if (!task) return;
  waiting.delete(data.id);
  if (data.failed === undefined) {
    task.resolve(data);
  } else {
    task.reject(new Error(data.failed));
    failAll(new Error(data.failed));
  }
}

// Starts the worker unless it runs; resolves once its WebAssembly is ready.
export function startTableWorker() {
  if (ready) return ready;
  worker = new Worker(new URL('./tableWorker.js', import.meta.url), { type: 'module' });
  ready = new Promise((resolve, reject) => {
    worker.addEventListener('message', ({ data }) => {
      if (data.type !== 'ready') return;
      if (data.failed !== undefined) return reject(new Error(data.failed));
      performance.mark('tarnwick-table-ready'); // the tools answer at once from here
      resolve();
    });
    worker.addEventListener('error', (event) => {
      const error = new Error(event.message || 'The table worker could not start.');
      reject(error);
      failAll(error);
    });
  });
  worker.addEventListener('message', receive);
  ready.catch(() => {}); // said by the task that waits for it
  return ready;
}

// Hands the worker a task; resolves to its answer. `transfer`: buffers handed over, not copied.
export async function runTask(type, payload = {}, { onProgress, transfer = [] } = {}) {
  startTableWorker();
  const id = nextId++;
  const answer = new Promise((resolve, reject) => waiting.set(id, { resolve, reject, onProgress }));
  worker.postMessage({ id, type, ...payload }, transfer);
  return answer;
}
