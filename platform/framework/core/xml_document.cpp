#include "framework/xml_document.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <msxml2.h>

#include <cwchar>
#include <limits>
#include <new>
#include <string_view>

#include "framework/com_apartment.h"
#include "framework/xml_bounds.h"

namespace {

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(TComPtr&& Other) noexcept : FPtr(Other.Detach()) {}
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  T* operator->() const { return FPtr; }
  T* Get() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  // For out-parameters: drops what was held first.
  T** Put() {
    Reset();
    return &FPtr;
  }
  T* Detach() {
    T* p = FPtr;
    FPtr = nullptr;
    return p;
  }
  void Reset() {
    if (FPtr) FPtr->Release();
    FPtr = nullptr;
  }

 private:
  T* FPtr = nullptr;
};

class TBStr {
 public:
  TBStr() = default;
  explicit TBStr(std::wstring_view s)
      : FStr(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {
    if (!FStr) throw std::bad_alloc();
  }
  ~TBStr() { SysFreeString(FStr); }
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;

  BSTR Get() const { return FStr; }
  BSTR* Put() {
    SysFreeString(FStr);
    FStr = nullptr;
    return &FStr;
  }
  std::wstring Str() const { return FStr ? std::wstring(FStr, SysStringLen(FStr)) : L""; }

 private:
  BSTR FStr = nullptr;
};

class TVariant {
 public:
  TVariant() { VariantInit(&FValue); }
  ~TVariant() { VariantClear(&FValue); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;

  VARIANT& Value() { return FValue; }
  // Holds one more reference to Unknown.
  void SetUnknown(IUnknown* Unknown) {
    VariantClear(&FValue);
    FValue.vt = VT_UNKNOWN;
    FValue.punkVal = Unknown;
    Unknown->AddRef();
  }
  void SetText(std::wstring_view Text) {
    VariantClear(&FValue);
    FValue.bstrVal = SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()));
    if (!FValue.bstrVal) throw std::bad_alloc();
    FValue.vt = VT_BSTR;
  }

 private:
  VARIANT FValue;
};

std::wstring FullName(const std::wstring& FileName) {
  DWORD n = GetFullPathNameW(FileName.c_str(), 0, nullptr, nullptr);
  if (n == 0) return FileName;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(FileName.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return full;
}

std::wstring TrimmedSystemText(DWORD code) {
  std::wstring text = SystemMessageText(code);
  while (!text.empty() && static_cast<unsigned>(text.back()) <= 32) text.pop_back();
  return text;
}

[[noreturn]] void RaiseCreateError(const std::wstring& FileName, DWORD code) {
  throw EFCreateError(L"Cannot create file \"%s\". %s", {FullName(FileName), TrimmedSystemText(code)});
}

// Reads no more than one byte past Limit: a larger file is refused unread.
std::string ReadWholeFile(const std::wstring& FileName, size_t Limit) {
  HANDLE h = CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    throw EFOpenError(L"Cannot open file \"%s\". %s", {FullName(FileName), TrimmedSystemText(code)});
  }
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  BOOL ok = TRUE;
  while (bytes.size() <= Limit && (ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr)) && got > 0)
    bytes.append(buffer, got);
  DWORD code = GetLastError();
  CloseHandle(h);
  if (!ok) throw EFOpenError(L"Cannot open file \"%s\". %s", {FullName(FileName), TrimmedSystemText(code)});
  return bytes;
}

void WriteWholeFile(const std::wstring& FileName, const void* Data, DWORD Size) {
  HANDLE h = CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) RaiseCreateError(FileName, GetLastError());
  DWORD written = 0;
  BOOL ok = WriteFile(h, Data, Size, &written, nullptr) && written == Size && FlushFileBuffers(h);
  DWORD code = GetLastError();
  CloseHandle(h);
  if (!ok) RaiseCreateError(FileName, code ? code : ERROR_WRITE_FAULT);
}

TComPtr<IStream> NewMemoryStream() {
  TComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())))
    throw std::bad_alloc();
  return stream;
}

bool TryParseInt32(std::wstring_view s, int32_t& value) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  bool negative = !s.empty() && s.front() == L'-';
  if (negative) s.remove_prefix(1);
  if (s.empty()) return false;
  int64_t v = 0;
  for (wchar_t c : s) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool EqualsIgnoringCase(const std::wstring& a, std::wstring_view b) {
  return a.size() == b.size() && _wcsnicmp(a.c_str(), b.data(), a.size()) == 0;
}

