#pragma once
// App: the per-thread object that describes the running library.

#include <string>

#include "runtime/dispatch.h"

namespace rt {

class AppObject : public Object {
public:
    std::string Title = "sarn10b";
    std::string EXEName = "sarn10b";
    std::string ProductName = "Sarn10B";
    std::string FileDescription = "Tree view check box and option button styles";
    std::string CompanyName = "sarn10b developers";
    int32_t Major = 1;
    int32_t Minor = 0;
    int32_t Revision = 74;

    // "1.0.74"
    std::string version() const;

    const ClassInfo& classInfo() const override;
};

// The calling thread's App object.
Ref<AppObject> App();

}  // namespace rt
