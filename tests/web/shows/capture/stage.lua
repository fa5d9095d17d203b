-- A stage with a screen that shows the capture texture ("rt") and a torus in front of it.
return {
  textures = { { id = 1, file = "checker.png" }, { id = 2, file = "rt" } },
  materials = {
    { ambient = {0.3, 0.3, 0.35}, diffuse = {0.9, 0.9, 0.9}, texture = 1 },
    { ambient = {1, 1, 1}, diffuse = {0.2, 0.2, 0.2}, texture = 2, twoSided = true },
    { ambient = {0.5, 0.2, 0.1}, diffuse = {1.0, 0.45, 0.15} },
  },
  meshes = {
    { id = 1, primitive = "plane", size = {30, 30}, segments = 6, material = 0 },
    { id = 2, primitive = "plane", size = {8, 4}, position = {0, 4, 6}, rotation = {-0.7071068, 0, 0, 0.7071068},
      material = 1 },
    { id = 3, primitive = "torus", radius = 1.6, tube = 0.5, segments = 40, sides = 12, position = {-2, 1.5, 1},
      material = 2 },
  },
  cameras = { { position = {2, 5, -9}, target = {0, 3, 4} } },
  lights = { { kind = "directional", direction = {0.3, -1, 0.7}, color = {0.8, 0.75, 0.7} } },
}
