// Quillon class library: umbrella header (sample package fixture).
#pragma once
#include "core/string.h"
