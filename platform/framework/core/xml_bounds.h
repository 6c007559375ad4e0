// Bounds on what the XML document hands to the parser. Wine's MSXML takes time
// quadratic in the number of attributes of one element, so a document with
// tens of thousands of them would hold its reader for minutes; no document the
// program reads comes near these bounds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr size_t kMaxXmlBytes = size_t{1} << 20;  // of a file, or of text in UTF-16
constexpr size_t kMaxXmlAttributes = 256;         // on any one element

// Why the document breaks a bound, or empty when it keeps them. Bytes are a
// file's content in UTF-8, an 8-bit code page or UTF-16 of either order.
std::wstring XmlBoundsBroken(std::string_view Bytes);
std::wstring XmlBoundsBroken(std::wstring_view Text);
