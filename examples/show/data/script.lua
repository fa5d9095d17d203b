-- The example show: generated pictures and music on a timeline of layers.
-- Layer orders: 0..10 draw on the screen (low first); above 10 into capture textures.

local SRCALPHA, INVSRCALPHA, ONE, ZERO = 5, 6, 2, 1

starttime(0)
loadmusic("data/music.mod")
endtime(20)

setambientcolor(40, 40, 60)

loadimage("logo.png", "logo")
loadimage("wheel.png", "wheel")
loadimage("vignette.png", "vignette")
createtexture(0, 0, "sky")
createtexture(0, 0, "flash")

-- A sky that fades from deep blue to dusk.
local sky = layer(2, "sky", 0, ONE, ZERO)
start(0, sky) stop(20, sky)
setimagecolor(0, 10, 20, 60, 255, sky)
setimagecolor(10, 70, 30, 90, 255, sky)
setimagecolor(20, 10, 20, 60, 255, sky)

-- The colour wheel turns slowly behind everything, added on top of the sky. A textured
-- image takes its alpha from its texture, so it fades through its colour instead.
local w = layer(2, "wheel", 1, SRCALPHA, ONE)
start(0, w) stop(20, w)
setimagepos(0, 212, 84, w)
setimagescale(0, 600, 600, w)
setimagerot(0, 0, w) setimagerot(20, 360, w)
setimagecolor(0, 0, 0, 0, 255, w)
setimagecolor(3, 90, 90, 90, 255, w)
setimagecolor(17, 90, 90, 90, 255, w)
setimagecolor(20, 0, 0, 0, 255, w)

-- The logo flies in, spins once and grows.
local l = layer(2, "logo", 3, SRCALPHA, INVSRCALPHA)
start(1, l) stop(19, l)
setimagepos(1, -300, 256, l)
setimagepos(4, 384, 256, l)
setimagepos(15, 384, 256, l)
setimagepos(19, 1100, 256, l)
setimagescale(1, 128, 128, l)
setimagescale(4, 256, 256, l)
setimagescale(9, 320, 320, l)
setimagescale(15, 256, 256, l)
setimagerot(4, 0, l) setimagerot(6, 360, l)

-- A white flash on every fourth beat, added on top.
for i = 0, 4 do
  local f = layer(2, "flash", 8, SRCALPHA, ONE)
  start(4 * i, f) stop(4 * i + 0.5, f)
  setimagecolor(4 * i, 255, 255, 255, 140, f)
  setimagecolor(4 * i + 0.5, 255, 255, 255, 0, f)
end

local v = layer(2, "vignette", 9, SRCALPHA, INVSRCALPHA)
start(0, v) stop(20, v)
setimagescale(0, 1024, 768, v)
