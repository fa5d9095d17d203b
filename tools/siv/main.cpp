// siv: inspect and make SIV scene files.
//   siv info [--keys] FILE              what the file holds; a file the player would refuse
//                                       gives the player's message on stderr and exit 1
//   siv build DESCRIPTION.lua OUT.siv   a SIV file from a Lua scene description
//   siv import [options] MODEL OUT.siv  a SIV file from a model (glTF, OBJ, FBX, ...)
//   siv formats                         the model file extensions that import reads
//   siv COMMAND --help                  the help of one command
// Exit codes: 0 done, 1 bad file or description, 2 wrong usage.
#include "LuaTable.h"
#include "SivDescription.h"
#include "SivInfo.h"
#include "import/ImportCommand.h"
#include "import/ImportText.h"
#include "import/ModelFormats.h"

#include "core/DisplayText.h"
#include "core/Error.h"
#include "siv/SivParse.h"
#include "siv/SivSceneCheck.h"
#include "siv/SivWriter.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace zamp;
using namespace zamp::sivtool;

namespace {

void printUsage(std::ostream& out) {
    out << "Usage: siv info [--keys] FILE\n"
           "  or:  siv build DESCRIPTION.lua OUT.siv\n"
           "  or:  siv formats\n"
           "  or:  "
        << kImportUsage << "\n";
}

// The help of each command: its usage line, what it does (a line of the list of commands)
// and its options. `siv --help` prints them all, `siv COMMAND --help` the one.
struct CommandHelp {
    const char* name;
    const char* usage;
    const char* what;
    const char* options;
};

constexpr CommandHelp kCommandHelp[] = {
    {"info", "siv info [--keys] FILE",
     "  info     list what FILE holds: sizes, counts, every mesh, texture, material, camera,\n"
     "           light and track. A file the player would refuse gives the player's own message.\n",
     "  --keys               also list every key of every track\n"},
    {"build", "siv build DESCRIPTION.lua OUT.siv",
     "  build    run the Lua scene description DESCRIPTION.lua (boxes, spheres, tori, planes,\n"
     "           meshes of your own, materials, cameras, lights, tracks) and write it as a SIV\n"
     "           file.\n",
     ""},
    {"import", kImportUsage,
     "  import   convert a model (glTF, OBJ, 3DS, FBX, Collada, Blender, ... as Assimp reads\n"
     "           them) into a SIV file: meshes, materials, textures, cameras, lights and\n"
     "           animation, y up and in metres where the file names its unit.\n",
     "  --info               list what would be converted and what dropped, without writing\n"
     "  --copy-textures DIR  copy the textures into DIR (embedded ones written out)\n"
     "  --texture-root DIR   name textures by their place relative to DIR, not copied\n"
     "  --textures DIR       look for textures by name in DIR and below too (repeatable)\n"
     "  --strict             refuse a model whose texture is not found (else a warning, and\n"
     "                       its materials import untextured)\n"
     "  --up y|z             the model's up axis, where the file says nothing or wrong\n"
     "  --scale F            multiply every length by F\n"
     "  --camera N|NAME      the model's camera (by number from 0, or name) as camera 0\n"
     "  --keep-eye           keep cameras' eyes where the file has them (else they move to\n"
     "                       frame the source's field of view in the player's)\n"
     "  --keep-ambient       keep black ambient colours (else the diffuse colour)\n"
     "  --no-camera          make no camera for a model that has none\n"
     "  --no-light           make no light for a model that has none\n"
     "  --time-limit S       stop an import still running after S seconds (default: 30 s\n"
     "                       and 30 s per MB of the model)\n"},
    {"formats", "siv formats", "  formats  list the file name extensions of the model formats that import reads.\n", ""},
};

constexpr const char* kExitCodes =
    "Exit codes: 0 done, 1 a bad file or description (the message on standard error),\n"
    "2 wrong usage.\n";

void printHelp(std::ostream& out) {
    printUsage(out);
    out << "\nInspect and make SIV scene files for zamp.\n\nCommands:\n";
    for (const CommandHelp& command : kCommandHelp) out << command.what;
    for (const CommandHelp& command : kCommandHelp)
        if (*command.options) out << "\nOptions of siv " << command.name << ":\n" << command.options;
    out << "\nOptions:\n"
           "  -h, --help           this help; siv COMMAND --help: the help of one command\n"
           "  --version            the version\n"
           "\n"
        << kExitCodes << "More: docs/siv-tool.md, docs/guide, man siv.\n";
}

// `siv COMMAND --help`: false for a command siv does not have.
bool printCommandHelp(const std::string& name) {
    for (const CommandHelp& command : kCommandHelp)
        if (name == command.name) {
            std::cout << "Usage: " << command.usage << "\n\n" << command.what;
            if (*command.options) std::cout << "\nOptions:\n" << command.options;
            std::cout << "\n" << kExitCodes;
            return true;
        }
    return false;
}

int usage() {
    printUsage(std::cerr);
    return 2;
}

// Runs `action`, turning the loader's and the descriptions' messages into one line on stderr
// and exit code 1.
template <class Action>
int reportingFailures(Action action) {
    try {
        return action();
    } catch (const Error& error) {
        std::cerr << displayText(error.what()) << "\n";
    } catch (const std::exception& error) {
        std::cerr << "siv: " << error.what() << "\n";
    }
    return 1;
}

int info(const std::string& path, const InfoOptions& options) {
    return reportingFailures([&] {
        const std::vector<std::uint8_t> bytes = readSivFileBytes(path);
        const SivStream stream = inflateSivContainer(bytes, path);
        const SivFile file = parseSivStream(stream, path);
        SivContainerHeader header;
        std::memcpy(&header, bytes.data(), sizeof header);
        printSivInfo(std::cout, file, header.compressedSize, header.uncompressedSize, options);
        std::cout.flush();
        // The player's check pass: what it would refuse before building (textures not loaded).
        checkSivScene(file, path);
        return 0;
    });
}

int build(const std::string& descriptionPath, const std::string& outPath) {
    return reportingFailures([&] {
        const SivFile file = readSivDescription(descriptionPath);
        checkSivScene(file, descriptionPath);
        const std::vector<std::uint8_t> bytes = encodeSivFile(file);
        // The player's bounds (too many meshes, faces, keys...) are checked on the file as
        // written: a file the player would refuse is not written.
        parseSivFile(bytes, outPath);
        writeFileReplacing(outPath, bytes);
        std::cout << "wrote " << outPath << ": " << counted(file.meshes.size(), "mesh", "meshes") << ", "
                  << counted(file.textures.size(), "texture", "textures") << ", "
                  << counted(file.materials.size(), "material", "materials") << ", "
                  << counted(file.cameras.size(), "camera", "cameras") << ", " << counted(file.lights.size(), "light", "lights")
                  << ", " << counted(file.tracks.size(), "track", "tracks") << " (" << bytes.size() << " bytes)\n";
        return 0;
    });
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printHelp(std::cout);
        return 0;
    }
    if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) return printCommandHelp(args[0]) ? 0 : usage();
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "siv " << ZAMP_VERSION << "\n";
        return 0;
    }
    if (args.empty()) return usage();
    if (args[0] == "info") {
        InfoOptions options;
        std::vector<std::string> files;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--keys")
                options.keys = true;
            else if (args[i].size() > 1 && args[i][0] == '-')
                return usage();
            else
                files.push_back(args[i]);
        }
        if (files.size() != 1) return usage();
        return info(files[0], options);
    }
    if (args.size() == 1 && args[0] == "formats") {
        for (const std::string& extension : readableModelExtensions()) std::cout << extension << "\n";
        return 0;
    }
    if (args[0] == "import") return runImport(std::vector<std::string>(args.begin() + 1, args.end()));
    if (args[0] == "build") {
        if (args.size() != 3) return usage();
        return build(args[1], args[2]);
    }
    return usage();
}
