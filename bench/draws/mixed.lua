-- The draw-count scene with the states of real shows: the same wall of 200 spheres and the same
-- lights, but every other sphere textured (data/checker.png) and one in five two-sided, in an
-- order that changes the fixed-function shape from each draw to the next (a program switch per
-- draw for zamp and the raw OpenGL baseline alike).
local meshes, tracks = {}, {}
local materials = {}
local colours = { {0.9, 0.5, 0.3}, {0.3, 0.8, 0.5}, {0.4, 0.5, 0.9}, {0.8, 0.8, 0.8}, {0.9, 0.9, 0.4} }
for m = 0, 9 do
  materials[#materials + 1] = {
    ambient = {0.2, 0.2, 0.25}, diffuse = colours[m % 5 + 1],
    texture = (m % 2 == 0) and 1 or nil, twoSided = (m % 5 == 0),
  }
end
for row = 0, 9 do
  for column = 0, 19 do
    local id = #meshes + 1
    meshes[id] = { id = id, primitive = "sphere", radius = 3, segments = 25, rings = 11,
                   position = {(column - 9.5) * 4, (row - 4.5) * 4, 0}, material = (id - 1) % 10 }
    local keys = {}
    for k = 0, 8 do
      local a = k * math.pi / 4 + id
      keys[#keys + 1] = { time = k * 2.5, value = {0, math.sin(a / 2), 0, math.cos(a / 2)} }
    end
    tracks[#tracks + 1] = { kind = "rotation", object = id, keys = keys }
  end
end
return {
  textures = { { id = 1, file = "data/checker.png" } },
  materials = materials,
  meshes = meshes,
  cameras = {
    { position = {0, 0, -36}, target = {0, 0, 0} },
    { position = {0, 0, -36}, target = {0, 0, -80} },
  },
  lights = {
    { kind = "directional", direction = {0.3, -1, 0.4}, color = {0.6, 0.6, 0.6} },
    { kind = "point", position = {0, 10, -20}, color = {0.8, 0.4, 0.2} },
    { kind = "spot", position = {0, 30, -30}, direction = {0, -1, 0.5}, color = {0.2, 0.4, 0.9} },
  },
  tracks = tracks,
}
