#pragma once
// Pictures between the runtime and the platform: a runtime picture crosses as
// the standard picture object (IPictureDisp over a 32-bit bitmap, the
// transparency kept in its alpha channel), and a standard picture object
// comes back as a runtime picture with the same pixels.

#include <windows.h>
#include <oaidl.h>

#include "runtime/picture.h"

namespace win {

// A new standard picture object (the caller releases it).
IDispatch* toPictureDisp(const rt::Picture& picture);
// The runtime picture of a standard picture object; nothing when the object
// is no bitmap picture.
rt::Ref<rt::Picture> fromPictureObject(IUnknown* object);

}  // namespace win
