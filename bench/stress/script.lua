-- The stress show: four scene layers of the 400-mesh field (one of them into a capture that
-- an image shows), with fog, for 20 seconds.
loadsiv("data/towers.siv", "towers")
createtexture(512, 512, "rt")
enablefog()
setfogrange(40, 150)
setambientcolor(30, 30, 40)
endtime(20)
for i = 0, 2 do
  local l = layer(1, "towers", 0, i * 3, i, 5, 6)
  start(0, l) stop(20, l)
end
capture("rt", 0, 20)
local c = layer(1, "towers", 0, 10, 20, 2, 1)
start(0, c) stop(20, c)
local pip = layer(2, "rt", 5, 2, 1)
start(0, pip) stop(20, pip)
setimagescale(0, 256, 256, pip)