// Calls f with each element child in order until it returns true; returns the
// element it stopped at (one reference held by the result), or nothing.
template <class F>
IXMLDOMElement* FindElementChild(IXMLDOMElement* parent, F f) {
  if (!parent) return nullptr;
  TComPtr<IXMLDOMNode> node;
  if (parent->get_firstChild(node.Put()) != S_OK) return nullptr;
  while (node) {
    DOMNodeType type = NODE_INVALID;
    if (SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT) {
      TComPtr<IXMLDOMElement> element;
      if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement,
                                         reinterpret_cast<void**>(element.Put()))) &&
          f(element.Get()))
        return element.Detach();
    }
    TComPtr<IXMLDOMNode> next;
    if (node->get_nextSibling(next.Put()) != S_OK) break;
    *node.Put() = next.Detach();
  }
  return nullptr;
}

std::wstring ElementName(IXMLDOMElement* element) {
  TBStr name;
  if (FAILED(element->get_tagName(name.Put()))) return {};
  return name.Str();
}

}  // namespace

// --- TXMLNode ---------------------------------------------------------------

TXMLNode::TXMLNode(std::shared_ptr<TComApartment> Apartment, IXMLDOMElement* Element)
    : FApartment(std::move(Apartment)), FElement(Element) {}

TXMLNode::TXMLNode(const TXMLNode& Other) : FApartment(Other.FApartment), FElement(Other.FElement) {
  if (FElement) FElement->AddRef();
}

TXMLNode& TXMLNode::operator=(const TXMLNode& Other) {
  if (Other.FElement) Other.FElement->AddRef();
  if (FElement) FElement->Release();
  FElement = Other.FElement;
  FApartment = Other.FApartment;
  return *this;
}

TXMLNode::~TXMLNode() {
  if (FElement) FElement->Release();
}

IXMLDOMElement* TXMLNode::Changeable() const {
  if (!FElement) throw EXMLDocError(L"Cannot change a missing XML element");
  return FElement;
}

std::wstring TXMLNode::NodeName() const { return FElement ? ElementName(FElement) : L""; }

int32_t TXMLNode::ChildCount() const {
  int32_t count = 0;
  FindElementChild(FElement, [&](IXMLDOMElement*) {
    ++count;
    return false;
  });
  return count;
}

TXMLNode TXMLNode::Child(int32_t Index) const {
  if (Index < 0) return {};
  int32_t i = 0;
  IXMLDOMElement* found = FindElementChild(FElement, [&](IXMLDOMElement*) { return i++ == Index; });
  return found ? TXMLNode(FApartment, found) : TXMLNode();
}

TXMLNode TXMLNode::ChildNode(const std::wstring& Name) const {
  IXMLDOMElement* found =
      FindElementChild(FElement, [&](IXMLDOMElement* e) { return ElementName(e) == Name; });
  return found ? TXMLNode(FApartment, found) : TXMLNode();
}

TXMLNode TXMLNode::ForceChild(const std::wstring& Name) {
  TXMLNode existing = ChildNode(Name);
  return existing.IsNull() ? AddChild(Name) : existing;
}

TXMLNode TXMLNode::AddChild(const std::wstring& Name) {
  IXMLDOMElement* parent = Changeable();
  TComPtr<IXMLDOMDocument> document;
  TComPtr<IXMLDOMElement> element;
  TComPtr<IXMLDOMNode> added;
  if (parent->get_ownerDocument(document.Put()) != S_OK ||
      FAILED(document->createElement(TBStr(Name).Get(), element.Put())) ||
      FAILED(parent->appendChild(element.Get(), added.Put())))
    throw EXMLDocError(L"Cannot add the XML element \"%s\"", {Name});
  return TXMLNode(FApartment, element.Detach());
}

void TXMLNode::RemoveChild(const TXMLNode& Child) {
  if (!FElement || !Child.FElement) return;
  TComPtr<IXMLDOMNode> removed;
  // A node that is not our child is refused by the DOM, which is what we want.
  FElement->removeChild(Child.FElement, removed.Put());
}

