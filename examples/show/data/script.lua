-- The example show: generated pictures, scenes and music on a timeline of layers.
-- Layer orders: 0..10 draw on the screen (low first); above 10 into capture textures.

local ZERO, ONE, SRCALPHA, INVSRCALPHA = 1, 2, 5, 6

starttime(0)
loadmusic("data/music.mod")
endtime(60)

-- Pictures. "rt" is a render target: the capture draws the city into it, and both an image
-- layer and the hall's screen material (texture "rt") show it in the same frame.
loadimage("logo.png", "logo")
loadimage("wheel.png", "wheel")
loadimage("vignette.png", "vignette")
createtexture(0, 0, "sky")
createtexture(0, 0, "flash")
createtexture(512, 256, "rt")

loadsiv("data/hall.siv", "hall")
loadsiv("data/city.siv", "city")

setambientcolor(40, 40, 60)
-- Fog also reaches the pictures, at their distance in canvas units from the bottom-left
-- corner (at most about 1280): starting it beyond that keeps them clear, and the city is
-- built large enough to fade into it.
enablefog()
setfogcolor(20, 16, 40)
setfogrange(1300, 3500)

-- 0 - 20: the title.
local sky = layer(2, "sky", 0, ONE, ZERO)
start(0, sky) stop(60, sky)
setimagecolor(0, 10, 20, 60, 255, sky)
setimagecolor(10, 70, 30, 90, 255, sky)
setimagecolor(20, 20, 16, 40, 255, sky)

-- The wheel is added on top of the sky; a textured image takes its alpha from its texture,
-- so it fades through its colour.
local w = layer(2, "wheel", 1, SRCALPHA, ONE)
start(0, w) stop(20, w)
setimagepos(0, 212, 84, w)
setimagescale(0, 600, 600, w)
setimagerot(0, 0, w) setimagerot(20, 360, w)
setimagecolor(0, 0, 0, 0, 255, w)
setimagecolor(3, 90, 90, 90, 255, w)
setimagecolor(16, 90, 90, 90, 255, w)
setimagecolor(20, 0, 0, 0, 255, w)

local l = layer(2, "logo", 3, SRCALPHA, INVSRCALPHA)
start(1, l) stop(20, l)
setimagepos(1, -300, 256, l)
setimagepos(4, 384, 256, l)
setimagepos(15, 384, 256, l)
setimagepos(19.5, 1100, 256, l)
setimagescale(1, 128, 128, l)
setimagescale(4, 256, 256, l)
setimagescale(9, 320, 320, l)
setimagescale(15, 256, 256, l)
setimagerot(4, 0, l) setimagerot(6, 360, l)

-- 18 - 40: the hall, with the city on its screen.
local hall = layer(1, "hall", 0, 0, 2, SRCALPHA, INVSRCALPHA)
start(18, hall) stop(40, hall)

-- The city is drawn into "rt" from 18 to 60 (order above 10: capture only).
capture("rt", 18, 60)
local cityInCapture = layer(1, "city", 0, 0, 20, ONE, ZERO)
start(18, cityInCapture) stop(60, cityInCapture)

-- 40 - 60: the city flight on screen from its start, and the capture (the same flight, 22
-- seconds further on) sliding in as a picture in the picture.
local city = layer(1, "city", 0, 0, 2, ONE, ZERO)
start(40, city) stop(60, city)

local pip = layer(2, "rt", 6, ONE, ZERO)
start(44, pip) stop(58, pip)
setimagepos(44, 1040, 480, pip)
setimagepos(46, 480, 480, pip)
setimagepos(56, 480, 480, pip)
setimagepos(58, 1040, 480, pip)
setimagescale(44, 512, 256, pip)

-- A white flash on every fourth beat, added on top.
for i = 0, 14 do
  local f = layer(2, "flash", 8, SRCALPHA, ONE)
  start(4 * i, f) stop(4 * i + 0.5, f)
  setimagecolor(4 * i, 255, 255, 255, 110, f)
  setimagecolor(4 * i + 0.5, 255, 255, 255, 0, f)
end

-- A fade to black at the very end.
local fade = layer(2, "sky", 9, SRCALPHA, INVSRCALPHA)
start(56, fade) stop(60, fade)
setimagecolor(56, 0, 0, 0, 0, fade)
setimagecolor(60, 0, 0, 0, 255, fade)

local v = layer(2, "vignette", 10, SRCALPHA, INVSRCALPHA)
start(0, v) stop(60, v)
setimagescale(0, 1024, 768, v)
