#include "import/SourceFrame.h"

#include "import/ImportText.h"

#include <assimp/metadata.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace zamp::sivtool {

namespace {

// z up to y up, right-handed both: (x, y, z) -> (x, z, -y).
aiMatrix4x4 zUpToYUp() { return aiMatrix4x4(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1); }

double columnLength(const aiMatrix4x4& m, int c) {
    return std::sqrt(double(m[0][c]) * m[0][c] + double(m[1][c]) * m[1][c] + double(m[2][c]) * m[2][c]);
}

// The readers that know a file is z-up (3DS, ASE, MD2, Collada's Z_UP) turn it at the root
// node; a rotation there tells that this happened. In other formats such a rotation is the
// model's own.
bool readerTurnedZUp(const aiScene& scene, const std::string& extension) {
    static const char* const kTurningReaders[] = {".3ds", ".ase", ".ask", ".md2", ".md3", ".dae", ".zae"};
    if (std::none_of(std::begin(kTurningReaders), std::end(kTurningReaders), [&](const char* e) { return extension == e; }))
        return false;
    if (!scene.mRootNode) return false;
    const aiMatrix4x4& m = scene.mRootNode->mTransformation;
    const aiMatrix4x4 turn = zUpToYUp();
    for (int c = 0; c < 3; ++c) {
        const double length = columnLength(m, c);
        if (!(length > 0)) return false;
        for (int r = 0; r < 3; ++r)
            if (std::fabs(m[r][c] / length - turn[r][c]) > 1e-4) return false;
    }
    return true;
}

template <class T>
std::optional<T> metadata(const aiScene& scene, const char* key) {
    T value{};
    if (scene.mMetaData && scene.mMetaData->Get(key, value)) return value;
    return std::nullopt;
}

// FBX's axis settings: which file axis is right (coord), up and front, with their signs.
std::optional<aiMatrix4x4> fbxAxes(const aiScene& scene) {
    const auto up = metadata<int32_t>(scene, "UpAxis"), upSign = metadata<int32_t>(scene, "UpAxisSign");
    const auto front = metadata<int32_t>(scene, "FrontAxis"), frontSign = metadata<int32_t>(scene, "FrontAxisSign");
    const auto coord = metadata<int32_t>(scene, "CoordAxis"), coordSign = metadata<int32_t>(scene, "CoordAxisSign");
    if (!up || !upSign || !front || !frontSign || !coord || !coordSign) return std::nullopt;
    const int axes[3] = {*coord, *up, *front};
    const int signs[3] = {*coordSign, *upSign, *frontSign};
    if (*coord == *up || *up == *front || *coord == *front) return std::nullopt;
    aiMatrix4x4 m;
    for (int row = 0; row < 3; ++row) {
        if (axes[row] < 0 || axes[row] > 2) return std::nullopt;
        for (int c = 0; c < 3; ++c) m[row][c] = 0;
        m[row][axes[row]] = signs[row] < 0 ? -1.0f : 1.0f;
    }
    return m;
}

} // namespace

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& ch : extension) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return extension;
}

std::string SourceFrame::describe() const {
    std::string text = std::string(up == UpAxis::Z ? "z" : "y") + " up " +
                       (upForced ? "(--up)" : upFromFile ? "(the file's)" : "(the file does not say; --up z turns it)");
    if (unitFromFile) text += ", 1 unit = " + number(metresPerUnit) + " m (the file's)";
    return text;
}

SourceFrame sourceFrameOf(const aiScene& scene, const std::string& modelPath, std::optional<UpAxis> forcedUp) {
    const std::string extension = lowerExtension(modelPath);
    SourceFrame frame;
    const bool readerTurned = readerTurnedZUp(scene, extension);
    std::optional<aiMatrix4x4> axes;
    double ourScale = 1.0;

    if (readerTurned) {
        frame.up = UpAxis::Z;
        frame.upFromFile = true;
    } else if (extension == ".blend") {
        // Blender works z-up in metres and its reader keeps its coordinates.
        frame.up = UpAxis::Z;
        frame.upFromFile = true;
    } else if (extension == ".fbx") {
        axes = fbxAxes(scene);
        if (axes) {
            frame.upFromFile = true;
            frame.up = std::fabs((*axes)[1][2]) > 0.5f ? UpAxis::Z : UpAxis::Y;
        }
        // The file's unit in centimetres; the reader leaves lengths in it.
        if (const auto centimetres = metadata<float>(scene, "UnitScaleFactor"); centimetres && *centimetres > 0 &&
                                                                               std::isfinite(*centimetres)) {
            frame.metresPerUnit = *centimetres / 100.0;
            frame.unitFromFile = true;
            ourScale = frame.metresPerUnit;
        }
    }
    if ((extension == ".dae" || extension == ".zae") && scene.mRootNode) {
        // A Collada file is y-up unless it says otherwise; its unit is applied by its reader
        // at the root, and only told here.
        frame.upFromFile = true;
        const double unit = columnLength(scene.mRootNode->mTransformation, 0);
        if (unit > 0 && std::fabs(unit - 1) > 1e-6) {
            frame.metresPerUnit = unit;
            frame.unitFromFile = true;
        }
    }

    aiMatrix4x4 turn; // identity
    if (forcedUp) {
        frame.upForced = true;
        frame.up = *forcedUp;
        axes.reset();
    }
    if (axes) {
        turn = *axes;
    } else if (readerTurned && frame.up == UpAxis::Y) {
        turn = zUpToYUp(); // the reader turned a file that was y-up after all: undo it
        turn.Inverse();
    } else if (!readerTurned && frame.up == UpAxis::Z) {
        turn = zUpToYUp();
    }
    aiMatrix4x4 scale;
    aiMatrix4x4::Scaling(aiVector3D(ai_real(ourScale)), scale);
    frame.toPlayerFrame = scale * turn;
    return frame;
}

} // namespace zamp::sivtool
