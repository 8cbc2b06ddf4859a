#include "outside/tree_model.h"

namespace tree {

rt::Error errIndexOutOfBounds() { return {errnum::IndexOutOfBounds, "Index out of bounds"}; }
rt::Error errElementNotFound() { return {errnum::ElementNotFound, "Element not found"}; }
rt::Error errKeyNotUnique() { return {errnum::KeyNotUnique, "Key is not unique in collection"}; }
rt::Error errControlDeleted() { return {errnum::ControlDeleted, "This control has been deleted"}; }
rt::Error errImageListNotInitialized() {
    return {errnum::ImageListNotInitialized, "ImageList must be initialized before it can be used"};
}

}  // namespace tree
