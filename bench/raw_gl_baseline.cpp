// The floor zamp's frames are measured against: a plain OpenGL 3.3 program that draws the
// draw-count scenes (bench/draws) as zamp's script for them does, layer by layer, with the same
// vertex and index buffers (loaded and optimised by zamp's own loader), the same number of
// draw calls, a shader written for exactly each state (lit, or lit and textured) and, per
// draw, one uniform update holding only what the picture needs (the world-view and normal
// matrices and, when it changed for that program, the material); a program switch where the
// next mesh's state differs and a cull-face switch where its sidedness does. Textured meshes
// all read the picture given with --texture, bound once. Nothing of zamp's device is used.
//
//   raw_gl_baseline --layers L --camera C --offset S --end E --frames N [--texture PNG]
//                   [--png FILE --at T] SIV
//
// Draws N timed frames at the times zamp --bench N draws (start 0, end E) after one frame
// that warms up, and prints the same timing lines; with --png it writes the frame at T.
#include "IdleDevice.h"

#include "core/CpuTime.h"
#include "gfx/D3DXMath.h"
#include "platform/gl/GlObjects.h"
#include "platform/Platform.h"
#include "show/Scene.h"
#include "show/ScenePlayback.h"
#include "show/TextureRegistry.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace zamp;

namespace {

constexpr int kWidth = 1024, kHeight = 768;
constexpr float kAspect = 1.3333334f;

// Lights in the order the scene defines them: directional, point, spot.
//   draw[0..3] world-view matrix rows, draw[4..6] normal matrix rows, draw[7..9] material
//   diffuse, ambient, emissive.
//   layer[0..3] projection rows, [4] global ambient, [5] fog colour, [6] half-pixel shift
//   (x, y), fog start, fog end, [7] alpha reference, spot cos(theta / 2), cos(phi / 2),
//   [8..9] directional light colour and direction, [10..12] point light colour, position
//   and range, attenuation, [13..16] spot light colour, position and range, direction and
//   falloff, attenuation; all in camera space.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inUv;
uniform vec4 draw[10];
uniform vec4 layer[17];
out vec4 vDiffuse;
out float vFog;
out vec2 vUv;
void main() {
    vUv = inUv;
    vec4 P = mat4(draw[0], draw[1], draw[2], draw[3]) * vec4(inPosition, 1.0);
    vec3 p = P.xyz;
    vec3 N = mat3(draw[4].xyz, draw[5].xyz, draw[6].xyz) * inNormal;
    vec3 ambientSum = layer[4].rgb;
    vec3 diffuseSum = vec3(0.0);
    vec3 L = -layer[9].xyz;
    diffuseSum += layer[8].rgb * clamp(dot(N, L), 0.0, 1.0);
    vec3 toLight = layer[11].xyz - p;
    float d = length(toLight);
    if (d <= layer[11].w) {
        L = d > 0.0 ? toLight / d : vec3(0.0);
        float denom = layer[12].x + layer[12].y * d + layer[12].z * d * d;
        float att = denom > 0.0 ? 1.0 / denom : 0.0;
        diffuseSum += layer[10].rgb * clamp(dot(N, L), 0.0, 1.0) * att;
    }
    toLight = layer[14].xyz - p;
    d = length(toLight);
    if (d <= layer[14].w) {
        L = d > 0.0 ? toLight / d : vec3(0.0);
        float denom = layer[16].x + layer[16].y * d + layer[16].z * d * d;
        float att = denom > 0.0 ? 1.0 / denom : 0.0;
        float cosAlpha = dot(layer[15].xyz, -L);
        float spot = 1.0;
        if (cosAlpha <= layer[7].z) spot = 0.0;
        else if (cosAlpha <= layer[7].y)
            spot = pow((cosAlpha - layer[7].z) / (layer[7].y - layer[7].z), layer[15].w);
        diffuseSum += layer[13].rgb * clamp(dot(N, L), 0.0, 1.0) * (att * spot);
    }
    vDiffuse.rgb = clamp(draw[8].rgb * ambientSum + draw[7].rgb * diffuseSum + draw[9].rgb, 0.0, 1.0);
    vDiffuse.a = clamp(draw[7].a, 0.0, 1.0);
    float range = layer[6].w - layer[6].z;
    vFog = clamp(range != 0.0 ? (layer[6].w - length(p)) / range : 0.0, 0.0, 1.0);
    vec4 clip = mat4(layer[0], layer[1], layer[2], layer[3]) * P;
    clip.x += layer[6].x * clip.w;
    clip.y += layer[6].y * clip.w;
    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
}
)";

