// What `siv import` tells its user: the one-line summary of every import and the listing of
// `siv import --info`.
#pragma once

#include "import/ModelConversion.h"

#include <ostream>
#include <string>

namespace zamp::sivtool {

// "MODEL -> OUT: 3 meshes, 1200 faces, ...; dropped: ..." on one line.
std::string importSummary(const ConvertedModel& model, const std::string& modelPath, const std::string& outPath);

// Everything that would be converted, warned about, dropped (with the reason) and what
// would stop the import.
void printImportInfo(std::ostream& out, const ConvertedModel& model, const std::string& modelPath);

} // namespace zamp::sivtool
