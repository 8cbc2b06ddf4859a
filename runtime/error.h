#pragma once
// Runtime failures: one type carrying number, source and description, and one
// factory per number so that every site raises the same number with the same
// text.

#include <cstdint>
#include <exception>
#include <string>

namespace rt {

class Error : public std::exception {
public:
    Error(int32_t number, std::string description, std::string source = {});

    int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int32_t number_;
    std::string description_;
    std::string source_;
    std::string what_;
};

// The runtime's usual numbers.
namespace errnum {
inline constexpr int32_t InvalidCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t Subscript = 9;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t InvalidNull = 94;
inline constexpr int32_t ResourceNotFound = 326;
inline constexpr int32_t ObjectRequired = 424;
inline constexpr int32_t CannotCreate = 429;
inline constexpr int32_t NoSuchMember = 438;
inline constexpr int32_t WrongArgumentCount = 450;
inline constexpr int32_t ArgumentNotOptional = 449;
inline constexpr int32_t DuplicateKey = 457;
inline constexpr int32_t InvalidPicture = 481;
inline constexpr int32_t FileAccess = 75;
}  // namespace errnum

Error errInvalidCall();
Error errOverflow();
Error errSubscript();
Error errTypeMismatch();
Error errObjectNotSet();
Error errInvalidNull();
Error errResourceNotFound(const std::string& what);
Error errObjectRequired();
Error errCannotCreate(const std::string& progId);
Error errNoSuchMember(const std::string& name);
Error errArgumentNotOptional();
Error errWrongArgumentCount();
Error errDuplicateKey();
Error errInvalidPicture();

}  // namespace rt