bool TXMLNode::HasAttribute(const std::wstring& Name) const {
  if (!FElement) return false;
  TComPtr<IXMLDOMAttribute> attribute;
  return FElement->getAttributeNode(TBStr(Name).Get(), attribute.Put()) == S_OK && attribute;
}

std::vector<std::wstring> TXMLNode::AttributeNames() const {
  std::vector<std::wstring> names;
  TComPtr<IXMLDOMNamedNodeMap> map;
  if (!FElement || FElement->get_attributes(map.Put()) != S_OK) return names;
  LONG count = 0;
  if (FAILED(map->get_length(&count))) return names;
  for (LONG i = 0; i < count; ++i) {
    TComPtr<IXMLDOMNode> item;
    TBStr name;
    if (map->get_item(i, item.Put()) == S_OK && SUCCEEDED(item->get_nodeName(name.Put())))
      names.push_back(name.Str());
  }
  return names;
}

std::wstring TXMLNode::Attribute(const std::wstring& Name) const {
  if (!FElement) return {};
  TVariant value;
  if (FElement->getAttribute(TBStr(Name).Get(), &value.Value()) != S_OK ||
      value.Value().vt != VT_BSTR || !value.Value().bstrVal)
    return {};
  return std::wstring(value.Value().bstrVal, SysStringLen(value.Value().bstrVal));
}

std::wstring TXMLNode::ReadString(const std::wstring& Name, const std::wstring& Default) const {
  return HasAttribute(Name) ? Attribute(Name) : Default;
}

int32_t TXMLNode::ReadInteger(const std::wstring& Name, int32_t Default) const {
  int32_t value = 0;
  return HasAttribute(Name) && TryParseInt32(Attribute(Name), value) ? value : Default;
}

bool TXMLNode::ReadBool(const std::wstring& Name, bool Default) const {
  if (!HasAttribute(Name)) return Default;
  std::wstring text = Attribute(Name);
  if (EqualsIgnoringCase(text, L"True")) return true;
  if (EqualsIgnoringCase(text, L"False")) return false;
  return Default;
}

void TXMLNode::SetAttribute(const std::wstring& Name, const std::wstring& Value) {
  IXMLDOMElement* element = Changeable();
  TVariant value;
  value.SetText(Value);
  if (FAILED(element->setAttribute(TBStr(Name).Get(), value.Value())))
    throw EXMLDocError(L"Cannot set the XML attribute \"%s\"", {Name});
}

void TXMLNode::WriteInteger(const std::wstring& Name, int32_t Value) {
  SetAttribute(Name, std::to_wstring(Value));
}

void TXMLNode::WriteBool(const std::wstring& Name, bool Value) {
  SetAttribute(Name, Value ? L"True" : L"False");
}

void TXMLNode::RemoveAttribute(const std::wstring& Name) {
  Changeable()->removeAttribute(TBStr(Name).Get());
}

// --- TXMLDocument -----------------------------------------------------------

TXMLDocument::TXMLDocument(TComponent* AOwner)
    : TComponent(AOwner), FApartment(std::make_shared<TComApartment>()) {
  // Version 3.0 is the one Windows has carried since 2000 and the one Wine
  // implements fully; the version-independent name is the fallback.
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)) &&
      FAILED(CLSIDFromProgID(L"Microsoft.XMLDOM", &clsid)))
    throw EXMLDocError(L"The XML library (MSXML) is not installed");
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&FDocument));
  if (FAILED(hr) || !FDocument)
    throw EXMLDocError(L"Cannot create the XML document (error %x)", {static_cast<uint32_t>(hr)});
  FDocument->put_async(VARIANT_FALSE);
  FDocument->put_validateOnParse(VARIANT_FALSE);
  // A settings file is data, never a reason to fetch something from elsewhere.
  FDocument->put_resolveExternals(VARIANT_FALSE);
}

TXMLDocument::~TXMLDocument() {
  if (FDocument) FDocument->Release();
}

