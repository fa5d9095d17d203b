// The pictures a model's materials use: where each comes from (a file beside the model, or
// one embedded in it), the name the SIV file gives it, and with --copy-textures the copy
// that the player will find.
#pragma once

#include <assimp/scene.h>

#include <optional>
#include <string>
#include <vector>

namespace zamp {
class ImageFiles;
}

namespace zamp::sivtool {

struct TexturePlan {
    std::string reference;  // as the model names it ("*0" for the first embedded picture)
    std::string sivName;    // the name written into the SIV file
    std::string sourcePath; // the file found beside the model; empty for an embedded picture
    const aiTexture* embedded = nullptr;
    std::string copyPath;   // with --copy-textures: the file written there
    bool copyExists = false; // copyPath is the picture itself, or holds its bytes: nothing is written
    std::string problem;    // why it cannot be imported; empty when it can
    bool missing = false;   // no file was found for it: its materials can go untextured
};

struct TextureSettings {
    std::string modelFolder; // where the model's relative texture names start
    std::string modelStem;   // the model's file name without extension: names embedded pictures
    std::string copyFolder;  // empty: no copies, the SIV file names the model's own files
    std::string outFolder;   // the folder of OUT.siv: texture names are relative to it
    std::vector<std::string> searchFolders; // --textures: where else to look for a texture by its name
    // Set (--texture-root): files found for the model are not copied but named by their
    // place relative to this folder (the show folder, from which the player finds them).
    std::string textureRoot;
};

// Where the file of a texture that a model names is, found as a modelling program's "find
// missing files" does: the name as written, relative to the model (a backslash read as a
// separator, letters in any case, ".." followed); else the file's name in the model's folder
// and below, then in each search folder and below. A placeholder name ("$texture_dummy.bmp",
// written by readers of formats that name no skin file) is the picture beside the model whose
// name starts as the model's does. nullopt when nothing is found.
std::optional<std::string> findTexture(const std::string& reference, const TextureSettings& settings);

// Plans every distinct texture in `references`, in order. Copy names never repeat.
std::vector<TexturePlan> planTextures(const aiScene& scene, const std::vector<std::string>& references,
                                      const TextureSettings& settings);

// Writes the copies: files are copied as they are, embedded pictures are written out
// (compressed ones in their own format, raw texels as PNG). Throws an Error naming the
// texture when one cannot be written or is no picture the player's decoder reads.
void copyTextures(std::vector<TexturePlan>& plans, ImageFiles& images);

} // namespace zamp::sivtool
