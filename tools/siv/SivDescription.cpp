#include "SivDescription.h"

#include "LuaTable.h"
#include "SivPrimitives.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace zamp::sivtool {

namespace {

struct LuaCloser {
    void operator()(lua_State* lua) const { lua_close(lua); }
};

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

int positiveCount(const LuaTable& t, const char* key, int fallback, int minimum) {
    const std::int32_t value = t.integer(key, fallback);
    if (value < minimum) t.fail(key, "must be at least " + std::to_string(minimum));
    if (value > 4096) t.fail(key, "must be at most 4096");
    return value;
}

float positive(const LuaTable& t, const char* key, float fallback) {
    const float value = t.number(key, fallback);
    if (!(value > 0)) t.fail(key, "must be greater than 0");
    return value;
}

Geometry readPrimitive(const LuaTable& t) {
    const std::string kind = t.string("primitive");
    if (kind == "box") {
        t.allowOnly({"id", "primitive", "material", "position", "rotation", "size", "segments"});
        // One number for a cube, or three edge lengths.
        Vec3 size{1, 1, 1};
        if (t.isNumber("size")) {
            const float edge = t.number("size");
            size = {edge, edge, edge};
        } else if (t.has("size")) {
            size = t.vec3("size");
        }
        if (!(size.x > 0 && size.y > 0 && size.z > 0)) t.fail("size", "every edge must be greater than 0");
        return makeBox(size, positiveCount(t, "segments", 1, 1));
    }
    if (kind == "sphere") {
        t.allowOnly({"id", "primitive", "material", "position", "rotation", "radius", "segments", "rings"});
        return makeSphere(positive(t, "radius", 1), positiveCount(t, "segments", 16, 3), positiveCount(t, "rings", 8, 2));
    }
    if (kind == "torus") {
        t.allowOnly({"id", "primitive", "material", "position", "rotation", "radius", "tube", "segments", "sides"});
        return makeTorus(positive(t, "radius", 1), positive(t, "tube", 0.25f), positiveCount(t, "segments", 24, 3),
                         positiveCount(t, "sides", 12, 3));
    }
    if (kind == "plane") {
        t.allowOnly({"id", "primitive", "material", "position", "rotation", "size", "segments"});
        Vec2 size{1, 1};
        if (t.isNumber("size")) {
            const float side = t.number("size");
            size = {side, side};
        } else if (t.has("size")) {
            size = t.vec2("size");
        }
        if (!(size.x > 0 && size.y > 0)) t.fail("size", "both sides must be greater than 0");
        return makePlane(size.x, size.y, positiveCount(t, "segments", 1, 1));
    }
    t.fail("primitive", "unknown primitive \"" + kind + "\" (expected box, sphere, torus or plane)");
}

Geometry readExplicitGeometry(const LuaTable& t) {
    t.allowOnly({"id", "material", "position", "rotation", "vertices", "faces"});
    Geometry g;
    t.forEach("vertices", [&](const LuaTable& v, std::size_t) {
        v.allowOnly({"position", "normal", "uv"});
        SivVertex vertex{};
        vertex.position = v.vec3("position");
        vertex.normal = v.vec3("normal", Vec3{});
        const Vec2 uv = v.vec2("uv", Vec2{});
        vertex.u = uv.x;
        vertex.v = uv.y;
        g.vertices.push_back(vertex);
    });
    t.forEach("faces", [&](const LuaTable& f, std::size_t) {
        const std::vector<double> corners = f.numbers();
        if (corners.size() != 3) f.fail("", "a face is a list of 3 vertex indices");
        SivFace face{};
        for (std::size_t k = 0; k < 3; ++k) {
            const double c = corners[k];
            if (!(c >= 0 && c < static_cast<double>(g.vertices.size())) || c != std::floor(c))
                f.fail("", "vertex index " + formatNumber(c) + " is not one of the " +
                               std::to_string(g.vertices.size()) + " vertices (indices start at 0)");
            face.indices[k] = static_cast<std::int32_t>(c);
        }
        g.faces.push_back(face);
    });
    if (g.vertices.empty()) t.fail("vertices", "a mesh needs at least one vertex");
    fillMissingNormals(g);
    return g;
}

SivMesh readMesh(const LuaTable& t, std::size_t position, std::size_t materialCount) {
    SivMesh mesh;
    Geometry g = t.has("primitive") ? readPrimitive(t) : readExplicitGeometry(t);
    if (g.faces.empty()) t.fail("faces", "a mesh needs at least one face");
    // The player refuses 16-bit meshes (fewer than 65535 faces) of more than 65535 vertices.
    if (g.faces.size() < 65535 && g.vertices.size() > 65535)
        t.fail("", "more than 65535 vertices need at least 65535 faces (the player's index width)");

    const std::int32_t material = t.integer("material", 0);
    if (material < 0 || static_cast<std::size_t>(material) >= materialCount)
        t.fail("material", "no material " + std::to_string(material) + " (materials are numbered from 0; there are " +
                               std::to_string(materialCount) + ")");
    for (SivFace& f : g.faces) f.materialIndex = material;

    mesh.header.objectId = t.integer("id", static_cast<std::int32_t>(position + 1));
    mesh.header.position = t.vec3("position", Vec3{});
    mesh.header.rotation = t.quaternion("rotation", Quaternion{0, 0, 0, 1});
    mesh.vertices = std::move(g.vertices);
    mesh.faces = std::move(g.faces);
    return mesh;
}

SivFile convert(const LuaTable& root) {
    root.allowOnly({"meshes", "materials", "textures", "cameras", "lights", "tracks"});
    SivFile file;

    root.forEach("textures", [&](const LuaTable& t, std::size_t) {
        t.allowOnly({"id", "file"});
        const std::string name = t.string("file");
        if (name.size() >= kSivTextureNameSize) t.fail("file", "a file name has at most 79 bytes");
        if (name.find('\0') != std::string::npos) t.fail("file", "a file name cannot hold a zero byte");
        file.textures.push_back(makeSivTextureEntry(t.integer("id"), name));
    });
    root.forEach("materials", [&](const LuaTable& t, std::size_t) {
        t.allowOnly({"ambient", "diffuse", "specular", "power", "texture", "twoSided"});
        SivMaterial m{};
        m.ambient = t.rgb("ambient", SivRgb{0.2f, 0.2f, 0.2f});
        m.diffuse = t.rgb("diffuse", SivRgb{1, 1, 1});
        m.specular = t.rgb("specular", SivRgb{0, 0, 0});
        m.power = t.number("power", 0);
        // -1: an id that no texture entry of this tool's files uses unless asked to.
        m.textureId = t.integer("texture", -1);
        m.twoSided = t.boolean("twoSided", false) ? 1 : 0;
        file.materials.push_back(m);
    });
    root.forEach("meshes", [&](const LuaTable& t, std::size_t i) {
        file.meshes.push_back(readMesh(t, i, file.materials.size()));
    });
    root.forEach("cameras", [&](const LuaTable& t, std::size_t) {
        t.allowOnly({"position", "target", "positionTrack", "targetTrack"});
        SivCamera c{};
        c.position = t.vec3("position");
        c.target = t.vec3("target", Vec3{});
        // Ids that no track uses unless the description names them.
        c.positionTrackId = t.integer("positionTrack", -1);
        c.targetTrackId = t.integer("targetTrack", -1);
        file.cameras.push_back(c);
    });
    root.forEach("lights", [&](const LuaTable& t, std::size_t) {
        t.allowOnly({"kind", "position", "direction", "color"});
        SivLight l{};
        l.kind = t.has("kind") ? t.choice("kind", {{"point", kSivLightPoint}, {"spot", kSivLightSpot},
                                                   {"directional", kSivLightDirectional}})
                               : kSivLightPoint;
        l.position = t.vec3("position", Vec3{});
        l.direction = t.vec3("direction", Vec3{0, 0, 1});
        l.color = t.rgb("color", SivRgb{1, 1, 1});
        l.positionTrackId = l.targetTrackId = -1;
        file.lights.push_back(l);
    });
    root.forEach("tracks", [&](const LuaTable& t, std::size_t) {
        t.allowOnly({"kind", "object", "keys"});
        SivTrackRecord track;
        track.header.kind = t.choice(
            "kind", {{"position", kSivTrackPosition}, {"rotation", kSivTrackRotation}, {"scale", kSivTrackScale}});
        track.header.objectId = t.integer("object");
        t.forEach("keys", [&](const LuaTable& k, std::size_t) {
            k.allowOnly({"time", "value", "w", "tension", "continuity", "bias"});
            SivKey key{};
            key.time = k.number("time");
            if (track.header.kind == kSivTrackRotation && !k.has("w")) {
                // A rotation may be written as one quaternion {x, y, z, w}.
                const Quaternion q = k.quaternion("value");
                key.value = {q.x, q.y, q.z};
                key.w = q.w;
            } else {
                key.value = k.vec3("value");
                key.w = k.number("w", 0);
            }
            key.tension = k.number("tension", 0);
            key.continuity = k.number("continuity", 0);
            key.bias = k.number("bias", 0);
            track.keys.push_back(key);
        });
        // The player fails on the first frame of a curve that a track left empty.
        if (track.keys.empty() && (track.header.kind == kSivTrackPosition || track.header.kind == kSivTrackRotation))
            t.fail("keys", "a position or rotation track needs at least one key");
        file.tracks.push_back(std::move(track));
    });
    return file;
}

SivFile run(lua_State* lua, int loadResult, const std::string& chunkName) {
    if (loadResult != 0 || lua_pcall(lua, 0, 1, 0) != 0) {
        const char* message = lua_tostring(lua, -1);
        throw DescriptionError(message ? message : chunkName + ": the description failed to run");
    }
    if (lua_type(lua, -1) != LUA_TTABLE)
        throw DescriptionError(chunkName + ": the description must return a table (return { meshes = ..., ... })");
    try {
        return convert(LuaTable(lua, -1, ""));
    } catch (const DescriptionError& e) {
        throw DescriptionError(chunkName + ": " + e.what());
    }
}

std::unique_ptr<lua_State, LuaCloser> newState() {
    std::unique_ptr<lua_State, LuaCloser> lua(luaL_newstate());
    if (!lua) throw DescriptionError("cannot create a Lua state");
    luaL_openlibs(lua.get());
    return lua;
}

} // namespace

SivFile readSivDescription(const std::string& path) {
    auto lua = newState();
    return run(lua.get(), luaL_loadfile(lua.get(), path.c_str()), path);
}

SivFile parseSivDescription(const std::string& text, const std::string& chunkName) {
    auto lua = newState();
    return run(lua.get(), luaL_loadbuffer(lua.get(), text.data(), text.size(), ("=" + chunkName).c_str()), chunkName);
}

} // namespace zamp::sivtool
