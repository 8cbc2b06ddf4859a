// Writes the Python type stub: python_stub OUTPUT-FILE. The file is written
// whole beside its place and renamed over it, so a build that stops midway
// leaves the old stub or the new one, never half of one.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "python/stub_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: python_stub OUTPUT-FILE\n";
        return 2;
    }
    const std::filesystem::path target = argv[1];
    const std::filesystem::path partial = target.string() + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << sarnpy::stubText();
        out.close();
        if (!out) {
            std::cerr << "python_stub: cannot write " << partial << "\n";
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) {
        std::cerr << "python_stub: cannot rename " << partial << ": " << error.message() << "\n";
        return 1;
    }
    return 0;
}
