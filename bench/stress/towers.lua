-- The stress scene: 400 small meshes (boxes, spheres and tori) on a grid, each turning, with
-- four lights of every kind and a camera circling the field; a second camera stands beyond
-- the field looking away from it (every mesh behind it).
local meshes, tracks = {}, {}
local materials = {}
for i = 0, 7 do
  materials[#materials + 1] = { ambient = {0.2, 0.2, 0.25}, diffuse = {0.3 + i * 0.08, 0.9 - i * 0.08, 0.6},
                                twoSided = (i % 4 == 0) }
end
local kinds = { "box", "sphere", "torus" }
for x = 0, 19 do
  for z = 0, 19 do
    local id = #meshes + 1
    local kind = kinds[(x + z) % 3 + 1]
    local mesh = { id = id, primitive = kind, position = {(x - 9.5) * 4, 1, (z - 9.5) * 4}, material = (x * z) % 8 }
    if kind == "sphere" then mesh.segments = 12 mesh.rings = 6 end
    if kind == "torus" then mesh.segments = 16 mesh.sides = 8 end
    meshes[id] = mesh
    local keys = {}
    for k = 0, 8 do
      local a = k * math.pi / 4 + id
      keys[#keys + 1] = { time = k * 2.5, value = {0, math.sin(a / 2), 0, math.cos(a / 2)} }
    end
    tracks[#tracks + 1] = { kind = "rotation", object = id, keys = keys }
  end
end
local orbit = {}
for k = 0, 16 do
  local a = k * math.pi / 8
  orbit[#orbit + 1] = { time = k * 1.25, value = {math.cos(a) * 60, 25, math.sin(a) * 60} }
end
tracks[#tracks + 1] = { kind = "position", object = 1000, keys = orbit }
return {
  materials = materials,
  meshes = meshes,
  cameras = { { position = {60, 25, 0}, target = {0, 0, 0}, positionTrack = 1000 },
              { position = {0, 25, 90}, target = {0, 25, 200} } },
  lights = {
    { kind = "directional", direction = {0.3, -1, 0.4}, color = {0.6, 0.6, 0.6} },
    { kind = "point", position = {0, 10, 0}, color = {0.8, 0.4, 0.2} },
    { kind = "spot", position = {0, 30, -20}, direction = {0, -1, 0.5}, color = {0.2, 0.4, 0.9} },
    { kind = "point", position = {20, 5, 20}, color = {0.3, 0.8, 0.3} },
  },
  tracks = tracks,
}
