#include "formats/file_rewrite.h"

#include <windows.h>

#include <memory>

#include "foundation/file_replace.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_sysutils.h"
#include "framework/exceptions.h"
#include "framework/streams.h"


TWriteAccess::TWriteAccess(const std::wstring& FileName) : FFileName(FileName) {
  FAttributes = WideFileGetAttr(FileName);
  if (FAttributes == INVALID_FILE_ATTRIBUTES || (FAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (FAttributes & FILE_ATTRIBUTE_READONLY) {
    if (!WideFileSetAttr(FileName, FAttributes & ~FILE_ATTRIBUTE_READONLY)) return;
    FChanged = true;
  }
  FGranted = true;
}

TWriteAccess::~TWriteAccess() {
  if (FChanged) WideFileSetAttr(FFileName, FAttributes);
}

bool RewriteFile(const std::wstring& FileName,
                 const std::function<bool(TStream& Source, TStream& Target)>& Produce) {
  TWriteAccess access(FileName);
  if (!access.Granted()) return false;
  const std::wstring fullName = WideExpandFileName(FileName);
  std::unique_ptr<TTntFileStream> source;
  try {
    source = std::make_unique<TTntFileStream>(fullName, fmOpenRead | fmShareDenyWrite);
    WideWriteFileReplacing(
        fullName,
        [&](TStream& target) {
          if (!Produce(*source, target)) throw EAbort(L"Operation aborted");
        },
        [&] { source.reset(); });
  } catch (...) {
    // Any failure leaves the file as it was and the temporary file gone.
    return false;
  }
  return true;
}
