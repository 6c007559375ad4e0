#include "skin/skin_resources.h"

#include <memory>

#include "foundation/file_replace.h"
#include "foundation/tnt_classes.h"
#include "framework/bitmaps.h"
#include "framework/graphics.h"
#include "framework/image_list.h"

namespace {

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

}  // namespace

void LoadGraphicFromResource(const std::wstring& Name, TGraphic* Graphic) {
  if (Graphic == nullptr) return;
  TTntResourceStream stream(ProgramInstance(), Name, L"BMP");
  Graphic->LoadFromStream(&stream);
}

void LoadIconFromResource(const std::wstring& Name, TIcon* Icon) {
  if (Icon == nullptr) return;
  TTntResourceStream stream(ProgramInstance(), Name, L"ICONGROUP");
  Icon->LoadFromStream(&stream);
}

void SaveResourceToFile(const std::wstring& Name, const wchar_t* ResType,
                        const std::wstring& FileName) {
  // Found first: a missing resource never touches the file.
  TTntResourceStream resource(ProgramInstance(), Name, ResType);
  WideWriteFileReplacing(FileName, [&](TStream& Stream) { resource.SaveToStream(&Stream); });
}

void MakeImageList32Bit(TCustomImageList* ImageList) {
  if (ImageList == nullptr) return;
  auto saved = std::make_unique<TCustomImageList>(nullptr);
  saved->Assign(ImageList);
  UINT flags = ILC_COLOR32 | (ImageList->Masked() ? ILC_MASK : 0);
  HIMAGELIST handle =
      ImageList_Create(ImageList->Width(), ImageList->Height(), flags, 0, ImageList->AllocBy());
  if (handle == nullptr) throw EInvalidOperation(L"Invalid ImageList");
  // The depth property follows, so a later change of size or masks keeps 32 bits.
  ImageList->SetColorDepth(cd32Bit);
  ImageList->SetHandle(handle);
  ImageList->AddImages(saved.get());
}
