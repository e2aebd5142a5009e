// A worker that compiles the core's WebAssembly as it arrives, off the page's thread, and hands
// the compiled module to the page, which only instantiates it. Message in: the module's address;
// out: { module } or { error }.

self.addEventListener('message', async ({ data: address }) => {
  try {
    self.postMessage({ module: await WebAssembly.compileStreaming(fetch(address)) });
  } catch (error) {
    self.postMessage({ error: String(error) });
  }
});
