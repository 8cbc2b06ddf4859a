#include "manager/hidden_form.h"

#include "manager/pictures.h"
#include "manager/vocabulary.h"
#include "runtime/thread_data.h"

namespace Sarn10B {
namespace {

rt::Ref<tree::ImageList> makeList(const char* name, int set) {
    auto list = rt::make<tree::ImageList>(name);
    for (auto key : {keys::CheckOff, keys::CheckOn, keys::OptionOff, keys::OptionOn})
        list->ListImages()->Add(rt::Missing{}, std::string(key), pictures::statePicture(set, key));
    return list;
}

rt::Ref<frmKwAmbrTvsA>& slot() {
    static const char key = 0;
    return rt::perThread<rt::Ref<frmKwAmbrTvsA>>(&key);
}

}  // namespace

frmKwAmbrTvsA::frmKwAmbrTvsA()
    : imgBlank(rt::make<ImageControl>(pictures::blankBalloon())),
      imlCheckunCheckBox(makeList("imlCheckunCheckBox", TVSImageStyles_CheckunCheckBox)),
      imlWrongWrite(makeList("imlWrongWrite", TVSImageStyles_WrongWrite)),
      imlWrongWriteColor(makeList("imlWrongWriteColor", TVSImageStyles_WrongWriteColor)),
      imlLockUnlock(makeList("imlLockUnlock", TVSImageStyles_LockUnlock)) {}

const rt::Ref<tree::ImageList>& frmKwAmbrTvsA::imageListFor(int32_t imageStyle) const {
    static const rt::Ref<tree::ImageList> none;
    switch (imageStyle) {
        case TVSImageStyles_CheckunCheckBox:
            return imlCheckunCheckBox;
        case TVSImageStyles_WrongWrite:
            return imlWrongWrite;
        case TVSImageStyles_WrongWriteColor:
            return imlWrongWriteColor;
        case TVSImageStyles_LockUnlock:
            return imlLockUnlock;
        default:
            return none;
    }
}

rt::Ref<frmKwAmbrTvsA> frmKwAmbrTvsA::current() { return rt::Ref<frmKwAmbrTvsA>(&currentInstance()); }

frmKwAmbrTvsA& frmKwAmbrTvsA::currentInstance() {
    auto& s = slot();
    if (!s) s = rt::make<frmKwAmbrTvsA>();
    return *s;
}

rt::Ref<frmKwAmbrTvsA> frmKwAmbrTvsA::peek() { return slot(); }

void frmKwAmbrTvsA::drop() { slot() = nullptr; }

}  // namespace Sarn10B
