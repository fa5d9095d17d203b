-- A hall with a spinning torus, a bouncing ball and a screen that shows the city capture.
-- Built by `siv build` into data/hall.siv.

local function yRotation(angle) -- a quaternion turning `angle` radians about y
  return { 0, math.sin(angle / 2), 0, math.cos(angle / 2) }
end
local function xRotation(angle)
  return { math.sin(angle / 2), 0, 0, math.cos(angle / 2) }
end

local spin, tumble = {}, {}
for i = 0, 16 do
  local t = i * 1.25
  spin[#spin + 1] = { time = t, value = yRotation(i * math.pi / 4) }
  tumble[#tumble + 1] = { time = t, value = xRotation(i * math.pi / 8) }
end

local bounce = {}
for i = 0, 20 do
  local t = i * 0.5
  local h = (i % 2 == 0) and 1.2 or 4
  bounce[#bounce + 1] = { time = t, value = { -5, h, 2 }, tension = (i % 2 == 0) and 1 or 0 }
end

-- The camera circles the hall outside the pillars (they stand 12.7 from the centre), well
-- clear of the tumbling torus, whose sweep reaches 3.2 from its centre: the near plane (1
-- unit ahead of the eye) never cuts into anything.
local orbit = {}
for i = 0, 9 do
  local a = math.rad(-100 + i * 22)
  orbit[#orbit + 1] = { time = i * 2, value = { 16 * math.sin(a), 6 + 1.5 * math.sin(i * 0.7), -16 * math.cos(a) } }
end

return {
  textures = {
    { id = 1, file = "checker.png" },
    { id = 2, file = "rt" },
  },
  materials = {
    { ambient = {0.3, 0.3, 0.35}, diffuse = {0.9, 0.9, 0.9}, texture = 1 },              -- 0 floor
    { ambient = {0.5, 0.2, 0.1}, diffuse = {1.0, 0.45, 0.15} },                          -- 1 torus
    { ambient = {0.1, 0.2, 0.4}, diffuse = {0.3, 0.6, 1.0} },                            -- 2 ball
    { ambient = {1, 1, 1}, diffuse = {0.2, 0.2, 0.2}, texture = 2, twoSided = true },    -- 3 screen
    { ambient = {0.25, 0.25, 0.3}, diffuse = {0.6, 0.6, 0.7} },                          -- 4 pillars
  },
  meshes = {
    { id = 1, primitive = "plane", size = {40, 40}, segments = 8, material = 0 },
    { id = 2, primitive = "torus", radius = 2.5, tube = 0.7, segments = 48, sides = 16,
      position = {0, 3.5, 0}, material = 1 },
    { id = 3, primitive = "sphere", radius = 1.2, segments = 24, rings = 12, material = 2 },
    { id = 4, primitive = "plane", size = {8, 4}, position = {0, 4, 9}, rotation = xRotation(-math.pi / 2),
      material = 3 },
    { id = 5, primitive = "box", size = {1, 8, 1}, position = {-9, 4, -9}, material = 4 },
    { id = 6, primitive = "box", size = {1, 8, 1}, position = {9, 4, -9}, material = 4 },
    { id = 7, primitive = "box", size = {1, 8, 1}, position = {-9, 4, 9}, material = 4 },
    { id = 8, primitive = "box", size = {1, 8, 1}, position = {9, 4, 9}, material = 4 },
  },
  cameras = {
    { position = {0, 6, -16}, target = {0, 3, 0}, positionTrack = 100, targetTrack = 101 },
  },
  lights = {
    { kind = "directional", direction = {0.4, -1, 0.6}, color = {0.7, 0.65, 0.6} },
    { kind = "point", position = {0, 8, 0}, color = {0.6, 0.3, 0.1} },
    { kind = "spot", position = {0, 10, -6}, direction = {0, -1, 0.6}, color = {0.4, 0.5, 1.0} },
  },
  tracks = {
    { kind = "rotation", object = 2, keys = tumble },
    { kind = "rotation", object = 3, keys = spin },
    { kind = "position", object = 3, keys = bounce },
    { kind = "position", object = 100, keys = orbit },
    { kind = "position", object = 101, keys = {
      { time = 0, value = {0, 3.5, 0} },
      { time = 9, value = {0, 4, 3} },
      { time = 18, value = {0, 3.5, 0} },
    } },
  },
}
