#include "platform/SystemServices.h"

namespace {
SystemServices* g_override = nullptr;
}

SystemServices& System() {
    return g_override != nullptr ? *g_override : NativeSystem();
}

ScopedSystemOverride::ScopedSystemOverride(SystemServices& services) : previous_(g_override) {
    g_override = &services;
}

ScopedSystemOverride::~ScopedSystemOverride() {
    g_override = previous_;
}
