-- A capture: one lit scene drawn into a render target, shown both as a picture and on the
-- screen of a second scene. (A scene that showed the target it is being drawn into would
-- sample a texture while drawing into it: undefined in GL, and refused by WebGL.)
local ZERO, ONE = 1, 2
starttime(0)
endtime(30)
createtexture(512, 256, "rt")
loadsiv("data/stage.siv", "stage")
loadsiv("data/shapes.siv", "shapes")
setambientcolor(40, 40, 50)
capture("rt", 0, 30)
local inside = layer(1, "shapes", 0, 0, 20, ONE, ZERO)
start(0, inside) stop(30, inside)
local onScreen = layer(1, "stage", 0, 0, 1, ONE, ZERO)
start(0, onScreen) stop(30, onScreen)
local pip = layer(2, "rt", 5, ONE, ZERO)
start(0, pip) stop(30, pip)
setimagepos(0, 600, 40, pip)
setimagescale(0, 384, 192, pip)
