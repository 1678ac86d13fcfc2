#include "app/bitmap_background.h"

#include "ui/picture_strip.h"

void PaintBitmapBackground(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(dc);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const char *name = q::StripBitmapName(GetDeviceCaps(dc, BITSPIXEL));
    HBITMAP bitmap = LoadBitmapA(instance, name);
    int width = 40, height = 190;
    HPALETTE palette = nullptr, previous = nullptr;
    HGLOBAL stored = nullptr;
    if (bitmap != nullptr && GetDeviceCaps(dc, BITSPIXEL) >= 8) {
        // The device-dependent bitmap was made without our palette: set its pixels again
        // through the realised one.
        HRSRC found = FindResourceA(instance, name, MAKEINTRESOURCEA(2)); // RT_BITMAP
        stored = found != nullptr ? LoadResource(instance, found) : nullptr;
        const auto *bytes =
            stored != nullptr ? static_cast<const std::uint8_t *>(LockResource(stored)) : nullptr;
        q::StoredBitmap form;
        if (bytes != nullptr && q::ReadStoredBitmap(bytes, SizeofResource(instance, found), form)) {
            struct {
                WORD palVersion;
                WORD palNumEntries;
                PALETTEENTRY palPalEntry[q::StripPaletteSize];
            } description{0x300, static_cast<WORD>(form.paletteEntries), {}};
            for (int j = 0; j < form.paletteEntries; ++j)
                description.palPalEntry[j] = PALETTEENTRY{form.palette[j].red, form.palette[j].green,
                                                          form.palette[j].blue, PC_NOCOLLAPSE};
            palette = CreatePalette(reinterpret_cast<const LOGPALETTE *>(&description));
            previous = SelectPalette(dc, palette, FALSE);
            RealizePalette(dc);
            SetDIBits(dc, bitmap, 0, static_cast<UINT>(form.height), bytes + form.pixelOffset,
                      reinterpret_cast<const BITMAPINFO *>(bytes), DIB_RGB_COLORS);
            width = form.width;
            height = form.height;
        }
    }
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    if (stored != nullptr) FreeResource(stored);
    if (palette != nullptr) {
        SelectPalette(dc, previous, FALSE);
        DeleteObject(palette);
    }
    DeleteDC(memory);
    if (bitmap != nullptr) DeleteObject(bitmap);
    EndPaint(window, &paint);
}