const char* const kFragmentShader = R"(#version 330 core
uniform vec4 layer[17];
in vec4 vDiffuse;
in float vFog;
in vec2 vUv;
out vec4 fragColor;
void main() {
    float a = clamp(vDiffuse.a, 0.0, 1.0);
    if (floor(a * 255.0 + 0.5) < layer[7].x) discard;
    fragColor = vec4(mix(layer[5].rgb, clamp(vDiffuse.rgb, 0.0, 1.0), vFog), a);
}
)";

// Texture stage 0 as zamp's scene layer sets it for a textured mesh: the texture times the lit
// colour, the texture's alpha.
const char* const kTexturedFragmentShader = R"(#version 330 core
uniform vec4 layer[17];
uniform sampler2D picture;
in vec4 vDiffuse;
in float vFog;
in vec2 vUv;
out vec4 fragColor;
void main() {
    vec4 t = texture(picture, vUv);
    float a = t.a;
    if (floor(a * 255.0 + 0.5) < layer[7].x) discard;
    fragColor = vec4(mix(layer[5].rgb, clamp(t.rgb * clamp(vDiffuse.rgb, 0.0, 1.0), 0.0, 1.0), vFog), a);
}
)";

struct Options {
    int layers = 1, camera = 0, frames = 10;
    float offset = 0, end = 20, at = 0;
    std::string png, siv, texture;
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--layers") o.layers = std::stoi(value());
        else if (a == "--camera") o.camera = std::stoi(value());
        else if (a == "--frames") o.frames = std::stoi(value());
        else if (a == "--offset") o.offset = std::stof(value());
        else if (a == "--end") o.end = std::stof(value());
        else if (a == "--png") o.png = value();
        else if (a == "--texture") o.texture = value();
        else if (a == "--at") o.at = std::stof(value());
        else if (o.siv.empty()) o.siv = a;
        else throw std::runtime_error("unexpected argument " + a);
    }
    if (o.siv.empty()) throw std::runtime_error("no SIV file given");
    return o;
}

gl::ShaderName compile(GLenum type, const char* source) {
    gl::ShaderName shader(glCreateShader(type));
    glShaderSource(shader.get(), 1, &source, nullptr);
    glCompileShader(shader.get());
    GLint ok = 0;
    glGetShaderiv(shader.get(), GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader.get(), sizeof log, nullptr, log);
        throw std::runtime_error(std::string("shader: ") + log);
    }
    return shader;
}

void putRows(float* out, const Matrix& m, int rows) { std::memcpy(out, m.m, sizeof(float) * 4 * rows); }

void putColour(float* out, const Vec4& c) { out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a; }

Vec3 directionInView(const Vec3& d, const Matrix& m) {
    Vec3 v{d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0], d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
           d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
    float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0 ? Vec3{v.x / len, v.y / len, v.z / len} : v;
}

// One shader program with the locations of its two uniform arrays.
struct Program {
    gl::ProgramName name;
    GLint draw = -1, layer = -1;
};

