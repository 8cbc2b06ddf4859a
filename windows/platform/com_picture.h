#pragma once
// Pictures between the runtime and the platform: a runtime picture crosses as
// the standard picture object, a bitmap (32 bits, the transparency kept in its
// alpha channel) or, for an icon, an icon with its mask; a standard picture
// object comes back as a runtime picture with the same kind and pixels.

#include <windows.h>
#include <oaidl.h>

#include "runtime/picture.h"

namespace win {

// A new standard picture object (the caller releases it).
IDispatch* toPictureDisp(const rt::Picture& picture);
// The runtime picture of a standard picture object; nothing when the object
// is neither a bitmap nor an icon. It crosses back to the platform as that same object.
rt::Ref<rt::Picture> fromPictureObject(IUnknown* object);

}  // namespace win
