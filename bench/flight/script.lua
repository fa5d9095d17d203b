-- The flight show: one scene layer through the flying camera, with fog, for 20 seconds.
loadsiv("data/city.siv", "city")
enablefog()
setfogrange(60, 250)
setambientcolor(30, 30, 40)
endtime(20)
local l = layer(1, "city", 0, 0, 0, 5, 6)
start(0, l) stop(20, l)
