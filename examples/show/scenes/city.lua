-- A night city of a few hundred boxes with a camera flying down its main street.
-- Built by `siv build` into data/city.siv.
--
-- Fog is one device state for the whole show and applies to the 2D images too, at their
-- distance in canvas units (up to about 1280). The city is built large, so that fog starting
-- beyond the canvas (1300) hazes its far end and leaves the pictures clear.
local S = 40

local meshes, materials = {}, {}
for i = 0, 5 do
  local g = 0.35 + 0.1 * i
  materials[#materials + 1] = { ambient = {g * 0.5, g * 0.5, g * 0.7}, diffuse = {g, g, g * 1.2} }
end
materials[#materials + 1] = { ambient = {0.05, 0.05, 0.08}, diffuse = {0.2, 0.2, 0.25} } -- street

meshes[1] = { id = 1, primitive = "plane", size = {200 * S, 200 * S}, segments = 4, material = #materials - 1 }
local seed = 7
local function rnd() -- a small generator of our own: the same city on every build
  seed = (seed * 1103515245 + 12345) % 2147483648
  return seed / 2147483648
end
for x = -7, 7 do
  for z = -7, 7 do
    if x ~= 0 then -- the main street
      local h = 2 + rnd() * 14
      meshes[#meshes + 1] = { id = #meshes + 1, primitive = "box", size = {3 * S, h * S, 3 * S},
                              position = {x * 6 * S, h / 2 * S, z * 6 * S}, material = math.floor(rnd() * 6) }
    end
  end
end

local flight = {}
for i = 0, 10 do
  flight[#flight + 1] = { time = i * 4,
                          value = { math.sin(i) * 1.5 * S, (6 + 2 * math.cos(i * 0.7)) * S, (-50 + i * 10) * S } }
end

return {
  materials = materials,
  meshes = meshes,
  cameras = {
    { position = {0, 6 * S, -50 * S}, target = {0, 5 * S, 0}, positionTrack = 500, targetTrack = 501 },
  },
  lights = {
    { kind = "directional", direction = {-0.3, -1, 0.5}, color = {0.5, 0.5, 0.7} },
    { kind = "point", position = {0, 6 * S, 0}, color = {1.0, 0.6, 0.3} },
  },
  tracks = {
    { kind = "position", object = 500, keys = flight },
    { kind = "position", object = 501, keys = {
      { time = 0, value = {0, 5 * S, 0} },
      { time = 40, value = {0, 5 * S, 60 * S} },
    } },
  },
}
