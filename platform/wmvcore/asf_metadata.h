// The attributes of an ASF header as the metadata editor shows them on stream
// 0: duration, bit rate and file size from the file-properties object (read
// only), the five content-description texts, then every extended content
// descriptor. Changes are held here until the header is built anew.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Attribute types, by the runtime's numbering (WMT_ATTR_DATATYPE).
enum TAsfType : uint16_t { atDWord = 0, atString = 1, atBinary = 2, atBool = 3, atQWord = 4, atWord = 5,
                           atGuid = 6 };

struct TAsfAttribute {
  std::wstring Name;
  uint16_t Type = atBinary;
  std::string Value;  // as the runtime hands it out; texts in UTF-16LE with a terminator
};

class TAsfMetadata {
 public:
  // Header: the whole header object. FileSize: the bytes of the whole file.
  // S_OK, or a failure code for anything that is not a sound ASF header.
  HRESULT Load(const std::string& Header, uint64_t FileSize);

  size_t Count() const;
  TAsfAttribute At(size_t Index) const;
  // Indices of the attributes of that name, in any letter case.
  std::vector<uint16_t> IndicesOf(const std::wstring& Name) const;

  HRESULT Modify(size_t Index, uint16_t Type, const std::string& Value);
  HRESULT Remove(size_t Index);
  HRESULT Add(const std::wstring& Name, uint16_t Type, const std::string& Value, size_t& Index);

  bool Changed() const { return FChanged; }
  // The header object with the current attributes, for a file whose part
  // after the header is RestSize bytes. Objects it does not edit are copied
  // as they were.
  std::string BuildHeader(uint64_t RestSize) const;

 private:
  struct TObject {
    GUID Id;
    std::string Bytes;  // the whole object, its 24-byte head included
  };
  enum TSection { sSynthetic, sContent, sExtended };
  struct TPlace {
    TSection Section;
    size_t Item;
  };
  void Reindex();
  std::wstring NameAt(const TPlace& Place) const;
  bool ParseContent(const std::string& Object);
  bool ParseExtended(const std::string& Object);
  std::string BuildContent() const;
  std::string BuildExtended() const;

  std::vector<TObject> FObjects;
  uint8_t FReserved[2] = {1, 2};
  uint64_t FOldFileSize = 0, FOldHeaderSize = 0;
  bool FHasFileProperties = false;
  uint64_t FStatedFileSize = 0;
  std::vector<TAsfAttribute> FSynthetic;
  std::wstring FContent[5];  // title, author, copyright, description, rating; empty = absent
  struct TDescriptor {
    TAsfAttribute Attribute;
    uint16_t StoredType;  // the file's own value-type code, written back unchanged
  };
  std::vector<TDescriptor> FExtended;
  std::vector<TPlace> FPlaces;  // what each index stands for
  bool FChanged = false;
};
