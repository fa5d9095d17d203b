// Everything one run of the show script builds: textures and render targets, images,
// scenes, the layers of the timeline, the music chosen, the start and end times, the
// render states the script sets and the warnings it earned. Running a show means running its script into a fresh Show;
// destroying one releases every device object it made, so the device must outlive it.
#pragma once

#include "gfx/D3DTypes.h"
#include "show/Image.h"
#include "show/LayerList.h"
#include "show/Scene.h"
#include "show/TextureRegistry.h"
#include "show/Warnings.h"

#include <array>
#include <optional>
#include <string>

namespace zamp {

class Device;

// The piece of music the script asked for: the file as the script named it, and where a
// stream starts (the demo time that stood when the script loaded it).
struct MusicChoice {
    std::string path;
    float startSeconds = 0;
};

// The render states a script sets (fog and ambient light). They stay with the show and go to
// the device when the show starts, so a show built again starts from its own and not from
// what an earlier one left on the device.
class ScriptRenderStates {
public:
    // The states, in the order they go to the device.
    enum class State { FogEnable, RangeFogEnable, FogColor, FogVertexMode, FogStart, FogEnd, Ambient, Count };
    static constexpr std::array<D3DRENDERSTATETYPE, std::size_t(State::Count)> kDeviceStates = {
        D3DRS_FOGENABLE, D3DRS_RANGEFOGENABLE, D3DRS_FOGCOLOR, D3DRS_FOGVERTEXMODE,
        D3DRS_FOGSTART,  D3DRS_FOGEND,         D3DRS_AMBIENT};

    // Starts with the device's values after its set-up: fog off, no ambient light.
    ScriptRenderStates();

    void set(State state, DWORD value);
    DWORD get(State state) const;
    // Sets every state on the device.
    void apply(Device& device) const;

private:
    // The slot of `state`; a value outside the enumeration (only a cast makes one) is an Error.
    static std::size_t slot(State state);
    std::array<DWORD, kDeviceStates.size()> values_{};
};

class Show {
public:
    Show() = default;
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    // Declared so that layers go first, then scenes and images, and the textures they refer
    // to last.
    TextureRegistry textures;
    ImageList images;
    SceneList scenes;
    LayerList layers;

    std::optional<MusicChoice> music;
    float startTime = 0;
    float endTime = 0;
    ScriptRenderStates renderStates;
    Warnings warnings;
};

// Every file the show was built from besides its script: SIV files, images and textures,
// the music; each once.
std::vector<std::string> showFiles(const Show& show);

// Every file the script's loads looked for, found or not, besides the script: the files of
// showFiles and the places where a missing file was sought (for a show whose script failed
// as well as for a finished one); each once.
std::vector<std::string> showFilesSought(const Show& show);

// The warnings that only the finished show can give (the script has run): an end time that
// is not above the start time.
void checkFinishedShow(Show& show);

} // namespace zamp
