#include "settings/settings_xml.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "foundation/file_replace.h"
#include "foundation/string_func.h"
#include "foundation/tnt_classes.h"
#include "foundation/tnt_sysutils.h"
#include "framework/dialogs.h"
#include "framework/exceptions.h"
#include "globals/version.h"

TXMLDocument* SettingsDoc = nullptr;

namespace {

std::wstring SettingsFolder;  // empty: the program's folder
int BracketDepth = 0;

TSettingsResetReport ResetReport;

// Backups are never overwritten: each replaced file is kept under the first
// free name, "Tavrin.xml.bak", then "Tavrin.xml.2.bak" and on.
constexpr int kMostBackups = 100;
std::wstring BackupFileName(int Number) {
  return Number == 1 ? SettingsFileName() + L".bak"
                     : SettingsFileName() + L"." + std::to_wstring(Number) + L".bak";
}

void WriteDefaultSettings(const std::wstring& FileName) {
  TTntResourceStream resource(GetModuleHandleW(nullptr), L"TAVRINXML", L"TXT");
  WideWriteFileReplacing(FileName, [&](TStream& Stream) { resource.SaveToStream(&Stream); });
}

// The built-in default parsed in memory, for a folder that takes no file.
std::unique_ptr<TXMLDocument> DefaultSettingsDocument() {
  TTntResourceStream resource(GetModuleHandleW(nullptr), L"TAVRINXML", L"TXT");
  const auto* bytes = static_cast<const unsigned char*>(resource.Memory());
  // The resource is plain ASCII.
  std::wstring text(bytes, bytes + resource.Size());
  auto document = std::make_unique<TXMLDocument>(nullptr);
  document->LoadFromXML(text);
  return document;
}

void ClearReadOnly(const std::wstring& FileName) {
  uint32_t attributes = WideFileGetAttr(FileName);
  if (attributes == 0xFFFFFFFF) return;
  // Cleared even when the bit does not show: see ForceDeleteFile.
  attributes &= ~uint32_t{FILE_ATTRIBUTE_READONLY};
  WideFileSetAttr(FileName, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

// Moves the old file to the first free backup name and writes the default in
// its place; the backup's name, or empty when the old file will not move (it
// is in use, or every backup name is taken): it is then left as it is.
std::wstring ReplaceWithDefault() {
  const std::wstring fileName = SettingsFileName();
  ClearReadOnly(fileName);
  for (int number = 1; number <= kMostBackups; ++number) {
    const std::wstring backup = BackupFileName(number);
    if (MoveFileExW(fileName.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH)) {
      WriteDefaultSettings(fileName);
      return backup;
    }
    // Only a taken name is worth passing over.
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return {};
  }
  return {};
}

// A document whose root is APP, or nullptr when the file does not parse or
// has another root. Read errors pass on.
std::unique_ptr<TXMLDocument> LoadSettings(const std::wstring& FileName) {
  auto document = std::make_unique<TXMLDocument>(nullptr);
  // Another start of the program may be replacing the file this moment:
  // a file that cannot be opened is tried again for a while.
  constexpr DWORD kBusyFileMs = 2000;
  const DWORD start = GetTickCount();
  for (;;) {
    try {
      document->LoadFromFile(FileName);
      break;
    } catch (const EXMLDocError&) {
      return nullptr;
    } catch (const EFOpenError&) {
      if (GetTickCount() - start >= kBusyFileMs) throw;
      Sleep(50);
    }
  }
  if (document->DocumentElement().NodeName() != L"APP") return nullptr;
  return document;
}

void CloseBracket(bool Save) {
  if (BracketDepth == 0) return;
  if (--BracketDepth > 0) return;
  std::unique_ptr<TXMLDocument> document(SettingsDoc);
  SettingsDoc = nullptr;
  if (Save && document) document->SaveToFile(SettingsFileName());
}

void ShowSettingsError(const std::wstring& Text) {
  ShowMessageBoxW(ApplicationHandle(), Text, TavrinVersion, MB_OK | MB_ICONERROR);
}

}  // namespace

TSettingsResetReport SetSettingsResetReport(TSettingsResetReport Report) {
  return std::exchange(ResetReport, std::move(Report));
}

void SetSettingsFolder(const std::wstring& Folder) {
  SettingsFolder = Folder.empty() ? Folder : WideIncludeTrailingBackslash(Folder);
}

std::wstring SettingsFileName() {
  std::wstring folder = SettingsFolder;
  if (folder.empty()) folder = WideExtractFilePath(WideGetModuleFileName(nullptr));
  return folder + L"Tavrin.xml";
}

void OpenSettingsXml() {
  if (BracketDepth > 0) {
    ++BracketDepth;
    return;
  }
  const std::wstring fileName = SettingsFileName();
  std::unique_ptr<TXMLDocument> document;
  if (!WideFileExists(fileName)) {
    try {
      WriteDefaultSettings(fileName);
    } catch (const std::exception&) {
      // A folder that takes no file (read-only, full, or a folder where the
      // file should be) still gives the defaults; saving the bracket fails
      // and is reported there.
      document = DefaultSettingsDocument();
    }
  }
  if (!document) document = LoadSettings(fileName);
  std::wstring keptAs;
  if (!document) {
    keptAs = ReplaceWithDefault();
    if (keptAs.empty())
      throw EXMLDocError(L"The settings file \"%s\" is damaged and cannot be replaced.",
                         {fileName});
    document = LoadSettings(fileName);
    if (!document) throw EXMLDocError(L"The built-in settings do not parse.");
  }
  SettingsDoc = document.release();
  BracketDepth = 1;
  // Told with the bracket open: a bracket the box's messages open nests in it.
  if (!keptAs.empty() && ResetReport) ResetReport(fileName, keptAs);
}

void SaveSettingsXml() { CloseBracket(true); }

void DiscardSettingsXml() { CloseBracket(false); }

bool OpenCheckedSettingsXml() {
  try {
    OpenSettingsXml();
    if (SettingsDoc->DocumentElement().Attribute(L"Name") == TavrinVersion) return true;
    DiscardSettingsXml();
    if (ReplaceWithDefault().empty()) {
      ShowSettingsError(Format(
          L"The settings file \"%s\" belongs to another version of Tavrin and cannot be "
          L"replaced. Make it writable or delete it, then start Tavrin again.",
          {SettingsFileName()}));
      return false;
    }
    OpenSettingsXml();
    return true;
  } catch (const Exception& e) {
    ShowSettingsError(L"The settings cannot be opened.\n\n" + e.Message());
    return false;
  }
}
