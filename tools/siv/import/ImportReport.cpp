#include "import/ImportReport.h"

#include "import/ImportText.h"

#include <sstream>

namespace zamp::sivtool {

namespace {

void section(std::ostream& out, const char* title, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    out << title << ":\n";
    for (const std::string& line : lines) out << "  " << line << "\n";
}

} // namespace

std::string importSummary(const ConvertedModel& model, const std::string& modelPath, const std::string& outPath) {
    const ImportCounts& c = model.counts;
    std::ostringstream line;
    line << modelPath << " -> " << outPath << ": " << counted(c.meshes, "mesh", "meshes") << ", "
         << counted(c.faces, "face", "faces") << ", " << counted(c.materials, "material", "materials") << ", "
         << counted(c.textures, "texture", "textures") << ", " << counted(c.cameras, "camera", "cameras")
         << (c.madeCamera ? " (made)" : "") << ", " << counted(c.lights, "light", "lights")
         << (c.madeLight ? " (made)" : "") << ", " << counted(c.tracks, "animated track", "animated tracks");
    if (!model.frame.empty()) line << "; " << model.frame;
    for (const std::string& note : model.notes) line << "; " << note;
    if (model.dropped.empty()) {
        line << "; nothing dropped";
    } else {
        line << "; dropped: ";
        for (std::size_t i = 0; i < model.dropped.size(); ++i) line << (i ? "; " : "") << model.dropped[i];
    }
    return line.str();
}

void printImportInfo(std::ostream& out, const ConvertedModel& model, const std::string& modelPath) {
    out << modelPath << " (bounding radius " << model.radius << ")\n";
    section(out, "converted", model.converted);
    std::vector<std::string> textures;
    std::vector<std::string> problems;
    for (const TexturePlan& t : model.textures) {
        if (!t.problem.empty()) {
            problems.push_back(t.problem);
            continue;
        }
        textures.push_back(t.reference + (t.embedded ? " (embedded)" : " (" + t.sourcePath + ")") + " -> " + t.sivName);
    }
    section(out, "textures", textures);
    section(out, "warnings", model.warnings);
    section(out, "dropped", model.dropped);
    section(out, "problems that stop the import", problems);
    out << importSummary(model, modelPath, "OUT.siv") << "\n";
}

} // namespace zamp::sivtool
