// The About box's picture strip: which bitmap suits the display, and the stored form of
// "Bitmap32" read for the palette it is painted through.
#pragma once

#include <cstddef>
#include <cstdint>

namespace q {

constexpr int StripPaletteSize = 32;

struct PaletteColour {
    std::uint8_t red, green, blue;
};

// A BITMAPINFOHEADER and its colour table, as the resource holds them.
struct StoredBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0; // rows, whichever way they run
    int colours = 0;         // entries of the colour table
    std::size_t pixelOffset = 0;
    int paletteEntries = 0; // the first entries, at most StripPaletteSize
    PaletteColour palette[StripPaletteSize] = {};
};

// "Bitmap16" on a display of fewer than 8 bits per pixel, "Bitmap32" otherwise.
const char *StripBitmapName(int bitsPerPixel);

// Reads the header and colour table of a stored bitmap of `size` bytes. False when the header
// or the table it announces does not lie within those bytes, or the pixel rows would not.
bool ReadStoredBitmap(const std::uint8_t *data, std::size_t size, StoredBitmap &bitmap);

} // namespace q
