// Quillon class library: string class (sample package fixture).
#pragma once
#include "detail/config.h"
namespace quillon { class String; }
