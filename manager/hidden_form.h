#pragma once
// frmKwAmbrTvsA: the hidden form that owns the pictures. It is never shown.
// One current instance exists per thread, shared by every manager on it: the
// first use creates it, Refresh of any manager drops it, and the next use
// creates a fresh one whose image lists hold only their own four pictures.
// A dropped instance lives on while a tree view or manager still holds one of
// its image lists.

#include <string>

#include "outside/image_list.h"
#include "runtime/picture.h"

namespace Sarn10B {

// A captioned control of the form (its frame and labels).
struct FormLabel {
    std::string Name;
    std::string Caption;
};

// The form's image control.
class ImageControl : public rt::Object {
public:
    explicit ImageControl(rt::Ref<rt::Picture> picture) : picture_(std::move(picture)) {}
    const rt::Ref<rt::Picture>& Picture() const noexcept { return picture_; }

private:
    rt::Ref<rt::Picture> picture_;
};

class frmKwAmbrTvsA : public rt::Object {
public:
    frmKwAmbrTvsA();

    const std::string Caption = "TVS Temp Form";
    const FormLabel Frame1{"Frame1", "ImageList"};
    const FormLabel Label1{"Label1", "CheckunCheckBox"};
    const FormLabel Label2{"Label2", "WrongWrite Black"};
    const FormLabel Label3{"Label3", "WrongWrite Color"};
    const FormLabel Label4{"Label4", "Lock Unlock"};

    const rt::Ref<ImageControl> imgBlank;
    const rt::Ref<tree::ImageList> imlCheckunCheckBox;
    const rt::Ref<tree::ImageList> imlWrongWrite;
    const rt::Ref<tree::ImageList> imlWrongWriteColor;
    const rt::Ref<tree::ImageList> imlLockUnlock;

    // The image list of a picture set (0 to 3), or nothing for any other value.
    const rt::Ref<tree::ImageList>& imageListFor(int32_t imageStyle) const;

    // The thread's current instance, created when there is none.
    static rt::Ref<frmKwAmbrTvsA> current();
    // The same, held by the thread alone: good until the next drop.
    static frmKwAmbrTvsA& currentInstance();
    // The thread's current instance, or nothing; creates none.
    static rt::Ref<frmKwAmbrTvsA> peek();
    // Drops the thread's current instance.
    static void drop();
};

}  // namespace Sarn10B