Program link(const char* vertexSource, const char* fragmentSource) {
    const gl::ShaderName vs = compile(GL_VERTEX_SHADER, vertexSource);
    const gl::ShaderName fs = compile(GL_FRAGMENT_SHADER, fragmentSource);
    Program p;
    p.name = gl::ProgramName(glCreateProgram());
    glAttachShader(p.name.get(), vs.get());
    glAttachShader(p.name.get(), fs.get());
    glLinkProgram(p.name.get());
    GLint ok = 0;
    glGetProgramiv(p.name.get(), GL_LINK_STATUS, &ok);
    if (!ok) throw std::runtime_error("a program does not link");
    p.draw = glGetUniformLocation(p.name.get(), "draw");
    p.layer = glGetUniformLocation(p.name.get(), "layer");
    return p;
}

struct GpuMesh {
    gl::VertexArrayName vao;
    gl::BufferName vertices, indices;
    GLsizei count = 0;
    GLenum type = GL_UNSIGNED_SHORT;
    const SceneMesh* source = nullptr;
};

class Baseline {
public:
    Baseline(const Options& o, const Scene& scene, const ArgbImage* picture) : options_(o), scene_(scene) {
        if (scene.lights.size() != 3 || scene.lights[0].light.type != D3DLIGHT_DIRECTIONAL ||
            scene.lights[1].light.type != D3DLIGHT_POINT || scene.lights[2].light.type != D3DLIGHT_SPOT)
            throw std::runtime_error("the shader is written for a directional, a point and a spot light");
        programs_[0] = link(kVertexShader, kFragmentShader);
        programs_[1] = link(kVertexShader, kTexturedFragmentShader);
        glUseProgram(programs_[0].name.get());
        if (picture) {
            // As zamp keeps a picture: rows top first, BGRA bytes, point sampling of level 0.
            picture_ = gl::makeTexture();
            glBindTexture(GL_TEXTURE_2D, picture_.get());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, picture->width, picture->height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         picture->pixels.data());
        }

        // The target zamp draws into: RGB colour and a 16-bit depth buffer.
        color_ = gl::makeTexture();
        glBindTexture(GL_TEXTURE_2D, color_.get());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kWidth, kHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        depth_ = gl::makeRenderbuffer();
        glBindRenderbuffer(GL_RENDERBUFFER, depth_.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
        framebuffer_ = gl::makeFramebuffer();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_.get(), 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.get());
        glViewport(0, 0, kWidth, kHeight);

        for (const auto& m : scene.meshes) {
            if (m->hasTexture && !picture) throw std::runtime_error("the scene has textured meshes: give --texture");
            meshes_.push_back(upload(*m));
        }

        // The state every layer of the script draws with, set once.
        glFrontFace(GL_CCW);
        glDisable(GL_DITHER);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glCullFace(GL_BACK);
        glClearColor(0, 0, 0, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (picture_.get() != 0) glBindTexture(GL_TEXTURE_2D, picture_.get()); // unit 0, for the whole run
    }

    long frame(float t) {
        long calls = 0;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ++calls;
        const SceneCamera& camera = scene_.cameras[std::size_t(options_.camera)];
        bool culling = false;
        glDisable(GL_CULL_FACE);
        calls += 1;
        for (int layer = 0; layer < options_.layers; ++layer) {
            const float st = t + float(layer) * options_.offset;
            glClear(GL_DEPTH_BUFFER_BIT);
            const Matrix view = cameraView(camera, st);
            calls += 1 + setLayerUniforms(view, cameraProjection(camera, st, kAspect));
            // The material each program last received.
            const Material* uploadedTo[2] = {nullptr, nullptr};
            for (const GpuMesh& mesh : meshes_) {
                const SceneMesh& m = *mesh.source;
                if (m.twoSided == culling) {
                    culling = !m.twoSided;
                    culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
                    ++calls;
                }
                const int shape = m.hasTexture ? 1 : 0;
                if (shape != current_) {
                    glUseProgram(programs_[shape].name.get());
                    current_ = shape;
                    ++calls;
                }
                const Material*& uploaded = uploadedTo[shape];
                const Matrix worldView = matrixMultiply(meshWorldMatrix(m, st), view);
                float draw[40];
                putRows(draw, worldView, 4);
                putRows(draw + 16, normalMatrix(worldView), 3);
                int count = 7;
                if (uploaded == nullptr || std::memcmp(uploaded, &m.material, sizeof(Material)) != 0) {
                    putColour(draw + 28, m.material.diffuse);
                    putColour(draw + 32, m.material.ambient);
                    putColour(draw + 36, m.material.emissive);
                    uploaded = &m.material;
                    count = 10;
                }
                glUniform4fv(programs_[shape].draw, count, draw);
                glBindVertexArray(mesh.vao.get());
                glDrawElements(GL_TRIANGLES, mesh.count, mesh.type, nullptr);
                calls += 3;
            }
        }
        glFlush();
        return calls + 1;
    }

