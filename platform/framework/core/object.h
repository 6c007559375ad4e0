// The root of the framework's class tree: every framework object can name its class.
#pragma once

#include <string>

class TObject {
 public:
  virtual ~TObject() = default;
  // The C++ class name without namespaces ("TComponent"); window classes and
  // messages are named after it.
  std::wstring ClassName() const;
};
