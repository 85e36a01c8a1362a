#pragma once

#include "registry.h"

#include <memory>

/// The registry of the system the program runs on. Where the system has no
/// registry every key is missing.
std::unique_ptr<Registry> makeSystemRegistry();
