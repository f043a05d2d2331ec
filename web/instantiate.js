// Compiles the page's WebAssembly at once where the browser allows it, so
// that the program starts while the page is being read and its first frame
// comes with the page's first paint, not one or more frames after it (as
// when emscripten compiles it in the background, which here it also does
// where compiling at once is refused: Chromium before 114 refuses more
// than 4 KB on the page's own thread). Its bytes are the page's string of
// one character a byte (web/page.cmake).
Module['instantiateWasm'] = function(imports, receive) {
  var text = Module['wasm'], bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  try {
    var module = new WebAssembly.Module(bytes);
    var instance = new WebAssembly.Instance(module, imports);
  } catch (refused) {
    WebAssembly.instantiate(bytes, imports).then(function(result) {
      receive(result.instance, result.module);
    });
    return {};
  }
  receive(instance, module);
  return instance.exports;
};
