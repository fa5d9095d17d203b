#include "import/ModelFormats.h"

#include <assimp/Importer.hpp>

#include <algorithm>

namespace zamp::sivtool {

std::vector<std::string> readableModelExtensions() {
    Assimp::Importer importer;
    std::string list; // "*.3ds;*.obj;..."
    importer.GetExtensionList(list);
    std::vector<std::string> extensions;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string entry = list.substr(start, end - start);
        if (entry.starts_with("*.")) entry.erase(0, 2);
        for (char& c : entry)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (!entry.empty()) extensions.push_back(entry);
        start = end + 1;
    }
    std::sort(extensions.begin(), extensions.end());
    extensions.erase(std::unique(extensions.begin(), extensions.end()), extensions.end());
    return extensions;
}

} // namespace zamp::sivtool
