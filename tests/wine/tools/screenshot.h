// Saves a part of the screen as a 24-bit BMP: the pictures of what the
// program shows are taken from the screen, so they hold exactly what a user saw.
#pragma once
#include <windows.h>
#include <cstdio>
#include <vector>

inline bool SaveScreenRect(const RECT& r, const char* path) {
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(NULL);
    if (screen == NULL)
        return false;
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BOOL copied = BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);

    BITMAPINFOHEADER info;
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files store rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(stride * height);
    int rows = GetDIBits(mem, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    if (!copied || rows != height)
        return false;

    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = fopen(path, "wb");
    if (out == NULL)
        return false;
    bool ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1
        && fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return fclose(out) == 0 && ok;
}
