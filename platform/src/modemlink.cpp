// The radio's modem: the profile's own, or an outside AT modem that sim.json's
// "modem" names (a TCP address or a serial port).
#include "internal.h"
#include <atomic>

namespace {
std::atomic<bool> g_fServeBuiltin{false};
} // namespace

void PlatModemServeBuiltin()
{
    g_fServeBuiltin = true;
}
