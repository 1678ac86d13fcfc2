#include "ui/picture_strip.h"

#include <algorithm>
#include <cstdlib>

namespace q {

namespace {

constexpr std::size_t InfoHeaderSize = 40;

std::uint32_t Read32(const std::uint8_t *p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t *p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

} // namespace

const char *StripBitmapName(int bitsPerPixel) {
    return bitsPerPixel < 8 ? "Bitmap16" : "Bitmap32";
}

bool ReadStoredBitmap(const std::uint8_t *data, std::size_t size, StoredBitmap &bitmap) {
    if (data == nullptr || size < InfoHeaderSize || Read32(data) < InfoHeaderSize) return false;
    const auto width = static_cast<std::int32_t>(Read32(data + 4));
    const auto height = static_cast<std::int32_t>(Read32(data + 8));
    const int bitCount = Read16(data + 14);
    const std::uint32_t colourUsed = Read32(data + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || bitCount == 0 || bitCount > 32) return false;
    // Only pictures of up to 8 bits per pixel have a table when biClrUsed says nothing.
    std::uint32_t colours = colourUsed != 0 ? colourUsed : bitCount <= 8 ? 1u << bitCount : 0u;
    if (colours > 256) return false;
    const std::size_t pixelOffset = InfoHeaderSize + 4 * static_cast<std::size_t>(colours);
    const std::size_t rowBytes =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
    const std::size_t rows = static_cast<std::size_t>(std::abs(height));
    if (pixelOffset > size || rowBytes * rows > size - pixelOffset) return false;

    bitmap.width = width;
    bitmap.height = static_cast<std::int32_t>(rows);
    bitmap.colours = static_cast<int>(colours);
    bitmap.pixelOffset = pixelOffset;
    bitmap.paletteEntries = std::min(static_cast<int>(colours), StripPaletteSize);
    for (int j = 0; j < bitmap.paletteEntries; ++j) {
        const std::uint8_t *entry =
            data + InfoHeaderSize + 4 * static_cast<std::size_t>(j); // blue, green, red
        bitmap.palette[j] = PaletteColour{entry[2], entry[1], entry[0]};
    }
    return true;
}

} // namespace q
