// Compares a browser screenshot with the native player's frame: probes on a grid, each one
// away from edges (in the native frame no pixel within `radius` differs from it by more than
// `edge` in any channel: texel and polygon boundaries, where the two rasterisers may pick
// the neighbouring texel or coverage, are left out), must agree within `tolerance`.
export function compareFrames(native, web, { step = 8, border = 4, radius = 1, edge = 2, tolerance = 2 } = {}) {
  if (native.width !== web.width || native.height !== web.height)
    return { ok: false, reason: `sizes differ: native ${native.width}x${native.height}, web ${web.width}x${web.height}` };
  const { width, height } = native;
  const at = (img, x, y, k) => img.rgb[3 * (y * width + x) + k];
  let probes = 0, grid = 0, worst = 0, worstAt = null, bad = 0;
  const colours = new Set();
  for (let y = border; y < height - border; y += step) {
    for (let x = border; x < width - border; x += step) {
      ++grid;
      let flat = true;
      for (let dy = -radius; dy <= radius && flat; ++dy)
        for (let dx = -radius; dx <= radius && flat; ++dx)
          for (let k = 0; k < 3; ++k)
            if (Math.abs(at(native, x + dx, y + dy, k) - at(native, x, y, k)) > edge) { flat = false; break; }
      if (!flat) continue;
      ++probes;
      colours.add((at(native, x, y, 0) >> 3) << 10 | (at(native, x, y, 1) >> 3) << 5 | at(native, x, y, 2) >> 3);
      let diff = 0;
      for (let k = 0; k < 3; ++k) diff = Math.max(diff, Math.abs(at(native, x, y, k) - at(web, x, y, k)));
      if (diff > tolerance) ++bad;
      if (diff > worst) { worst = diff; worstAt = [x, y, [0, 1, 2].map((k) => at(native, x, y, k)), [0, 1, 2].map((k) => at(web, x, y, k))]; }
    }
  }
  const result = { probes, grid, colours: colours.size, worst, worstAt, bad };
  // A frame that is mostly edges, or nearly one colour, proves nothing about the picture.
  if (probes < grid / 4) return { ...result, ok: false, reason: `too few probes away from edges (${probes} of ${grid})` };
  if (colours.size < 8) return { ...result, ok: false, reason: `the native frame has only ${colours.size} colours` };
  if (bad > 0) return { ...result, ok: false, reason: `${bad} of ${probes} probes differ by more than ${tolerance}` };
  return { ...result, ok: true };
}
