// The JavaScript half of the web back end, linked into the player with --js-library: music
// tracks on the page's Web Audio graph, and the page's message and start-up hooks. The graph
// itself (an AudioContext with the worklets, made on the click that starts the show) is
// Module.zampAudio, set up by audio-graph.js; without it every track plays silently, timed
// by the clock alone.

var LibraryZampWeb = {
  $ZampTracks__deps: ['malloc', 'free'],
  $ZampTracks: {
    tracks: {},
    next: 1,
    graph: function() { return Module['zampAudio'] || null; },
    now: function() {
      var g = ZampTracks.graph();
      return g ? g.context.currentTime : performance.now() / 1000;
    },
    // Frames asked of the module decoder per message from the worklet: 93 ms at 44.1 kHz.
    chunkFrames: 4096,

    make: function(kind) {
      var id = ZampTracks.next++;
      var g = ZampTracks.graph();
      var t = { kind: kind, started: false, stopped: false, fadeEnd: null, gain: null, node: null, pausedAt: null,
                heldSince: null };
      if (g) {
        t.gain = g.context.createGain();
        t.gain.connect(g.input);
        ZampTracks.watch(g);
      }
      ZampTracks.tracks[id] = t;
      return id;
    },

    startStream: function(t) {
      var g = ZampTracks.graph();
      var source = g.context.createBufferSource();
      source.buffer = t.buffer;
      source.loop = true;
      source.connect(t.gain);
      var duration = t.buffer.duration;
      // A start past the end plays from the beginning; the time spent decoding is caught up.
      var from = t.from < duration ? t.from : 0;
      var offset = (from + (g.context.currentTime - t.requestedAt)) % duration;
      source.start(0, offset);
      t.node = source;
    },

    // Where the music stands, in seconds from its beginning, counting on through loops.
    position: function(t) {
      if (!t.started) return 0;
      return t.from + (t.pausedAt !== null ? t.pausedAt : ZampTracks.now()) - t.requestedAt;
    },

    // A stream's node cannot pause or jump: a new one starts where the music stands.
    restartStream: function(t) {
      if (!t.node || t.kind !== 'stream' || t.stopped) return;
      t.node.stop();
      t.node.disconnect();
      t.node = null;
      if (t.pausedAt === null && t.buffer) {
        t.from = ZampTracks.position(t);
        t.requestedAt = ZampTracks.now();
        ZampTracks.startStream(t);
      }
    },

    startModule: function(t) {
      var g = ZampTracks.graph();
      var node = new AudioWorkletNode(g.context, 'zamp-module', { numberOfInputs: 0, outputChannelCount: [2] });
      var frames = ZampTracks.chunkFrames;
      t.buffer = _malloc(frames * 2 * 4);
      node.port.onmessage = function() {
        if (t.stopped || !t.buffer) return;
        var got = _zamp_web_module_render(t.owner, t.buffer, frames);
        var samples = HEAPF32.slice(t.buffer >> 2, (t.buffer >> 2) + got * 2);
        node.port.postMessage({ samples: samples }, [samples.buffer]);
      };
      node.connect(t.gain);
      t.node = node;
    },

    // The browser may hold the graph's context until a gesture (its autoplay policy): its
    // clock stands still meanwhile, while the show runs on the page's clock. When the context
    // runs, every track that started while it was held moves on by the time it waited, so the
    // music joins the picture where the show stands.
    watch: function(g) {
      if (g.watched) return;
      g.watched = true;
      g.context.addEventListener('statechange', function() {
        if (g.context.state !== 'running') return;
        for (var id in ZampTracks.tracks) {
          var t = ZampTracks.tracks[id];
          if (t.heldSince === null) continue;
          var waited = (performance.now() - t.heldSince) / 1000;
          t.heldSince = null;
          if (!t.started || t.stopped || t.pausedAt !== null) continue;
          ZampTracks.moveTo(t, ZampTracks.position(t) + waited);
        }
      });
    },

    // The music moves to `seconds` from its beginning: a stream's node starts again there, a
    // module's decoder goes there and the worklet drops what it had queued.
    moveTo: function(t, seconds) {
      t.from = seconds;
      t.requestedAt = t.pausedAt !== null ? t.pausedAt : ZampTracks.now();
      if (t.kind === 'stream') ZampTracks.restartStream(t);
      else {
        _zamp_web_module_seek(t.owner, seconds);
        if (t.node) t.node.port.postMessage({ flush: true });
      }
    },

    halt: function(t) {
      if (t.stopped) return;
      t.stopped = true;
      if (t.node) {
        if (t.kind === 'stream') t.node.stop(); else t.node.port.postMessage({ stop: true });
        t.node.disconnect();
      }
    },

    playing: function(t) {
      if (!t.started || t.stopped) return false;
      if (t.fadeEnd !== null && ZampTracks.now() >= t.fadeEnd) {
        ZampTracks.halt(t); // a finished fade stops the music
        return false;
      }
      return true;
    },
  },

  zamp_audio_silent__deps: ['$ZampTracks'],
  zamp_audio_silent: function() {
    var g = ZampTracks.graph();
    return !g || g.silent ? 1 : 0;
  },

  zamp_track_new_stream__deps: ['$ZampTracks'],
  zamp_track_new_stream: function(bytes, length) {
    var id = ZampTracks.make('stream');
    var t = ZampTracks.tracks[id];
    var g = ZampTracks.graph();
    if (g) {
      var copy = HEAPU8.slice(bytes, bytes + length);
      g.context.decodeAudioData(copy.buffer).then(function(buffer) {
        t.buffer = buffer;
        if (t.started && !t.stopped) ZampTracks.startStream(t);
      }, function(e) {
        console.error('zamp: the browser cannot decode the music: ' + e);
      });
    }
    return id;
  },

  zamp_track_new_module__deps: ['$ZampTracks'],
  zamp_track_new_module: function(owner) {
    var id = ZampTracks.make('module');
    ZampTracks.tracks[id].owner = owner;
    return id;
  },

  zamp_track_play__deps: ['$ZampTracks'],
  zamp_track_play: function(id, fromSeconds) {
    var t = ZampTracks.tracks[id];
    if (!t || t.started) return;
    t.started = true;
    t.from = fromSeconds;
    t.requestedAt = ZampTracks.now();
    var g = ZampTracks.graph();
    if (!g) return;
    if (g.context.state !== 'running') t.heldSince = performance.now();
    if (t.kind === 'module') ZampTracks.startModule(t);
    else if (t.buffer) ZampTracks.startStream(t);
  },

  zamp_track_pause__deps: ['$ZampTracks'],
  zamp_track_pause: function(id, paused) {
    var t = ZampTracks.tracks[id];
    if (!t || !t.started || t.stopped || (paused !== 0) === (t.pausedAt !== null)) return;
    if (paused) {
      t.pausedAt = ZampTracks.now();
      if (t.kind === 'stream') ZampTracks.restartStream(t);
      else if (t.node) t.node.port.postMessage({ paused: true });
    } else {
      // The clock went on while paused: the music did not.
      t.requestedAt += ZampTracks.now() - t.pausedAt;
      t.pausedAt = null;
      if (t.kind === 'stream') {
        if (t.buffer && ZampTracks.graph()) {
          t.from = ZampTracks.position(t);
          t.requestedAt = ZampTracks.now();
          ZampTracks.startStream(t);
        }
      } else if (t.node) {
        t.node.port.postMessage({ paused: false });
      }
    }
  },

  zamp_track_seek__deps: ['$ZampTracks'],
  zamp_track_seek: function(id, seconds) {
    var t = ZampTracks.tracks[id];
    if (t && t.started && !t.stopped) ZampTracks.moveTo(t, seconds);
  },

  zamp_track_position__deps: ['$ZampTracks'],
  zamp_track_position: function(id) {
    var t = ZampTracks.tracks[id];
    return t ? ZampTracks.position(t) : 0;
  },

  zamp_track_fade__deps: ['$ZampTracks'],
  zamp_track_fade: function(id, milliseconds) {
    var t = ZampTracks.tracks[id];
    if (!t || !ZampTracks.playing(t) || t.fadeEnd !== null) return;
    var now = ZampTracks.now();
    t.fadeEnd = now + milliseconds / 1000;
    if (t.gain) {
      t.gain.gain.setValueAtTime(t.gain.gain.value, now);
      t.gain.gain.linearRampToValueAtTime(0, t.fadeEnd);
    }
  },

  // Bit 1: playing; bit 2: a fade-out is under way.
  zamp_track_state__deps: ['$ZampTracks'],
  zamp_track_state: function(id) {
    var t = ZampTracks.tracks[id];
    if (!t || !ZampTracks.playing(t)) return 0;
    return t.fadeEnd !== null ? 3 : 1;
  },

  zamp_track_stop__deps: ['$ZampTracks'],
  zamp_track_stop: function(id) {
    var t = ZampTracks.tracks[id];
    if (t && t.started) ZampTracks.halt(t);
  },

  zamp_track_free__deps: ['$ZampTracks'],
  zamp_track_free: function(id) {
    var t = ZampTracks.tracks[id];
    if (!t) return;
    ZampTracks.halt(t);
    if (t.gain) t.gain.disconnect();
    if (t.kind === 'module' && t.buffer) _free(t.buffer);
    t.buffer = null;
    delete ZampTracks.tracks[id];
  },

  // The page shows the message in place of the picture (and writes it to the console).
  zamp_page_message: function(caption, text) {
    var c = UTF8ToString(caption), s = UTF8ToString(text);
    if (Module['showMessage']) Module['showMessage'](c, s);
    else console.error(c + ': ' + s);
  },

  zamp_page_show: function() {
    if (Module['showCanvas']) Module['showCanvas']();
  },

  zamp_page_ended: function() {
    if (Module['showEnded']) Module['showEnded']();
  },
};

mergeInto(LibraryManager.library, LibraryZampWeb);
