-- A floor with a torus, a sphere and a row of boxes running into the fog, under three lights.
local meshes = {
  { id = 1, primitive = "plane", size = {60, 120}, segments = 12, position = {0, 0, 40}, material = 0 },
  { id = 2, primitive = "torus", radius = 2.5, tube = 0.8, segments = 48, sides = 16, position = {-4, 3, 4}, material = 1 },
  { id = 3, primitive = "sphere", radius = 2, segments = 32, rings = 16, position = {4, 2.5, 6}, material = 2 },
}
for i = 0, 5 do
  meshes[#meshes + 1] = { id = 10 + i, primitive = "box", size = {3, 6, 3}, position = {-9 + i * 3.6, 3, 14 + i * 9},
                          material = 3 }
end
return {
  textures = { { id = 1, file = "checker.png" } },
  materials = {
    { ambient = {0.3, 0.3, 0.35}, diffuse = {0.8, 0.8, 0.8}, texture = 1 },
    { ambient = {0.5, 0.2, 0.1}, diffuse = {1.0, 0.45, 0.15} },
    { ambient = {0.1, 0.2, 0.4}, diffuse = {0.3, 0.6, 1.0} },
    { ambient = {0.3, 0.3, 0.3}, diffuse = {0.7, 0.7, 0.6} },
  },
  meshes = meshes,
  cameras = { { position = {0, 7, -12}, target = {0, 3, 12} } },
  lights = {
    { kind = "directional", direction = {0.4, -1, 0.6}, color = {0.6, 0.55, 0.5} },
    { kind = "point", position = {0, 6, 3}, color = {0.7, 0.4, 0.2} },
    { kind = "spot", position = {4, 10, 0}, direction = {0, -1, 0.5}, color = {0.3, 0.5, 1.0} },
  },
}
