// What is checked before code is loaded: the walk of a path from "/" and
// the run path of a server, with a marker library whose constructor leaves
// a file whenever it runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/elf_dependencies.h"
#include "runtime/error.h"
#include "runtime/server.h"
#include "runtime/trusted_load.h"
#include "runtime/trusted_path.h"
#include "runtime/tests/registry_helpers.h"
#include "testing/error_number.h"

namespace {

namespace fs = std::filesystem;
using registry_tests::errorTextOf;
using testing_support::errorNumberOf;

constexpr uid_t Nobody = 65534;

class LoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::umask(022);
        char pattern[] = "/tmp/sarn-loading-test-XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern));
        dir = pattern;
        ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
        marker = dir / "ran";
        ::setenv("SARN_MARKER", marker.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("SARN_MARKER");
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    // A folder of its own holding a copy of a probe and of the marker it needs.
    fs::path probeFolder(const char* probe, const std::string& name) {
        const fs::path folder = dir / name;
        fs::create_directories(folder);
        fs::copy_file(probe, folder / "server.so");
        fs::copy_file(MARKER_FILE, folder / "libmarker.so");
        return folder;
    }
    bool ran() const { return fs::exists(marker); }

    fs::path dir, marker;
};

TEST_F(LoadingTest, AWalkNamesTheFirstComponentThatOthersCouldChange) {
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* name;
        std::string path;  // below dir
        std::function<void(const fs::path&)> make;
        std::string expected;  // "" when trusted, else a part of the error
        bool needsRoot = false;
    } cases[] = {
        {"own folders", "a/b/file", [](const fs::path& d) { fs::create_directories(d / "a/b"); std::ofstream(d / "a/b/file"); }, ""},
        {"world-writable folder above",
         "open/b/file",
         [](const fs::path& d) {
             fs::create_directories(d / "open/b");
             std::ofstream(d / "open/b/file");
             fs::permissions(d / "open", fs::perms::all);
         },
         "/open can be written by others than its owner (mode 0777)"},
        {"group-writable file",
         "g/file",
         [](const fs::path& d) {
             fs::create_directories(d / "g");
             std::ofstream(d / "g/file");
             fs::permissions(d / "g/file", fs::perms::group_write, fs::perm_options::add);
         },
         "/g/file can be written by others than its owner"},
        {"sticky world-writable folder above, own entry",
         "sticky/mine/file",
         [](const fs::path& d) {
             fs::create_directories(d / "sticky/mine");
             std::ofstream(d / "sticky/mine/file");
             fs::permissions(d / "sticky", fs::perms::all | fs::perms::sticky_bit);
         },
         ""},
        {"sticky folder as the end",
         "sticky2",
         [](const fs::path& d) {
             fs::create_directories(d / "sticky2");
             fs::permissions(d / "sticky2", fs::perms::all | fs::perms::sticky_bit);
         },
         "/sticky2 can be written by others than its owner (mode 1777)"},
        {"own link to own file",
         "l/link",
         [](const fs::path& d) {
             fs::create_directories(d / "l/real");
             std::ofstream(d / "l/real/file");
             fs::create_symlink("real/./file", d / "l/link");
         },
         ""},
        {"link into a world-writable folder",
         "l2/link",
         [](const fs::path& d) {
             fs::create_directories(d / "l2");
             fs::create_directories(d / "open2");
             std::ofstream(d / "open2/file");
             fs::permissions(d / "open2", fs::perms::all);
             fs::create_symlink(d / "open2/file", d / "l2/link");
         },
         "/open2 can be written by others than its owner"},
        {"link loop",
         "loop/a",
         [](const fs::path& d) {
             fs::create_directories(d / "loop");
             fs::create_symlink("b", d / "loop/a");
             fs::create_symlink("a", d / "loop/b");
         },
         "/loop/a is not used: it passes through more than 40 links"},
        {"another user's file in a sticky folder",
         "sticky3/theirs",
         [](const fs::path& d) {
             fs::create_directories(d / "sticky3");
             std::ofstream(d / "sticky3/theirs");
             if (::chown((d / "sticky3/theirs").c_str(), Nobody, Nobody) != 0) std::abort();
             fs::permissions(d / "sticky3", fs::perms::all | fs::perms::sticky_bit);
         },
         "/sticky3/theirs belongs to user 65534",
         true},
        {"another user's link in a sticky folder",
         "sticky4/link",
         [](const fs::path& d) {
             fs::create_directories(d / "sticky4");
             std::ofstream(d / "file4");
             fs::create_symlink(d / "file4", d / "sticky4/link");
             if (::lchown((d / "sticky4/link").c_str(), Nobody, Nobody) != 0) std::abort();
             fs::permissions(d / "sticky4", fs::perms::all | fs::perms::sticky_bit);
         },
         "/sticky4/link belongs to user 65534",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !root) {
            std::cout << "SKIPPED (needs root): " << c.name << "\n";
            continue;
        }
        c.make(dir);
        const std::string why = errorTextOf([&] { rt::resolveTrusted((dir / c.path).string(), "test file", false); });
        if (c.expected.empty()) {
            EXPECT_EQ(why, "");
        } else {
            EXPECT_NE(why.find(dir.string() + c.expected), std::string::npos) << why;
            EXPECT_EQ(errorNumberOf([&] { rt::resolveTrusted((dir / c.path).string(), "test file", false); }), 429);
        }
    }
    EXPECT_EQ(rt::resolveTrusted((dir / "l/link").string(), "test file", false).path, (dir / "l/real/file").string())
        << "the canonical path";
    EXPECT_EQ(rt::resolveTrusted((dir / "a/../a/./b").string(), "test folder", false).path, (dir / "a/b").string());
}

