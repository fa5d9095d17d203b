// siv: inspect and make SIV scene files.
//   siv info [--keys] FILE              what the file holds; a file the player would refuse
//                                       gives the player's message on stderr and exit 1
//   siv build DESCRIPTION.lua OUT.siv   a SIV file from a Lua scene description
//   siv import [options] MODEL OUT.siv  a SIV file from a model (glTF, OBJ, FBX, ...)
//   siv formats                         the model file extensions that import reads
// Exit codes: 0 done, 1 bad file or description, 2 wrong usage.
#include "LuaTable.h"
#include "SivDescription.h"
#include "SivInfo.h"
#include "import/ImportCommand.h"
#include "import/ModelFormats.h"

#include "core/DisplayText.h"
#include "core/Error.h"
#include "siv/SivParse.h"
#include "siv/SivMeshBuilder.h"
#include "siv/SivWriter.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace zamp;
using namespace zamp::sivtool;

namespace {

void printUsage(std::ostream& out) {
    out << "usage: siv info [--keys] FILE | siv build DESCRIPTION.lua OUT.siv | siv formats |\n       " << kImportUsage
        << "\n";
}

constexpr const char* kHelp =
    "siv: inspect and make SIV scene files for zamp.\n"
    "\n"
    "  siv info [--keys] FILE\n"
    "        list what FILE holds: sizes, counts, every mesh, texture, material, camera,\n"
    "        light and track; --keys also lists every key. A file the player would refuse\n"
    "        gives the player's own message.\n"
    "  siv build DESCRIPTION.lua OUT.siv\n"
    "        run the Lua scene description (boxes, spheres, tori, planes, meshes of your own,\n"
    "        materials, cameras, lights, tracks) and write it as a SIV file.\n"
    "  siv import [--copy-textures DIR] [--texture-root DIR] [--no-camera] [--no-light]\n"
    "             [--scale F] MODEL OUT.siv\n"
    "        convert a model (glTF, OBJ, 3DS, FBX, Collada, ... as Assimp reads them) into a\n"
    "        SIV file: meshes, materials, textures, cameras, lights and animation. --info lists\n"
    "        what would be converted and what dropped, without writing.\n"
    "  siv formats\n"
    "        list the file name extensions of the model formats that import reads.\n"
    "  siv --help, siv --version\n"
    "\n"
    "Exit codes: 0 done, 1 a bad file or description (the message on standard error),\n"
    "2 wrong usage. More: docs/siv-tool.md, docs/guide, man siv.\n";

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
        // What the player would still refuse while building the scene (textures not loaded).
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
        std::cout << "wrote " << outPath << ": " << file.meshes.size() << " meshes, " << file.textures.size()
                  << " textures, " << file.materials.size() << " materials, " << file.cameras.size() << " cameras, "
                  << file.lights.size() << " lights, " << file.tracks.size() << " tracks (" << bytes.size()
                  << " bytes)\n";
        return 0;
    });
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(std::cout);
        std::cout << "\n" << kHelp;
        return 0;
    }
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
