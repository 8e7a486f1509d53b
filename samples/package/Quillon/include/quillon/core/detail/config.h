// Quillon class library: build configuration (sample package fixture).
#pragma once
#define QUILLON_VERSION 0x0100
