#include "windows/platform/tree_event_source.h"

#include <oleauto.h>

#include "windows/platform/com_bridge.h"

namespace win {
namespace {

VARIANT byRef(int16_t* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_I2;
    v.piVal = value;
    return v;
}

VARIANT byRef(float* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_R4;
    v.pfltVal = value;
    return v;
}

}  // namespace

void TreeEventSource::NodeClick(const rt::Ref<tree::TreeNode>& node) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = toDispatch(node);
    fire(1, &v, 1);
    VariantClear(&v);
}

void TreeEventSource::KeyDown(int16_t& keyCode, int16_t& shift) {
    VARIANT args[] = {byRef(&shift), byRef(&keyCode)};
    fire(2, args, 2);
}

void TreeEventSource::KeyUp(int16_t& keyCode, int16_t& shift) {
    VARIANT args[] = {byRef(&shift), byRef(&keyCode)};
    fire(3, args, 2);
}

void TreeEventSource::MouseMove(int16_t& button, int16_t& shift, float& x, float& y) {
    VARIANT args[] = {byRef(&y), byRef(&x), byRef(&shift), byRef(&button)};
    fire(4, args, 4);
}

}  // namespace win
