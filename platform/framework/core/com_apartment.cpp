#include "framework/com_apartment.h"

#include <objbase.h>

TComApartment::TComApartment() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE (already initialised) still counts and must be balanced;
  // RPC_E_CHANGED_MODE does not.
  FMustUninitialize = SUCCEEDED(hr);
}

TComApartment::~TComApartment() {
  if (FMustUninitialize) CoUninitialize();
}
