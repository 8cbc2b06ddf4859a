// Prints the type library Sarn10B in interface-definition style.
#include <iostream>

#include "library/type_library.h"

int main() {
    std::cout << Sarn10B::idlText(Sarn10B::typeLibrary());
    return 0;
}
