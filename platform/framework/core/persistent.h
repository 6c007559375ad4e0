// Objects whose state can be copied from another object of a related class:
//   dest->Assign(source)   copies source's state into dest, or raises
//                          EConvertError "Cannot assign a TX to a TY".
// Overriding: a class that knows how to read from a source overrides Assign;
// a class that knows how to write into a destination overrides AssignTo. Both
// fall back to the base implementation for classes they do not know.
#pragma once

#include "framework/object.h"

class TPersistent : public TObject {
 public:
  // nullptr raises "Cannot assign a nil to a ...".
  virtual void Assign(TPersistent* source);

 protected:
  // Asked by Assign when the destination does not know the source's class.
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};
