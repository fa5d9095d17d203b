#include "app/Interrupt.h"

#include <csignal>

namespace zamp {

std::atomic<bool> Interrupt::requested_{false};
std::atomic<int> Interrupt::signal_{0};

void Interrupt::handle(int signal) {
    signal_.store(signal);
    requested_.store(true);
}

void Interrupt::watch() {
    std::signal(SIGINT, &Interrupt::handle);
    std::signal(SIGTERM, &Interrupt::handle);
}

} // namespace zamp
