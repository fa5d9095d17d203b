// Opens the page's Web Audio graph for the player: an AudioContext at the player's 44.1 kHz
// with its worklets, every track going through a tap (which counts the samples it receives)
// to the speakers. `silent` mutes the speakers but keeps the graph running, so that a test
// reads back what the tap received (window.zampAudioStats). Browsers start sound only on a
// user gesture unless told otherwise (their autoplay policy): opened without one, the graph's
// context may stay suspended, and its resume would wait for a gesture, so it is waited for a
// moment only; the music joins the show when the context runs (library.js). Resolves to the
// graph, or null without Web Audio.
async function zampOpenAudioGraph(workletUrl, silent) {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return null;
  const context = new Context({ sampleRate: 44100 });
  await Promise.race([context.resume().catch(() => {}), new Promise((resolve) => setTimeout(resolve, 250))]);
  if (!context.audioWorklet) {
    console.error('zamp: this browser has no audio worklets; the show runs without music');
    return null;
  }
  await context.audioWorklet.addModule(workletUrl);
  const tap = new AudioWorkletNode(context, 'zamp-tap', { outputChannelCount: [2] });
  const speakers = context.createGain();
  speakers.gain.value = silent ? 0 : 1;
  tap.connect(speakers);
  speakers.connect(context.destination);
  window.zampAudioStats = { frames: 0, nonZeroFrames: 0, peak: 0, samples: [] };
  tap.port.onmessage = (event) => { window.zampAudioStats = event.data; };
  return { context: context, input: tap, silent: silent };
}
