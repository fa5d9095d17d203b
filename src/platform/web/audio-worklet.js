// The web player's audio worklet processors.
//   zamp-module: plays interleaved stereo PCM that the main thread renders (tracker modules
//     decoded by libmodplug in WebAssembly); asks for more whenever less than a quarter of a
//     second is queued.
//   zamp-tap: passes its input through unchanged and counts what it receives, so that a test
//     page (?silent) can read back that the graph got samples.

const LOW_WATER_FRAMES = 11025;

class ModuleProcessor extends AudioWorkletProcessor {
  constructor() {
    super();
    this.chunks = [];
    this.offset = 0; // frames of chunks[0] already played
    this.queued = 0;
    this.asked = false;
    this.stopped = false;
    this.paused = false;
    this.port.onmessage = (event) => {
      const data = event.data;
      if (data.samples) {
        this.chunks.push(data.samples);
        this.queued += data.samples.length / 2;
        this.asked = false;
      } else if (data.stop) {
        this.stopped = true;
      } else if (data.paused !== undefined) {
        this.paused = data.paused;
      } else if (data.flush) {
        // The music moved: what was queued belongs to the old place.
        this.chunks = [];
        this.offset = 0;
        this.queued = 0;
      }
    };
    this.ask();
  }

  ask() {
    if (this.asked || this.stopped || this.queued >= LOW_WATER_FRAMES) return;
    this.asked = true;
    this.port.postMessage({ need: true });
  }

  process(inputs, outputs) {
    if (this.stopped) return false;
    const out = outputs[0];
    const left = out[0], right = out[1] || out[0];
    if (this.paused) {
      left.fill(0);
      right.fill(0);
      return true;
    }
    for (let i = 0; i < left.length; ++i) {
      const chunk = this.chunks[0];
      if (!chunk) { left[i] = 0; right[i] = 0; continue; }
      left[i] = chunk[2 * this.offset];
      right[i] = chunk[2 * this.offset + 1];
      if (++this.offset * 2 >= chunk.length) { this.chunks.shift(); this.offset = 0; }
      --this.queued;
    }
    this.ask();
    return true;
  }
}

const TAP_KEEP_FRAMES = 4096;
const TAP_REPORT_FRAMES = 4410;

class TapProcessor extends AudioWorkletProcessor {
  constructor() {
    super();
    this.frames = 0;
    this.nonZeroFrames = 0;
    this.peak = 0;
    this.sinceReport = 0;
    this.kept = []; // the first non-silent frames, left channel
  }

  process(inputs, outputs) {
    const input = inputs[0], output = outputs[0];
    const n = output[0].length;
    for (let c = 0; c < output.length; ++c) {
      if (input[c]) output[c].set(input[c]); else output[c].fill(0);
    }
    for (let i = 0; i < n; ++i) {
      let loud = 0;
      for (let c = 0; c < input.length; ++c) loud = Math.max(loud, Math.abs(input[c][i]));
      if (loud > 0) {
        ++this.nonZeroFrames;
        if (this.kept.length < TAP_KEEP_FRAMES) this.kept.push(input[0][i]);
      }
      this.peak = Math.max(this.peak, loud);
    }
    this.frames += n;
    this.sinceReport += n;
    if (this.sinceReport >= TAP_REPORT_FRAMES) {
      this.sinceReport = 0;
      this.port.postMessage({ frames: this.frames, nonZeroFrames: this.nonZeroFrames, peak: this.peak,
                              samples: this.kept.slice() });
    }
    return true;
  }
}

registerProcessor('zamp-module', ModuleProcessor);
registerProcessor('zamp-tap', TapProcessor);
