// How the import writes names and numbers in its summary, warnings and lists.
#pragma once

#include "core/Values.h"

#include <assimp/types.h>

#include <sstream>
#include <string>

namespace zamp::sivtool {

inline std::string quoted(const aiString& name) { return std::string("\"") + name.C_Str() + "\""; }

// Four significant digits: enough to recognise a value, short enough to read.
inline std::string number(double v) {
    std::ostringstream out;
    out.precision(4);
    out << v;
    return out.str();
}

inline std::string vec(const Vec3& v) { return "(" + number(v.x) + ", " + number(v.y) + ", " + number(v.z) + ")"; }

// "1 camera", "2 cameras".
inline std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace zamp::sivtool
