#include "runtime/error.h"

namespace rt {

Error::Error(int32_t number, std::string description, std::string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {
    what_ = "error " + std::to_string(number_) + ": " + description_;
}

Error errInvalidCall() { return {errnum::InvalidCall, "Invalid procedure call or argument"}; }
Error errOverflow() { return {errnum::Overflow, "Overflow"}; }
Error errSubscript() { return {errnum::Subscript, "Subscript out of range"}; }
Error errTypeMismatch() { return {errnum::TypeMismatch, "Type mismatch"}; }
Error errObjectNotSet() {
    return {errnum::ObjectNotSet, "Object variable or With block variable not set"};
}
Error errInvalidNull() { return {errnum::InvalidNull, "Invalid use of Null"}; }
Error errResourceNotFound(const std::string& what) {
    return {errnum::ResourceNotFound, "Resource with identifier '" + what + "' not found"};
}
Error errObjectRequired() { return {errnum::ObjectRequired, "Object required"}; }
Error errCannotCreate(const std::string& progId) {
    return {errnum::CannotCreate, "Cannot create object: " + progId};
}
Error errNoSuchMember(const std::string& name) {
    return {errnum::NoSuchMember, "Object doesn't support this property or method: " + name};
}
Error errArgumentNotOptional() { return {errnum::ArgumentNotOptional, "Argument not optional"}; }
Error errWrongArgumentCount() {
    return {errnum::WrongArgumentCount, "Wrong number of arguments or invalid property assignment"};
}
Error errDuplicateKey() {
    return {errnum::DuplicateKey, "This key is already associated with an element of this collection"};
}
Error errInvalidPicture() { return {errnum::InvalidPicture, "Invalid picture"}; }

}  // namespace rt
