// The page around the web player: loads the show's files (show.js, made by tools/web-pack)
// and the player (zamp.js), shows their progress, starts the show on one click (browsers
// start sound only on a gesture), and shows the player's messages in place of the picture.
// Page parameters: ?at=T keeps the demo time at T; ?silent mutes the speakers while the
// audio graph still runs (tests read window.zampAudioStats); ?autostart starts without the
// click, the music as soon as the browser lets sound start (at once where it allows sound
// without a gesture, else at the first click or key); ?size=WxH sets the back
// buffer (default: the 4:3 area the window holds, in device pixels).
(function () {
  'use strict';
  const params = new URLSearchParams(window.location.search);
  const canvas = document.getElementById('canvas');
  const panel = document.getElementById('panel');
  const bar = document.querySelector('#progress div');
  const message = document.getElementById('message');
  const startButton = document.getElementById('start');

  // What the page has got to, for people and tests alike: loading, ready, playing, ended, error.
  function setState(state) { document.body.dataset.state = state; }
  setState('loading');

  function showText(text, isError) {
    panel.hidden = false;
    canvas.style.visibility = 'hidden';
    document.getElementById('progress').hidden = true;
    startButton.hidden = true;
    message.textContent = text;
    message.className = isError ? 'error' : '';
  }

  function fail(text) {
    console.error('zamp: ' + text);
    showText(text, true);
    setState('error');
  }

  // The back buffer: ?size, else the largest 4:3 area in the window, in device pixels.
  function backBufferSize() {
    const asked = /^(\d+)x(\d+)$/.exec(params.get('size') || '');
    if (asked) return asked[1] + 'x' + asked[2];
    const ratio = window.devicePixelRatio || 1;
    const width = Math.min(window.innerWidth, window.innerHeight * 4 / 3) * ratio;
    return Math.max(1, Math.round(width)) + 'x' + Math.max(1, Math.round(width * 3 / 4));
  }

  function playerArguments() {
    const args = ['--size', backBufferSize()];
    if (params.has('at')) args.push('--at', params.get('at'));
    return args;
  }

  let ready = false, clicked = false, started = false;

  async function start() {
    if (started || !ready || !clicked) return;
    started = true;
    message.textContent = 'Starting\u2026';
    try {
      Module.zampAudio = await zampOpenAudioGraph('audio-worklet.js', params.has('silent'));
    } catch (e) {
      console.error('zamp: no sound: ' + e);
      Module.zampAudio = null;
    }
    resumeOnGesture(Module.zampAudio);
    setState('playing');
    Module.callMain(playerArguments());
    canvas.focus();
  }

  // A browser that holds sound until a gesture (?autostart without the click) lets it start
  // on the first click or key on the page.
  function resumeOnGesture(graph) {
    if (!graph || graph.context.state === 'running') return;
    const resume = () => graph.context.resume().catch(() => {});
    for (const type of ['pointerdown', 'keydown', 'touchend']) window.addEventListener(type, resume, { once: true });
  }

  startButton.addEventListener('click', () => { clicked = true; start(); });

  window.Module = {
    canvas: canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    // Progress from the show's file package and the run dependencies (the player's code).
    setStatus: (text) => {
      const m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || '');
      if (m && Number(m[2]) > 0) bar.style.width = (100 * Number(m[1]) / Number(m[2])).toFixed(1) + '%';
    },
    onRuntimeInitialized: () => {
      ready = true;
      bar.style.width = '100%';
      setState('ready');
      if (params.has('autostart')) clicked = true;
      message.textContent = 'Click to play. Esc ends the show.';
      startButton.hidden = false;
      start();
    },
    onAbort: (what) => fail('The player stopped: ' + what),
    // Called by the player (its message boxes, its start and its end).
    showMessage: (caption, text) => {
      console.error(caption + ': ' + text);
      showText(caption + '\n\n' + text, true);
      setState('error');
    },
    showCanvas: () => {
      panel.hidden = true;
      canvas.style.visibility = 'visible';
      // The player draws its first frame in the next animation frame: the one after it
      // sees it drawn.
      requestAnimationFrame(() => requestAnimationFrame(() => { window.zampFirstFrameAt = performance.now(); }));
    },
    showEnded: () => {
      if (document.body.dataset.state === 'error') return;
      showText('The show has ended. Reload the page to watch it again.', false);
      setState('ended');
    },
  };

  window.addEventListener('error', (event) => fail(String(event.message || event)));

  function load(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error('cannot load ' + src));
      document.body.appendChild(script);
    });
  }

  load('show.js').then(() => load('zamp.js')).catch((e) => fail(e.message + ' (is the page served over HTTP?)'));
})();