namespace {

[[noreturn]] void RaiseParseError(IXMLDOMDocument* document, const std::wstring& where) {
  std::wstring reason = L"unknown error";
  LONG line = 0;
  TComPtr<IXMLDOMParseError> error;
  if (document->get_parseError(error.Put()) == S_OK) {
    TBStr text;
    if (error->get_reason(text.Put()) == S_OK && !text.Str().empty()) reason = text.Str();
    error->get_line(&line);
  }
  while (!reason.empty() && static_cast<unsigned>(reason.back()) <= 32) reason.pop_back();
  if (where.empty()) throw EXMLDocError(L"Invalid XML: %s (line %d)", {reason, line});
  throw EXMLDocError(L"Invalid XML in \"%s\": %s (line %d)", {where, reason, line});
}

[[noreturn]] void RaiseOutOfBounds(IXMLDOMDocument* document, const std::wstring& why,
                                   const std::wstring& where) {
  VARIANT_BOOL ok = VARIANT_FALSE;
  document->loadXML(TBStr(L"").Get(), &ok);  // empties the document, as a failed parse does
  if (where.empty()) throw EXMLDocError(L"Invalid XML: %s", {why});
  throw EXMLDocError(L"Invalid XML in \"%s\": %s", {where, why});
}

}  // namespace

void TXMLDocument::LoadFromFile(const std::wstring& FileName) {
  std::string bytes = ReadWholeFile(FileName, kMaxXmlBytes);
  if (std::wstring why = XmlBoundsBroken(bytes); !why.empty())
    RaiseOutOfBounds(FDocument, why, FullName(FileName));
  // Handing the parser the bytes, not the name, keeps a name with "#" or "%"
  // from being taken as part of a URL.
  TComPtr<IStream> stream = NewMemoryStream();
  ULONG written = 0;
  if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) ||
      written != bytes.size())
    throw std::bad_alloc();
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  TVariant source;
  source.SetUnknown(stream.Get());
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (FAILED(FDocument->load(source.Value(), &ok)) || ok != VARIANT_TRUE)
    RaiseParseError(FDocument, FullName(FileName));
}

void TXMLDocument::LoadFromXML(const std::wstring& Text) {
  if (std::wstring why = XmlBoundsBroken(Text); !why.empty()) RaiseOutOfBounds(FDocument, why, L"");
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (FAILED(FDocument->loadXML(TBStr(Text).Get(), &ok)) || ok != VARIANT_TRUE)
    RaiseParseError(FDocument, L"");
}

void TXMLDocument::SaveToFile(const std::wstring& FileName) const {
  TComPtr<IStream> stream = NewMemoryStream();
  TVariant target;
  target.SetUnknown(stream.Get());
  HRESULT hr = FDocument->save(target.Value());
  HGLOBAL memory = nullptr;
  if (FAILED(hr) || FAILED(GetHGlobalFromStream(stream.Get(), &memory)))
    throw EXMLDocError(L"Cannot save the XML document (error %x)", {static_cast<uint32_t>(hr)});
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  const DWORD size = static_cast<DWORD>(stat.cbSize.QuadPart);
  std::wstring full = FullName(FileName);
  {
    // What LoadFromFile would refuse is not written: the file on disk stays
    // readable. Escaping grows a text (a quote is six bytes written), so a
    // document read within the bounds may be written past them.
    const void* data = GlobalLock(memory);
    const std::wstring why =
        data ? XmlBoundsBroken(std::string_view(static_cast<const char*>(data), size)) : std::wstring();
    GlobalUnlock(memory);
    if (!why.empty()) throw EXMLDocError(L"Cannot save \"%s\": %s", {full, why});
  }

  std::wstring folder = full.substr(0, full.find_last_of(L'\\') + 1);
  wchar_t temp[MAX_PATH + 1] = {};
  if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"tav", 0, temp))
    RaiseCreateError(FileName, GetLastError());
  try {
    const void* data = GlobalLock(memory);
    WriteWholeFile(temp, data, size);
    GlobalUnlock(memory);
  } catch (...) {
    GlobalUnlock(memory);
    DeleteFileW(temp);
    throw;
  }
  if (!MoveFileExW(temp, full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD code = GetLastError();
    DeleteFileW(temp);
    RaiseCreateError(FileName, code);
  }
}

std::wstring TXMLDocument::XML() const {
  TBStr text;
  if (FAILED(FDocument->get_xml(text.Put()))) return {};
  return text.Str();
}

TXMLNode TXMLDocument::DocumentElement() const {
  IXMLDOMElement* root = nullptr;
  if (FDocument->get_documentElement(&root) != S_OK || !root) return {};
  return TXMLNode(FApartment, root);
}
