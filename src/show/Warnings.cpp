#include "show/Warnings.h"

#include <algorithm>

namespace zamp {

void Warnings::add(const std::string& text) {
    if (std::find(texts_.begin(), texts_.end(), text) != texts_.end()) return;
    texts_.push_back(text);
    if (listener) listener(text);
}

} // namespace zamp
