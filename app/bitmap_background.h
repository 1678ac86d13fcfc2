// The About box's picture strip, painted by the "BitmapBackground" window class.
#pragma once

#include <windows.h>

// WM_PAINT of the strip: the bitmap that suits the display, through its own palette where the
// display may use one. Every palette and bitmap made here is released before it returns.
void PaintBitmapBackground(HWND window);
