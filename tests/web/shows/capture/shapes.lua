-- What the capture draws: a sphere and boxes on a checker floor, lit from two sides.
return {
  textures = { { id = 1, file = "checker.png" } },
  materials = {
    { ambient = {0.3, 0.3, 0.3}, diffuse = {0.8, 0.8, 0.8}, texture = 1 },
    { ambient = {0.1, 0.3, 0.2}, diffuse = {0.3, 0.9, 0.5} },
    { ambient = {0.3, 0.1, 0.3}, diffuse = {0.8, 0.3, 0.9} },
  },
  meshes = {
    { id = 1, primitive = "plane", size = {20, 20}, segments = 4, material = 0 },
    { id = 2, primitive = "sphere", radius = 1.5, segments = 32, rings = 16, position = {0, 1.5, 0}, material = 1 },
    { id = 3, primitive = "box", size = {2, 3, 2}, position = {-4, 1.5, 2}, material = 2 },
    { id = 4, primitive = "box", size = {2, 2, 2}, position = {4, 1, 3}, material = 2 },
  },
  cameras = { { position = {0, 4, -8}, target = {0, 1, 1} } },
  lights = {
    { kind = "directional", direction = {-0.5, -1, 0.4}, color = {0.7, 0.7, 0.6} },
    { kind = "point", position = {3, 4, -2}, color = {0.5, 0.3, 0.2} },
  },
}