TEST_F(LoadingTest, AMissingComponentIsToldApartFromAnUntrustedOne) {
    fs::create_directories(dir / "a");
    const auto missing = rt::resolveTrusted((dir / "a/none/x").string(), "registry", true);
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.path, (dir / "a/none/x").string());
    EXPECT_EQ(errorNumberOf([&] { rt::resolveTrusted((dir / "a/none/x").string(), "server file", false); }), 53);
    fs::permissions(dir / "a", fs::perms::all);
    EXPECT_EQ(errorNumberOf([&] { rt::resolveTrusted((dir / "a/none/x").string(), "registry", true); }), 429)
        << "a folder that others can write may gain the missing part at any time";
}

// A root-owned library whose run path says $ORIGIN, reached through a link in
// a folder that another user can write, would find that user's library
// beside the link.
TEST_F(LoadingTest, ALinkInAFolderOthersCanWriteLoadsNothingOfTheirs) {
    const fs::path trusted = probeFolder(PROBE_origin, "trusted");
    const fs::path open = dir / "open";
    fs::create_directories(open);
    fs::create_symlink(trusted / "server.so", open / "server.so");
    fs::copy_file(MARKER_FILE, open / "libmarker.so");
    fs::permissions(open, fs::perms::all);
    const std::string why = errorTextOf([&] { rt::callServerEntry((open / "server.so").string(), "DllRegisterServer"); });
    EXPECT_NE(why.find(open.string() + " can be written by others than its owner"), std::string::npos) << why;
    EXPECT_FALSE(ran()) << "nothing was loaded";

    // The same link in a folder of the user's own leads to the library's
    // real folder, where $ORIGIN is looked up.
    fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(rt::checkServerCode((open / "server.so").string()).path, (trusted / "server.so").string());
}

