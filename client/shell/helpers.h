// Shared helpers of the client's skin and file code.
#pragma once
#include <afxwin.h>
#include <cstdint>

CString GetModuleDirectory();
// Loads a BMP file as a device-dependent bitmap; with withPalette and at most
// 256 colours, a palette is made from the colour table and realised first.
BOOL LoadDibFile(const char* path, CBitmap& out, BOOL withPalette);
// Draws a whole bitmap with its top left corner at (x, y); nothing for an
// empty bitmap object.
void DrawBitmap(CDC& dc, CBitmap& bitmap, int x, int y);
CRect ParseRect(const CString& text);
COLORREF ParseColor(const CString& text);
BOOL FileExists(const char* path, uint32_t* size = nullptr);
int SplitString(const CString& text, char separator, CStringArray& out);
CString IntToString(int value);
int RoundToInt(double value);
