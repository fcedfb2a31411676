// Minimal PNG writer (RGB, stored deflate blocks): screenshots need no zlib.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

bool WritePng(const std::wstring &path, int cx, int cy, const std::vector<uint8_t> &rgb);