TEST_F(LoadingTest, LibrariesFoundThroughTheRunPathAreCheckedLikeTheServer) {
    const fs::path folder = probeFolder(PROBE_origin, "server");
    EXPECT_EQ(errorTextOf([&] { rt::checkServerCode((folder / "server.so").string()); }), "");
    struct Case {
        const char* name;
        fs::path library;
    } cases[] = {
        {"beside the server", folder / "libmarker.so"},
        {"in a subfolder the loader tries first", folder / "glibc-hwcaps/x86-64-v3/libmarker.so"},
        {"in the legacy subfolder", folder / "tls/x86_64/libmarker.so"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directories(c.library.parent_path());
        if (!fs::exists(c.library)) fs::copy_file(MARKER_FILE, c.library);
        fs::permissions(c.library, fs::perms::others_write, fs::perm_options::add);
        const std::string why = errorTextOf([&] { rt::checkServerCode((folder / "server.so").string()); });
        EXPECT_NE(why.find(c.library.string() + " can be written by others than its owner"), std::string::npos) << why;
        EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry((folder / "server.so").string(), "DllRegisterServer"); }), 429);
        fs::permissions(c.library, fs::perms::others_write, fs::perm_options::remove);
    }
    // A filter library is loaded with the server like a needed one.
    const fs::path filtered = probeFolder(PROBE_filter, "filtered");
    fs::copy_file(MARKER_FILE, filtered / "libfilter.so");
    EXPECT_EQ(errorTextOf([&] { rt::checkServerCode((filtered / "server.so").string()); }), "");
    fs::permissions(filtered / "libfilter.so", fs::perms::others_write, fs::perm_options::add);
    const std::string filterWhy = errorTextOf([&] { rt::checkServerCode((filtered / "server.so").string()); });
    EXPECT_NE(filterWhy.find("libfilter.so can be written by others than its owner"), std::string::npos) << filterWhy;

    if (::geteuid() != 0) GTEST_SKIP() << "SKIPPED (needs root): a library of another user";
    ASSERT_EQ(::chown((folder / "libmarker.so").c_str(), Nobody, Nobody), 0);
    const std::string why = errorTextOf([&] { rt::checkServerCode((folder / "server.so").string()); });
    EXPECT_NE(why.find("libmarker.so belongs to user 65534"), std::string::npos) << why;
    EXPECT_FALSE(ran());
}

TEST_F(LoadingTest, RunPathEntriesThatDependOnWhereOrWhatAreRefused) {
    struct Case {
        const char* name;
        const char* probe;
        const char* expected;
    } cases[] = {
        {"empty entry", PROBE_empty, "has an empty run-path entry"},
        {"relative entry", PROBE_relative, "has the relative run-path entry \"marker\""},
        {"$PLATFORM", PROBE_platform, "has the run-path entry \"$PLATFORM/marker\", whose folder depends on the machine"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string why = errorTextOf([&] { rt::checkServerCode(c.probe); });
        EXPECT_NE(why.find(c.expected), std::string::npos) << why;
        EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(c.probe, "DllRegisterServer"); }), 429);
    }
    EXPECT_FALSE(ran());
}

TEST_F(LoadingTest, WhatIsNotASharedLibraryIsRefusedBeforeLoading) {
    const std::string real = [] {
        std::ifstream in(MARKER_FILE, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    struct Case {
        const char* name;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"text", "#!/bin/sh\necho hi\n", "does not start as an ELF file"},
        {"cut short", real.substr(0, 200), "cut short"},
        {"not a shared object", real.substr(0, 16) + std::string(1, '\x02') + real.substr(17), "not a shared object"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / "lib.so";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
        const std::string why = errorTextOf([&] { rt::checkServerCode(file.string()); });
        EXPECT_NE(why.find(c.expected), std::string::npos) << why;
    }
    EXPECT_FALSE(ran());
}

// The loader reads an empty run-path entry as the working folder.
TEST(BuildRunPathTest, TheProgramsAndLibrariesOfTheBuildHaveNoEmptyEntry) {
    for (const char* file : {REGSERVER, RUNTIME_FILE, MARKER_FILE}) {
        SCOPED_TRACE(file);
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const auto deps = rt::readElfDependencies(
            [&](uint64_t offset, size_t size, char* out) {
                if (offset > bytes.size() || size > bytes.size() - offset) return false;
                std::copy_n(bytes.data() + offset, size, out);
                return true;
            },
            file);
        EXPECT_FALSE(deps.needed.empty()) << "the reader found what it needs";
        for (const auto& entry : deps.runPath) EXPECT_FALSE(entry.empty());
    }
}

}  // namespace
