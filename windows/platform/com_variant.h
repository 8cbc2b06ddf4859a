#pragma once
// The runtime's Variant to and from the platform's VARIANT. Objects cross as
// IDispatch (see com_bridge.h); a left-out argument is VT_ERROR with
// DISP_E_PARAMNOTFOUND on the platform side and Missing in the runtime.

#include <windows.h>
#include <oleauto.h>

#include "runtime/variant.h"

namespace win {

// Fills out (which holds nothing the caller still needs) with the value.
void toComVariant(const rt::Variant& value, VARIANT* out);
// The value of a VARIANT, following a by-reference one to what it names.
rt::Variant fromComVariant(const VARIANT& value);
// Stores a value through a by-reference VARIANT, converted to the kind the
// reference has; false when it does not convert (the target keeps its value).
bool writeBack(const rt::Variant& value, const VARIANT& byRef);

}  // namespace win