    std::vector<std::uint8_t> pixels() {
        std::vector<std::uint8_t> rgb(std::size_t(kWidth) * kHeight * 3);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }

private:
    static GpuMesh upload(const SceneMesh& m) {
        GpuMesh g;
        g.source = &m;
        g.vao = gl::makeVertexArray();
        glBindVertexArray(g.vao.get());
        g.vertices = gl::makeBuffer();
        g.indices = gl::makeBuffer();
        glBindBuffer(GL_ARRAY_BUFFER, g.vertices.get());
        auto vs = m.mesh->vertices();
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vs.size_bytes()), vs.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g.indices.get());
        if (m.mesh->has32BitIndices()) {
            auto is = m.mesh->indices32();
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(is.size_bytes()), is.data(), GL_STATIC_DRAW);
            g.count = GLsizei(is.size());
            g.type = GL_UNSIGNED_INT;
        } else {
            auto is = m.mesh->indices16();
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(is.size_bytes()), is.data(), GL_STATIC_DRAW);
            g.count = GLsizei(is.size());
        }
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                              reinterpret_cast<void*>(offsetof(MeshVertex, normal)));
        if (m.hasTexture) {
            glEnableVertexAttribArray(2);
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                                  reinterpret_cast<void*>(offsetof(MeshVertex, u)));
        }
        return g;
    }

    // What the script's fog (grey, 30 to 120), ambient colour (30, 30, 40) and the scene
    // layer's alpha test (reference 1) give, with the scene's lights moved into camera space,
    // for every program the scene uses. Returns the GL calls it made.
    long setLayerUniforms(const Matrix& view, const Matrix& projection) {
        float u[17 * 4] = {};
        putRows(u, projection, 4);
        putColour(u + 16, colorValue(0x001E1E28));
        putColour(u + 20, colorValue(0xFF808080));
        constexpr float k = 63.0f / 64.0f; // zamp's shift to Direct3D's pixel centres
        u[24] = k / kWidth, u[25] = -k / kHeight, u[26] = 30, u[27] = 120;
        const Light& sun = scene_.lights[0].light;
        const Light& point = scene_.lights[1].light;
        const Light& spot = scene_.lights[2].light;
        u[28] = 1, u[29] = std::cos(spot.theta / 2), u[30] = std::cos(spot.phi / 2);
        putColour(u + 32, sun.diffuse);
        Vec3 d = directionInView(sun.direction, view);
        u[36] = d.x, u[37] = d.y, u[38] = d.z;
        putColour(u + 40, point.diffuse);
        Vec4 p = transformPoint(point.position, view);
        u[44] = p.r, u[45] = p.g, u[46] = p.b, u[47] = point.range;
        u[48] = point.attenuation0, u[49] = point.attenuation1, u[50] = point.attenuation2;
        putColour(u + 52, spot.diffuse);
        p = transformPoint(spot.position, view);
        u[56] = p.r, u[57] = p.g, u[58] = p.b, u[59] = spot.range;
        d = directionInView(spot.direction, view);
        u[60] = d.x, u[61] = d.y, u[62] = d.z, u[63] = spot.falloff;
        u[64] = spot.attenuation0, u[65] = spot.attenuation1, u[66] = spot.attenuation2;
        if (picture_.get() == 0) {
            glUniform4fv(programs_[0].layer, 17, u);
            return 1;
        }
        for (int shape : {1 - current_, current_}) {
            glUseProgram(programs_[shape].name.get());
            glUniform4fv(programs_[shape].layer, 17, u);
        }
        return 4;
    }

    const Options& options_;
    const Scene& scene_;
    Program programs_[2]; // lit; lit and textured
    int current_ = 0;     // the program in use
    gl::TextureName picture_;
    gl::TextureName color_;
    gl::RenderbufferName depth_;
    gl::FramebufferName framebuffer_;
    std::vector<GpuMesh> meshes_;
};

