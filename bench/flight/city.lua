-- The flight scene: a city of 900 buildings (boxes of 4 by 4 segments a side, 192 faces) on a
-- 30 by 30 grid, and a camera flying down one street from end to end in 20 seconds, looking
-- ahead: most buildings are behind it or beside it, out of view.
local meshes, materials = {}, {}
for i = 0, 5 do
  materials[#materials + 1] = { ambient = {0.2, 0.2, 0.22}, diffuse = {0.4 + i * 0.1, 0.5, 0.9 - i * 0.1} }
end
for x = 0, 29 do
  for z = 0, 29 do
    local height = 8 + ((x * 7 + z * 13) % 11) * 3
    meshes[#meshes + 1] = { id = #meshes + 1, primitive = "box", segments = 4, material = (x + 2 * z) % 6,
                            size = {8, height, 8}, position = {(x - 14.5) * 12, height / 2, (z - 14.5) * 12} }
  end
end
local path, ahead = {}, {}
for k = 0, 10 do
  local z = -190 + k * 38
  path[#path + 1] = { time = k * 2, value = {6, 5 + (k % 3), z} }
  ahead[#ahead + 1] = { time = k * 2, value = {6, 4, z + 60} }
end
return {
  materials = materials,
  meshes = meshes,
  cameras = { { position = {6, 5, -190}, target = {6, 4, -130}, positionTrack = 2000, targetTrack = 2001 } },
  lights = {
    { kind = "directional", direction = {0.4, -1, 0.3}, color = {0.7, 0.7, 0.7} },
    { kind = "point", position = {6, 20, 0}, color = {0.5, 0.4, 0.3} },
  },
  tracks = {
    { kind = "position", object = 2000, keys = path },
    { kind = "position", object = 2001, keys = ahead },
  },
}
