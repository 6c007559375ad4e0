// The XML document over the system's DOM (MSXML 3.0 through COM): load from a
// file, read and change elements and attributes, save beside the file and move
// into place. Use on one thread: COM is joined apartment-threaded there for as
// long as a document or any of its nodes lives.
//   EXMLDocError  the DOM cannot be created, a text is not well-formed XML, or
//                 a change is asked of a null node.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/exceptions.h"

struct IXMLDOMDocument;
struct IXMLDOMElement;
class TComApartment;

TAVRIN_DECLARE_EXCEPTION(EXMLDocError, Exception);

// One element of a document, or none (IsNull). Copies share the element; a
// node keeps its document alive. Reads of a null node give their defaults.
class TXMLNode {
 public:
  TXMLNode() = default;
  TXMLNode(const TXMLNode& Other);
  TXMLNode& operator=(const TXMLNode& Other);
  ~TXMLNode();

  bool IsNull() const { return FElement == nullptr; }
  std::wstring NodeName() const;

  // Element children only (text, comments and the like are passed over), in
  // document order. Names are case-sensitive; the first match is meant.
  int32_t ChildCount() const;
  TXMLNode Child(int32_t Index) const;                  // null outside the range
  TXMLNode ChildNode(const std::wstring& Name) const;   // null when there is none
  TXMLNode ForceChild(const std::wstring& Name);        // appended when there is none
  TXMLNode AddChild(const std::wstring& Name);          // always appended
  // Does nothing when Child is null or not a child of this node.
  void RemoveChild(const TXMLNode& Child);

  bool HasAttribute(const std::wstring& Name) const;
  std::vector<std::wstring> AttributeNames() const;
  // The attribute's text; empty when it is missing.
  std::wstring Attribute(const std::wstring& Name) const;
  std::wstring ReadString(const std::wstring& Name, const std::wstring& Default) const;
  // Decimal with an optional minus sign, blanks around it allowed; Default when
  // the attribute is missing, malformed or outside 32 bits.
  int32_t ReadInteger(const std::wstring& Name, int32_t Default) const;
  // "True" or "False" in any letter case; Default for anything else.
  bool ReadBool(const std::wstring& Name, bool Default) const;

  void SetAttribute(const std::wstring& Name, const std::wstring& Value);
  void WriteInteger(const std::wstring& Name, int32_t Value);
  void WriteBool(const std::wstring& Name, bool Value);  // "True" / "False"
  void RemoveAttribute(const std::wstring& Name);

 private:
  friend class TXMLDocument;
  // Takes over one reference to Element.
  TXMLNode(std::shared_ptr<TComApartment> Apartment, IXMLDOMElement* Element);
  IXMLDOMElement* Changeable() const;

  std::shared_ptr<TComApartment> FApartment;  // declared first: released last
  IXMLDOMElement* FElement = nullptr;
};

class TXMLDocument : public TComponent {
 public:
  // Starts empty.
  explicit TXMLDocument(TComponent* AOwner = nullptr);
  ~TXMLDocument() override;

  // The file's bytes go to the parser as they are (its encoding is found from
  // its mark and declaration). EFOpenError when the file cannot be read,
  // EXMLDocError "Invalid XML in "<name>": <reason> (line <n>)" when it does not
  // parse, or "Invalid XML in "<name>": <bound>" when it breaks a bound of
  // xml_bounds.h and is not parsed; the document is then empty.
  void LoadFromFile(const std::wstring& FileName);
  // EXMLDocError "Invalid XML: <reason> (line <n>)" or "Invalid XML: <bound>";
  // the document is then empty.
  void LoadFromXML(const std::wstring& Text);
  // Writes a temporary file in FileName's folder and moves it over FileName, so
  // a failure leaves the old file whole: EFCreateError "Cannot create file
  // "<name>". <system text>". A document that would break a bound of
  // xml_bounds.h, which LoadFromFile refuses, is not written: EXMLDocError
  // "Cannot save "<name>": <bound>".
  void SaveToFile(const std::wstring& FileName) const;
  std::wstring XML() const;

  // The root element; null for an empty document.
  TXMLNode DocumentElement() const;

 private:
  std::shared_ptr<TComApartment> FApartment;  // declared first: released last
  IXMLDOMDocument* FDocument = nullptr;
};