struct Video {
    Video() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw std::runtime_error(SDL_GetError());
    }
    ~Video() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) try {
    const Options options = parse(argc, argv);
    bench::IdleDevice loader;
    const auto imageFiles = openImageFiles();
    TextureRegistry textures;
    SceneList scenes;
    scenes.loadSiv(loader, *imageFiles, textures, options.siv, "draws");
    const Scene& scene = scenes[0];
    if (std::size_t(options.camera) >= scene.cameras.size()) throw std::runtime_error("no such camera");

    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    const Video video;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    const std::unique_ptr<SDL_Window, decltype(&SDL_DestroyWindow)> window(
        SDL_CreateWindow("baseline", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN), &SDL_DestroyWindow);
    if (!window) throw std::runtime_error(SDL_GetError());
    const std::unique_ptr<void, decltype(&SDL_GL_DeleteContext)> context(SDL_GL_CreateContext(window.get()),
                                                                         &SDL_GL_DeleteContext);
    if (!context) throw std::runtime_error(SDL_GetError());

    {
        std::optional<ArgbImage> picture;
        if (!options.texture.empty()) {
            picture = imageFiles->read(options.texture);
            if (!picture) throw std::runtime_error(options.texture + " cannot be read");
        }
        Baseline baseline(options, scene, picture ? &*picture : nullptr);
        if (!options.png.empty()) {
            baseline.frame(options.at);
            RgbImage image{kWidth, kHeight, {}};
            image.pixels = baseline.pixels();
            // Rows come bottom first from GL; zamp's pictures are top row first and so is
            // this one, as the shader flips y.
            imageFiles->writePng(options.png, image);
        } else {
            baseline.frame(0); // uploads and compiles whatever the driver defers
            glFinish();
            std::vector<double> wall, cpu, thread;
            long calls = 0;
            for (int k = 0; k < options.frames; ++k) {
                const float t = float(double(options.end) * double(k) / double(options.frames));
                const auto w0 = std::chrono::steady_clock::now();
                const double cpu0 = processCpuMs(), thread0 = threadCpuMs();
                calls += baseline.frame(t);
                glFinish();
                cpu.push_back(processCpuMs() - cpu0);
                thread.push_back(threadCpuMs() - thread0);
                wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count());
            }
            const double n = double(options.frames);
            std::printf("frames %d, ms/frame mean %.3f median %.3f, gl calls/frame %.1f\n", options.frames,
                        std::accumulate(wall.begin(), wall.end(), 0.0) / n, median(wall), double(calls) / n);
            std::printf("process cpu ms/frame mean %.3f median %.3f\n", std::accumulate(cpu.begin(), cpu.end(), 0.0) / n,
                        median(cpu));
            std::printf("player thread cpu ms/frame mean %.3f median %.3f\n",
                        std::accumulate(thread.begin(), thread.end(), 0.0) / n, median(thread));
            std::printf("renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
            std::printf("vertices/draw %zu faces/draw %u\n", scene.meshes[0]->mesh->vertices().size(),
                        unsigned(scene.meshes[0]->mesh->faceCount()));
        }
    }
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "raw_gl_baseline: %s\n", e.what());
    return 1;
}
