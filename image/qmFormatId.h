#pragma once

namespace zolvex {

// Numeric identifiers of the image formats (a signed 32-bit value carried in tile payloads,
// local tiled files and image descriptions). Several formats have a second, older value
// that is accepted wherever the main one is.
constexpr int qmFormatUnknown = -1;
constexpr int qmFormatTga = 37721;
constexpr int qmFormatTgaAlt = 37686;
constexpr int qmFormatJpeg = 37732;
constexpr int qmFormatJpegAlt = 37712;
constexpr int qmFormatGif = 37766;
constexpr int qmFormatGifAlt = 37692;
constexpr int qmFormatTiff = 37822;
constexpr int qmFormatBmp = 37900;
constexpr int qmFormatBmpAlt = 37725;
constexpr int qmFormatPng = 37919;
constexpr int qmFormatPngAlt = 37611;
// Read only, as input to tiling; never written into tiled files.
constexpr int qmFormatWebp = 38011;

}  // namespace zolvex
