#pragma once
// The largest pictures the program reads, whatever their kind. They stand far
// above any camera's pictures and any card's needs; beyond them a small file
// could ask for gigabytes or minutes (a run-length bitmap or a PNG of one
// colour, a JPEG of thousands of scans). docs/reliability.md lists them.
#include <cstdint>

namespace PictureLimits {

// 100 megapixels: 400 MB as a 32-bit picture.
constexpr std::int64_t MaxPixels = 100'000'000;
// Larger files are refused before they are read.
constexpr std::int64_t MaxFileBytes = std::int64_t(256) << 20;
// A progressive JPEG has about ten scans; each costs a pass over the whole picture.
constexpr int MaxJpegScans = 100;
// A run-length bitmap that declares more than this many pixels for each byte
// of its file (and more than FreeRunLengthPixels in all) is refused: a
// bitmap of that size holds more than a header and an end mark.
constexpr std::int64_t MaxRunLengthPixelsPerByte = 4096;
constexpr std::int64_t FreeRunLengthPixels = 4'000'000;

}   // namespace PictureLimits
