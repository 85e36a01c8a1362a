#pragma once

#include "registry.h"

#include <memory>

/// The registry of the system the program runs on. Where the system has no
/// registry, one that holds only where the desktop's system-information
/// program is (SystemInfoRegistry).
std::unique_ptr<Registry> makeSystemRegistry();
