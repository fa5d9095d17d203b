-- The draw-count scene that zamp and the raw OpenGL baseline both draw: 200 spheres of 500
-- faces in a wall of 20 x 10, each turning, lit by a directional, a point and a spot light.
-- Camera 0 faces the wall, which covers the whole frame; camera 1 looks the other way, so
-- every vertex is lit and transformed but nothing reaches the screen.
local meshes, tracks = {}, {}
local materials = {
  { ambient = {0.2, 0.2, 0.25}, diffuse = {0.9, 0.5, 0.3} },
  { ambient = {0.2, 0.2, 0.25}, diffuse = {0.3, 0.8, 0.5} },
  { ambient = {0.2, 0.2, 0.25}, diffuse = {0.4, 0.5, 0.9} },
  { ambient = {0.2, 0.2, 0.25}, diffuse = {0.8, 0.8, 0.8}, twoSided = true },
}
for row = 0, 9 do
  for column = 0, 19 do
    local id = #meshes + 1
    meshes[id] = { id = id, primitive = "sphere", radius = 3, segments = 25, rings = 11,
                   position = {(column - 9.5) * 4, (row - 4.5) * 4, 0}, material = (row + column) % 4 }
    local keys = {}
    for k = 0, 8 do
      local a = k * math.pi / 4 + id
      keys[#keys + 1] = { time = k * 2.5, value = {0, math.sin(a / 2), 0, math.cos(a / 2)} }
    end
    tracks[#tracks + 1] = { kind = "rotation", object = id, keys = keys }
  end
end
return {
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
