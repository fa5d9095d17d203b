-- Image layers: a textured, rotated, tinted and blended set of pictures over a plain
-- rectangle, with a sampled stream (a WAV tone) as its music.
local ZERO, ONE, SRCALPHA, INVSRCALPHA = 1, 2, 5, 6
starttime(0)
loadmusic("data/tone.wav")
endtime(30)

loadimage("checker.png", "checker")
loadimage("wheel.png", "wheel")
loadimage("logo.png", "logo")
createtexture(0, 0, "plain")

local back = layer(2, "plain", 0, ONE, ZERO)
start(0, back) stop(30, back)
setimagecolor(0, 30, 60, 90, 255, back)

local c = layer(2, "checker", 1, ONE, ZERO)
start(0, c) stop(30, c)
setimagepos(0, 64, 64, c)
setimagescale(0, 384, 384, c)

local w = layer(2, "wheel", 2, SRCALPHA, ONE)
start(0, w) stop(30, w)
setimagepos(0, 520, 80, w)
setimagescale(0, 420, 420, w)
setimagerot(0, 0, w) setimagerot(30, 90, w)
setimagecolor(0, 200, 160, 120, 255, w)

local l = layer(2, "logo", 3, SRCALPHA, INVSRCALPHA)
start(0, l) stop(30, l)
setimagepos(0, 300, 420, l)
setimagescale(0, 300, 300, l)
setimagecolor(0, 255, 255, 255, 200, l)
