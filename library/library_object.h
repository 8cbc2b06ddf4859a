#pragma once
// clsKwOrvel10BA, the library's global object: the application object, the
// library's own resources, the About box and a buddy object shared by every
// user on a thread. Only About traps and reports; every other member passes
// its failure to the caller.

#include <string>

#include "runtime/dispatch.h"

namespace Sarn10B {

class clsKwOrvel10BA : public rt::Object {
public:
    // The library's App object: the very object that every report carries.
    rt::ObjectRef GetProStdProperties();
    std::string GetProResStrings(int32_t lResId);
    // The kind is narrowed to 16 bits first (6 outside -32768 to 32767).
    rt::ObjectRef GetProResPicture(int32_t lResId, int32_t lRestype);
    rt::Variant GetProResData(int32_t lResId, const rt::Variant& vRestype);
    // Shows the About box through the outside component; always 0.
    int32_t About();
    rt::ObjectRef BuddyObjectGlobal();
    void setBuddyObjectGlobal(const rt::ObjectRef& buddy);

    const rt::ClassInfo& classInfo() const override;
};

namespace basKwOrvel10BA {
// The calling thread's buddy slot.
rt::ObjectRef& buddySlot();
}  // namespace basKwOrvel10BA

}  // namespace Sarn10B

namespace basKwbrCommonA {
inline constexpr const char* AboutProgId = "KwBrenta10.clsKwBrenta10A";
// The About routine, under trap-report-resume.
void AppAboutKwbr_Pro();
}  // namespace basKwbrCommonA
