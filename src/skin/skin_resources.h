// The program's own resources (the default skin's sheets and pictures, the
// icons, the default text files) and the 32-bit image list conversion.
#pragma once

#include <windows.h>

#include <string>

class TGraphic;
class TIcon;
class TCustomImageList;

// Graphic->LoadFromStream on the program's resource Name of type "BMP" (a whole
// .bmp file). EResNotFound when missing; the graphic's own error when bad.
void LoadGraphicFromResource(const std::wstring& Name, TGraphic* Graphic);
// The same with type "ICONGROUP" (a whole .ico file).
void LoadIconFromResource(const std::wstring& Name, TIcon* Icon);
// Writes the whole resource Name of type ResType to FileName through a
// temporary file beside it, so an existing file is either replaced whole or
// left as it was. EResNotFound when missing, EFCreateError when it cannot be
// written.
void SaveResourceToFile(const std::wstring& Name, const wchar_t* ResType,
                        const std::wstring& FileName);

// Remakes the list's handle at 32 bits per pixel (with masks when Masked),
// keeping its images. Ignores nullptr; EInvalidOperation when no list can be made.
void MakeImageList32Bit(TCustomImageList* ImageList);
