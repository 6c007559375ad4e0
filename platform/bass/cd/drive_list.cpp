#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <mutex>

#include "bass/cd/cd_drive.h"

namespace tavrin_cd {

namespace {

std::wstring FakeSetting() {
  DWORD n = GetEnvironmentVariableW(L"TAVRIN_BASSCD_FAKE", nullptr, 0);
  if (n == 0) return std::wstring();
  std::wstring value(n, L'\0');
  n = GetEnvironmentVariableW(L"TAVRIN_BASSCD_FAKE", value.data(), n);
  value.resize(n);
  return value;
}

// "X=folder" entries separated by ";"; entries without a letter are skipped.
void AddFakeDrives(const std::wstring& setting, std::vector<std::shared_ptr<CdDrive>>& drives) {
  size_t start = 0;
  while (start <= setting.size()) {
    size_t end = setting.find(L';', start);
    if (end == std::wstring::npos) end = setting.size();
    std::wstring entry = setting.substr(start, end - start);
    if (entry.size() > 2 && entry[1] == L'=' && iswalpha(entry[0])) {
      char letter = static_cast<char>(towupper(entry[0]));
      drives.push_back(MakeFakeDrive(letter, entry.substr(2)));
    }
    start = end + 1;
  }
  std::sort(drives.begin(), drives.end(),
            [](const auto& a, const auto& b) { return a->Letter() < b->Letter(); });
}

void AddRealDrives(std::vector<std::shared_ptr<CdDrive>>& drives) {
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    wchar_t root[] = {letter, L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_CDROM) drives.push_back(MakeIoctlDrive(static_cast<char>(letter)));
  }
}

}  // namespace

const std::vector<std::shared_ptr<CdDrive>>& Drives() {
  static std::once_flag once;
  static std::vector<std::shared_ptr<CdDrive>> drives;
  std::call_once(once, [] {
    std::wstring fake = FakeSetting();
    if (!fake.empty()) {
      AddFakeDrives(fake, drives);
    } else {
      AddRealDrives(drives);
    }
  });
  return drives;
}

std::shared_ptr<CdDrive> DriveAt(uint32_t drive) {
  const auto& drives = Drives();
  if (drive >= drives.size()) return nullptr;
  return drives[drive];
}

}  // namespace tavrin_cd
