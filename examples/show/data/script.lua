-- The example show: generated pictures, scenes and music on a timeline of layers.
--   0 - 16  the title: a turning colour wheel and the logo over a slowly changing sky
--  16 - 32  a hall whose screen shows a live capture of the city
--  32 - 46  an imported model: a kinetic sculpture seen through its own camera
--  46 - 60  a flight through the city, the sculpture in a framed picture in the picture
-- Layer orders 0..10 draw on the screen (low first); above 10 only into capture textures.
-- Sections change through short fades to and from a dark colour: no bright flashes.

local ZERO, ONE, SRCALPHA, INVSRCALPHA = 1, 2, 5, 6

starttime(0)
loadmusic("data/music.mod")
endtime(60)

-- Pictures. "rt" and "pip" are render targets that captures draw into.
loadimage("logo.png", "logo")
loadimage("wheel.png", "wheel")
loadimage("vignette.png", "vignette")
createtexture(0, 0, "sky")
createtexture(0, 0, "plain")
createtexture(512, 256, "rt")
createtexture(512, 384, "pip")

-- Scenes: two built with `siv build`, one imported from a glTF model with `siv import`.
loadsiv("data/hall.siv", "hall")
loadsiv("data/city.siv", "city")
loadsiv("data/sculpture.siv", "sculpture")

setambientcolor(40, 40, 60)
-- Fog also reaches the pictures, at their distance in canvas units from the bottom-left
-- corner (at most about 1280): starting it beyond that keeps them clear, and the city is
-- built large enough to fade into it.
enablefog()
setfogcolor(20, 16, 40)
setfogrange(1300, 3500)

-- A plain rectangle over the whole screen going from one colour to another: the fades.
local function fade(from, to, r, g, b, a0, a1)
  local f = layer(2, "plain", 9, SRCALPHA, INVSRCALPHA)
  start(from, f) stop(to, f)
  setimagescale(from, 1024, 768, f)
  setimagecolor(from, r, g, b, a0, f)
  setimagecolor(to, r, g, b, a1, f)
end

-- 0 - 16: the title.
local sky = layer(2, "sky", 0, ONE, ZERO)
start(0, sky) stop(60, sky)
setimagescale(0, 1024, 768, sky)
setimagecolor(0, 10, 20, 60, 255, sky)
setimagecolor(8, 70, 30, 90, 255, sky)
setimagecolor(16, 20, 16, 40, 255, sky)

-- A textured image takes its alpha from its texture, so the wheel fades through its colour.
local w = layer(2, "wheel", 1, SRCALPHA, ONE)
start(0, w) stop(16, w)
setimagepos(0, 212, 84, w)
setimagescale(0, 600, 600, w)
setimagerot(0, 0, w) setimagerot(16, 300, w)
setimagecolor(0, 0, 0, 0, 255, w)
setimagecolor(3, 90, 90, 90, 255, w)
setimagecolor(13, 90, 90, 90, 255, w)
setimagecolor(16, 0, 0, 0, 255, w)

-- Key times are demo times: the player makes them relative to the layer's start as it
-- stands when each key is added, so `start` comes first.
local l = layer(2, "logo", 3, SRCALPHA, INVSRCALPHA)
start(1, l) stop(16, l)
setimagepos(1, -300, 256, l)
setimagepos(4, 384, 256, l)
setimagepos(12, 384, 256, l)
setimagepos(15.5, 1100, 256, l)
setimagescale(1, 128, 128, l)
setimagescale(4, 256, 256, l)
setimagescale(8, 320, 320, l)
setimagescale(12, 256, 256, l)
setimagerot(4, 0, l) setimagerot(6, 360, l)

-- 16 - 32: the hall, with the city on its screen.
local hall = layer(1, "hall", 0, 0, 2, SRCALPHA, INVSRCALPHA)
start(16, hall) stop(32, hall)
capture("rt", 16, 32)
local cityInCapture = layer(1, "city", 0, 0, 20, ONE, ZERO)
start(16, cityInCapture) stop(32, cityInCapture)
fade(16, 17.5, 0, 0, 0, 255, 0)
fade(31, 32, 0, 0, 0, 0, 255)

-- 32 - 46: the imported sculpture through the camera that came with the model.
local sculpture = layer(1, "sculpture", 0, 0, 2, ONE, ZERO)
start(32, sculpture) stop(46, sculpture)
fade(32, 33.5, 0, 0, 0, 255, 0)
fade(45, 46, 0, 0, 0, 0, 255)

-- 46 - 60: the city flight on screen, and the sculpture (drawn into "pip" from 46 on, six
-- seconds of its animation further on) as a framed picture in the picture.
local city = layer(1, "city", 0, 0, 2, ONE, ZERO)
start(46, city) stop(60, city)
fade(46, 47.5, 0, 0, 0, 255, 0)

capture("pip", 46, 60)
local sculptureInCapture = layer(1, "sculpture", 0, 6, 20, ONE, ZERO)
start(46, sculptureInCapture) stop(60, sculptureInCapture)

-- The frame: a soft shadow, a light border, then the picture, all moving together.
local function framed(image, order, margin, r, g, b, a, src, dst)
  local p = layer(2, image, order, src, dst)
  start(48, p) stop(59, p)
  setimagepos(48, 1100 - margin, 400 - margin, p)
  setimagepos(50, 560 - margin, 400 - margin, p)
  setimagepos(57, 560 - margin, 400 - margin, p)
  setimagepos(59, 1100 - margin, 400 - margin, p)
  setimagescale(48, 400 + 2 * margin, 300 + 2 * margin, p)
  setimagecolor(48, r, g, b, a, p)
end
framed("plain", 5, 14, 0, 0, 0, 90, SRCALPHA, INVSRCALPHA)        -- shadow
framed("plain", 6, 6, 235, 225, 200, 255, SRCALPHA, INVSRCALPHA)  -- border
framed("pip", 7, 0, 255, 255, 255, 255, ONE, ZERO)                -- the picture, opaque

fade(57, 60, 0, 0, 0, 0, 255)

local v = layer(2, "vignette", 10, SRCALPHA, INVSRCALPHA)
start(0, v) stop(60, v)
setimagescale(0, 1024, 768, v)
