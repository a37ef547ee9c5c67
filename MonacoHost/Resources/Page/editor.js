// The editor page's side of the host. The editor's modules are required
// while the page loads, so the host finds `monaco` once loading has finished;
// the host then calls `editor.create` with the options it was given, the
// text as the Base64 of its UTF-8 bytes decoded by atob, one character per
// byte. Every change of the text goes back to the host the same way.
//
// Keys reach the page by another way than the host's scripts, and a script
// may run before keys sent ahead of it. So when the host needs the text the
// editor shows, it sends a key of its own behind the user's: the page takes
// it after every key before it and answers with the whole text. The key's
// value is one character of the last private-use plane, which no keyboard
// has, and tells the host which of its keys is answered.
(function () {
  'use strict';

  require.config({ paths: { vs: 'vs' } });
  require(['vs/editor/editor.main'], function () {
    // A page read from a file has no origin a worker could load its script
    // from; refusing the worker at once makes the editor run that code here.
    self.MonacoEnvironment.getWorker = function () {
      throw new Error('The editor page runs without workers.');
    };
  });

  function textOfBytes(bytes) {
    return new TextDecoder().decode(Uint8Array.from(bytes, function (c) { return c.charCodeAt(0); }));
  }

  function base64OfText(text) {
    var bytes = new TextEncoder().encode(text);
    var chunks = [];
    // Spread in slices: one call with every byte would overflow the stack.
    for (var start = 0; start < bytes.length; start += 0x8000) {
      chunks.push(String.fromCharCode.apply(null, bytes.subarray(start, start + 0x8000)));
    }
    return btoa(chunks.join(''));
  }

  var current = null;

  // The host's key, kept from the editor, which would type its character;
  // false for every other key. A keyboard's key has a place on the keyboard
  // even when a key map gives it such a character, which the user means to
  // type; the host's has none.
  function isShownTextKey(event) {
    var value = event.key.codePointAt(0);
    if (event.code !== '' || event.key.length !== 2 || value < 0x100000 || value > 0x10fffd) return false;
    event.preventDefault();
    event.stopImmediatePropagation();
    return true;
  }
  // Before the editor's own listeners, which must not see the key.
  window.addEventListener('keydown', function (event) {
    if (isShownTextKey(event)) {
      messageHandlers.shownText.postMessage({
        key: event.key.codePointAt(0),
        text: current ? base64OfText(current.getValue()) : null
      });
    }
  }, true);
  window.addEventListener('keyup', isShownTextKey, true);

  window.editor = {
    create: function (options) {
      // A second creation replaces the editor instead of stacking another.
      if (current) current.dispose();
      options.value = textOfBytes(options.value);
      // Pasted text goes in while its key is handled, not a moment later
      // after asking for other ways to paste it: a text asked for right
      // after a paste holds it.
      options.pasteAs = { enabled: false };
      var instance = monaco.editor.create(document.getElementById('container'), options);
      instance.onDidChangeModelContent(function () {
        messageHandlers.updateText.postMessage(base64OfText(instance.getValue()));
      });
      current = instance;
      return instance;
    }
  };
})();
