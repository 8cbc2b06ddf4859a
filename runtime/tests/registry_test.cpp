// The registry of component servers on disk: one file per server, the old
// single file, scopes, the checks that keep foreign code out, and writes
// that neither a second process, a full disk nor a planted link can spoil.
// The servers are small test servers (fake_server.cpp) built as FakeA,
// FakeB, FakeC and FakeS.
#include "runtime/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "runtime/app_objects.h"
#include "runtime/classes.h"
#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/server.h"
#include "runtime/variant.h"
#include "runtime/tests/registry_helpers.h"
#include "testing/error_number.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using registry_tests::readFile;
using registry_tests::writeFile;
using registry_tests::errorTextOf;
using registry_tests::createdName;

struct Fake {
    const char* name;
    const char* file;
    const char* typeLib;
    const char* clsid;
};
const Fake FakeA{"FakeA", FAKE_A_FILE, "0A000000-0000-4000-8000-00000000000A", "A0000000-0000-4000-8000-00000000000A"};
const Fake FakeB{"FakeB", FAKE_B_FILE, "0B000000-0000-4000-8000-00000000000B", "B0000000-0000-4000-8000-00000000000B"};
const Fake FakeC{"FakeC", FAKE_C_FILE, "0C000000-0000-4000-8000-00000000000C", "C0000000-0000-4000-8000-00000000000C"};
const Fake FakeS{"FakeS", FAKE_S_FILE, "05000000-0000-4000-8000-000000000005", "50000000-0000-4000-8000-000000000005"};

using testing_support::errorNumberOf;

// Sets or unsets environment variables for one test.
class Environment {
public:
    void set(const char* name, const std::optional<std::string>& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// Runs checks in a child process (for another user, or a file size limit);
// the child's failures come back as its exit code.
int inChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int failures = 1;
        try {
            failures = body();
        } catch (...) {
        }
        ::_exit(failures);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

constexpr uid_t Nobody = 65534;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::umask(022);  // folders that the tests make are the owner's alone to write
        char pattern[] = "/tmp/sarn-registry-test-XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern));
        dir = pattern;
        location = (dir / "registry").string();
        folder = dir / "registry.d";
        rt::setRegistryPath(location);
    }
    void TearDown() override {
        // Created servers made their class an application object of this
        // process; the next test starts without them.
        for (const Fake* f : {&FakeA, &FakeB, &FakeC, &FakeS}) rt::unregisterAppObject(std::string(f->name) + ".Thing");
        rt::setRegistryPath("");
        std::error_code ignored;
        fs::permissions(dir, fs::perms::owner_all, ignored);
        fs::remove_all(dir, ignored);
    }

    int32_t entry(const Fake& f, const char* name) { return rt::callServerEntry(f.file, name); }
    void registerServer(const Fake& f) { ASSERT_EQ(entry(f, "DllRegisterServer"), rt::hresult::Ok) << rt::Err()->Description; }
    fs::path fileOf(const Fake& f) const { return folder / rt::serverFileName(f.name, f.typeLib); }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        if (fs::exists(folder))
            for (const auto& e : fs::directory_iterator(folder))
                if (e.path().filename() != ".lock") names.push_back(e.path().filename().string());  // the writers' lock
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string canonical(const Fake& f) { return fs::canonical(f.file).string(); }
    static std::string oldEntries(const Fake& f, const std::string& server) {
        return std::string("class\t") + f.clsid + "\t" + f.name + ".Thing\t" + server + "\tApartment\n" + "typelib\t" +
               f.typeLib + "\t1.0\t0\t" + f.name + "\t" + server + "\n";
    }

    fs::path dir;
    std::string location;
    fs::path folder;
};

TEST_F(RegistryTest, EachServerHasOneFileThatNoOtherWriterRewrites) {
    registerServer(FakeA);
    registerServer(FakeB);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{fileOf(FakeA).filename(), fileOf(FakeB).filename()}));
    const std::string a = readFile(fileOf(FakeA));
    EXPECT_EQ(a, "sarn-server 1\nserver\t" + canonical(FakeA) + "\ntypelib\t" + FakeA.typeLib + "\t1.0\t0\tFakeA\n" +
                     "class\tA0000000-0000-4000-8000-00000000000A\tFakeA.Thing\tApartment\tappobject\n");
    struct stat before{};
    ::stat(fileOf(FakeA).c_str(), &before);

    ASSERT_EQ(entry(FakeB, "DllUnregisterServer"), rt::hresult::Ok);
    registerServer(FakeC);
    struct stat after{};
    ::stat(fileOf(FakeA).c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino) << "another server's file is never rewritten";
    EXPECT_EQ(folderNames(), (std::vector<std::string>{fileOf(FakeA).filename(), fileOf(FakeC).filename()}));

    EXPECT_EQ(createdName("FakeA"), "FakeA");
    EXPECT_EQ(createdName("FakeB"), "error 429: Cannot create object: FakeB.Thing");
    EXPECT_EQ(createdName("FakeC"), "FakeC");
    registerServer(FakeA);
    EXPECT_EQ(readFile(fileOf(FakeA)), a) << "registering twice is harmless";
}

TEST_F(RegistryTest, TheApplicationObjectFlagTravelsWithTheRegistration) {
    registerServer(FakeC);
    EXPECT_EQ(errorNumberOf([] { rt::callGlobal("Name", rt::CallKind::PropertyGet); }), rt::errnum::NoSuchMember)
        << "nothing of FakeC is known before it is created";
    EXPECT_EQ(createdName("FakeC"), "FakeC");
    EXPECT_EQ(rt::toText(rt::callGlobal("Name", rt::CallKind::PropertyGet)), "FakeC");
    auto r = rt::readRegistry(location, false);
    ASSERT_EQ(r.classes.size(), 1u);
    EXPECT_TRUE(r.classes[0].appObject);
    EXPECT_EQ(r.classes[0].threading, "Apartment");
}

TEST_F(RegistryTest, AnApplicationObjectWhoseServerIsGoneHidesNoOtherOnesMembers) {
    registerServer(FakeA);
    registerServer(FakeC);
    EXPECT_EQ(createdName("FakeA"), "FakeA");
    EXPECT_EQ(createdName("FakeC"), "FakeC");
    ASSERT_EQ(entry(FakeA, "DllUnregisterServer"), rt::hresult::Ok);
    // A thread that has made no instance yet must create them anew: FakeA
    // can no longer be created, FakeC answers.
    std::string answer;
    std::thread([&] {
        try {
            answer = rt::toText(rt::callGlobal("Name", rt::CallKind::PropertyGet));
        } catch (const rt::Error& e) {
            answer = "error " + std::to_string(e.number());
        }
    }).join();
    EXPECT_EQ(answer, "FakeC");
}

TEST_F(RegistryTest, AnOldFileIsReadAndItsEntriesMoveOnTheFirstWrite) {
    writeFile(location, "sarn-registry 1\n" + oldEntries(FakeA, canonical(FakeA)) + oldEntries(FakeS, canonical(FakeS)));
    EXPECT_EQ(createdName("FakeA"), "FakeA") << "read as it is";
    const auto before = rt::readRegistry(location, false);

    registerServer(FakeB);
    EXPECT_FALSE(fs::exists(location)) << "the old file goes once its entries have moved";
    EXPECT_EQ(folderNames(), (std::vector<std::string>{fileOf(FakeA).filename(), fileOf(FakeB).filename(),
                                                       fileOf(FakeS).filename()}));
    const auto after = rt::readRegistry(location, false);
    std::vector<std::string> ids;
    for (const auto& c : after.classes) ids.push_back(c.progId + " " + c.clsid + " " + c.server);
    std::vector<std::string> expected;
    for (const auto& c : before.classes) expected.push_back(c.progId + " " + c.clsid + " " + c.server);
    expected.push_back("FakeB.Thing B0000000-0000-4000-8000-00000000000B " + canonical(FakeB));
    std::sort(ids.begin(), ids.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ids, expected);
    for (const char* name : {"FakeA", "FakeB", "FakeS"}) EXPECT_EQ(createdName(name), name);
}

TEST_F(RegistryTest, AMoveThatCannotFinishMovesNothing) {
    // The last server's path cannot go into a file of the new format.
    const std::string old = "sarn-registry 1\n" + oldEntries(FakeA, canonical(FakeA)) +
                            "typelib\tFF000000-0000-4000-8000-0000000000FF\t1.0\t0\tZzz\t/opt/bad\x01path.so\n";
    writeFile(location, old);
    EXPECT_EQ(entry(FakeB, "DllRegisterServer"), rt::hresult::SelfRegClass);
    EXPECT_EQ(rt::Err()->Number, 52) << rt::Err()->Description;
    EXPECT_EQ(readFile(location), old);
    EXPECT_EQ(folderNames(), std::vector<std::string>{}) << "neither the moved entries nor the new one";
    EXPECT_EQ(createdName("FakeA"), "FakeA");
}

TEST_F(RegistryTest, DamagedFilesAreReportedAndLeftAsTheyWere) {
    struct Case {
        const char* name;
        fs::path file;
        std::string text;
    } cases[] = {
        {"empty server file", folder / "X-1.server", ""},
        {"cut short", folder / "X-1.server", "sarn-server 1\nserver\t/x.so"},
        {"no type library", folder / "X-1.server", "sarn-server 1\nserver\t/x.so\n"},
        {"unknown entry", folder / "X-1.server", "sarn-server 1\nwhatever\n"},
        {"control character in a class",
         folder / "X-1.server",
         "sarn-server 1\nserver\t/x.so\ntypelib\tT\t1.0\t0\tX\nclass\tC\tX.\fThing\tApartment\t\n"},
        {"empty old file", dir / "registry", ""},
        {"old file without header", dir / "registry", "class\tx\ty\tz\tApartment\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::remove(location);
        fs::create_directories(folder);
        writeFile(c.file, c.text);
        const std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
        EXPECT_NE(why.find(c.file.string()), std::string::npos) << why;
        EXPECT_EQ(errorNumberOf([&] { rt::readRegistry(location, false); }), 321);
        const bool old = c.file == location;
        EXPECT_EQ(entry(FakeA, "DllRegisterServer"), old ? rt::hresult::SelfRegClass : rt::hresult::Ok)
            << "a damaged server file is another server's business";
        EXPECT_EQ(readFile(c.file), c.text) << "never written over";
    }
}

TEST_F(RegistryTest, AMissingRegistryOnlyDoesNotExist) {
    EXPECT_EQ(errorNumberOf([&] { rt::readRegistry(location, false); }), 53);
    const std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
    EXPECT_NE(why.find(location + " does not exist"), std::string::npos) << why;
}

TEST_F(RegistryTest, UserRegistryFirstThenTheSystemRegistries) {
    Environment env;
    env.set("SARN_REGISTRY", std::nullopt);
    env.set("XDG_DATA_HOME", (dir / "user").string());
    env.set("XDG_DATA_DIRS", (dir / "sys1").string() + ":relative/ignored:" + (dir / "sys2").string() + "/");
    rt::setRegistryPath("");
    const std::string user = (dir / "user/sarn/registry").string();
    const std::string sys2 = (dir / "sys2/sarn/registry").string();
    EXPECT_EQ(rt::registryPath(), user);
    const auto locations = rt::registryLocations();
    ASSERT_EQ(locations.size(), 4u);
    EXPECT_EQ(locations[0], user);
    EXPECT_EQ(locations[1], std::string(SARN_SYSTEM_DATADIR) + "/sarn/registry");
    EXPECT_EQ(locations[2], (dir / "sys1/sarn/registry").string());
    EXPECT_EQ(locations[3], sys2);

    rt::setRegistryPath(sys2);
    registerServer(FakeA);
    rt::setRegistryPath("");
    EXPECT_EQ(createdName("FakeA"), "FakeA") << "found in the system registry";

    // The user's entry for the same identifier wins: it names FakeB's class.
    rt::ServerRegistration mine{canonical(FakeB), {"0B000000-0000-4000-8000-00000000000B", "1.0", "0", "Mine", ""}, {}};
    mine.classes.push_back({"B0000000-0000-4000-8000-00000000000B", "FakeA.Thing", canonical(FakeB), "Apartment"});
    rt::writeServerRegistration(user, mine);
    EXPECT_EQ(createdName("FakeA"), "FakeB");
    rt::setRegistryPath(location);
}

TEST_F(RegistryTest, WithoutHomeTheUserIsFoundInThePasswordDatabase) {
    struct passwd* pw = ::getpwuid(::geteuid());
    ASSERT_TRUE(pw && pw->pw_dir);
    const std::string expected = std::string(pw->pw_dir) + "/.local/share/sarn/registry";
    for (std::optional<std::string> home : {std::optional<std::string>(), std::optional<std::string>(""),
                                            std::optional<std::string>("relative")}) {
        SCOPED_TRACE(home ? "HOME=\"" + *home + "\"" : "HOME unset");
        Environment env;
        env.set("HOME", home);
        env.set("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(rt::userRegistryPath(), expected);
    }
}

TEST_F(RegistryTest, LinksAtTheWritersNamesAreNeverFollowed) {
    const fs::path victim = dir / "victim";
    writeFile(victim, "precious\n");
    fs::create_directories(folder);
    const std::string name = fileOf(FakeA).filename().string();
    std::vector<fs::path> links{dir / "registry.new", folder / (name + ".new"), folder / ("." + name + ".tmp")};
    for (int i = 0; i < 10; ++i)
        links.push_back(folder / ("." + name + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(i)));
    for (const auto& link : links) fs::create_symlink(victim, link);

    registerServer(FakeA);
    EXPECT_EQ(readFile(victim), "precious\n");
    for (const auto& link : links) EXPECT_TRUE(fs::is_symlink(link)) << link;
    EXPECT_FALSE(fs::is_symlink(fileOf(FakeA)));
    EXPECT_EQ(createdName("FakeA"), "FakeA");
}

TEST_F(RegistryTest, ALinkedRegistryFileIsWrittenThroughAndStaysALink) {
    registerServer(FakeA);
    const fs::path kept = dir / "kept";
    fs::create_directories(kept);
    fs::rename(fileOf(FakeA), kept / "a.server");
    fs::create_symlink(kept / "a.server", fileOf(FakeA));
    writeFile(kept / "a.server", "sarn-server 1\nserver\t" + canonical(FakeA) + "\ntypelib\t" + FakeA.typeLib +
                                     "\t1.0\t0\tFakeA\n");
    EXPECT_EQ(createdName("FakeA"), "error 429: Cannot create object: FakeA.Thing");

    registerServer(FakeA);
    EXPECT_TRUE(fs::is_symlink(fileOf(FakeA)));
    EXPECT_NE(readFile(kept / "a.server").find("FakeA.Thing"), std::string::npos);
    EXPECT_EQ(createdName("FakeA"), "FakeA");

    ASSERT_EQ(entry(FakeA, "DllUnregisterServer"), rt::hresult::Ok);
    EXPECT_FALSE(fs::exists(fs::symlink_status(fileOf(FakeA)))) << "unregistering removes the link";
}

TEST_F(RegistryTest, ARewriteKeepsModeOwnerAndGroup) {
    registerServer(FakeA);
    const bool root = ::geteuid() == 0;
    const gid_t group = root ? 100 : ::getegid();
    ASSERT_EQ(::chmod(fileOf(FakeA).c_str(), 0600), 0);
    if (root) {
        ASSERT_EQ(::chown(fileOf(FakeA).c_str(), 0, group), 0);
    }
    registerServer(FakeA);
    struct stat st{};
    ASSERT_EQ(::stat(fileOf(FakeA).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(st.st_uid, ::geteuid());
    struct stat fresh{};
    registerServer(FakeB);
    ASSERT_EQ(::stat(fileOf(FakeB).c_str(), &fresh), 0);
    EXPECT_EQ(fresh.st_mode & 07777, 0644u) << "a new file is readable by every user";
}

TEST_F(RegistryTest, RelativeAndBarePathsAreRecordedAbsolute) {
    const fs::path here = fs::current_path();
    const fs::path serverFolder = fs::path(FAKE_A_FILE).parent_path();
    const std::string file = fs::path(FAKE_A_FILE).filename().string();
    fs::current_path(serverFolder / "..");
    EXPECT_EQ(rt::callServerEntry(serverFolder.filename().string() + "/../" + serverFolder.filename().string() + "/" + file,
                                  "DllRegisterServer"),
              rt::hresult::Ok);
    EXPECT_EQ(rt::readRegistry(location, false).classes.at(0).server, canonical(FakeA));
    fs::current_path(serverFolder);
    EXPECT_EQ(rt::callServerEntry(file, "DllRegisterServer"), rt::hresult::Ok) << "a bare name is a file here";
    fs::current_path(dir);
    EXPECT_EQ(rt::readRegistry(location, false).classes.at(0).server, canonical(FakeA));
    EXPECT_EQ(createdName("FakeA"), "FakeA") << "from another working folder";
    EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(file, "DllRegisterServer"); }), 53)
        << "never looked up on the library search path";
    fs::current_path(here);

    // Entries that another writer left relative or unnormalised are not loaded.
    for (const std::string& server : {std::string("relative/lib.so"), file, serverFolder.string() + "/./" + file,
                                      serverFolder.string() + "//" + file}) {
        SCOPED_TRACE(server);
        fs::remove_all(folder);
        writeFile(location, "sarn-registry 1\n" + oldEntries(FakeA, server));
        const std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
        EXPECT_NE(why.find("is not"), std::string::npos) << why;
    }
}

TEST_F(RegistryTest, ControlCharactersAndNulInPathsAreRefused) {
    struct Case {
        const char* name;
        std::string path;
    } cases[] = {
        {"tab", "/tmp/lib\tfake.so"},
        {"newline", "/tmp/lib\nfake.so"},
        {"NUL", std::string(FAKE_A_FILE) + std::string("\0.junk", 6)},
        {"NUL before the real name", std::string("/tmp/x\0", 7) + FAKE_A_FILE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(c.path, "DllRegisterServer"); }), 52);
        why = errorTextOf([&] { rt::canonicalServerPath(c.path); });
        EXPECT_NE(why.find("control character"), std::string::npos) << why;
    }
    // A real server file whose name holds a tab.
    const fs::path tabbed = dir / "lib\tfake.so";
    fs::copy_file(FAKE_A_FILE, tabbed);
    EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(tabbed.string(), "DllRegisterServer"); }), 52);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(errorNumberOf([&] { rt::setRegistryPath(location + std::string("\0x", 2)); rt::readRegistry(rt::registryPath(), true); }), 52);
    rt::setRegistryPath(location);
}

TEST_F(RegistryTest, ANamedPipeIsNeverOpenedAsAServerOrARegistryFile) {
    const fs::path pipe = dir / "pipe.so";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(pipe.string(), "DllRegisterServer"); }), 429);

    writeFile(location, "sarn-registry 1\n" + oldEntries(FakeA, pipe.string()));
    std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
    EXPECT_NE(why.find("is not a regular file"), std::string::npos) << why;

    fs::remove(location);
    fs::create_directories(folder);
    ASSERT_EQ(::mkfifo((folder / "Pipe-1.server").c_str(), 0600), 0);
    why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
    EXPECT_NE(why.find("is not a regular file"), std::string::npos) << why;
}

TEST_F(RegistryTest, LooseFilesAndFoldersAreRefused) {
    registerServer(FakeA);
    struct Case {
        const char* name;
        fs::path path;
        mode_t mode;
        bool blocksWrites;
    } cases[] = {
        {"group-writable folder", folder, 0775, true},
        {"world-writable folder", folder, 0777, true},
        {"world-writable holding folder", dir, 0777, true},
        {"group-writable file", fileOf(FakeA), 0664, false},
        {"world-writable file", fileOf(FakeA), 0646, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        struct stat st{};
        ASSERT_EQ(::stat(c.path.c_str(), &st), 0);
        ASSERT_EQ(::chmod(c.path.c_str(), c.mode), 0);
        const std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
        EXPECT_EQ(errorNumberOf([] { rt::createObject("FakeA.Thing"); }), 429);
        EXPECT_NE(why.find(c.path.string() + " can be written by others than its owner"), std::string::npos) << why;
        if (c.blocksWrites) {
            EXPECT_EQ(entry(FakeB, "DllRegisterServer"), rt::hresult::SelfRegClass);
            EXPECT_EQ(rt::Err()->Number, 429);
        }
        ASSERT_EQ(::chmod(c.path.c_str(), st.st_mode & 07777), 0);
    }
    EXPECT_EQ(createdName("FakeA"), "FakeA");
    EXPECT_FALSE(fs::exists(fileOf(FakeB)));

    // A server file that others can change is not loaded either.
    const fs::path copy = dir / "loose.so";
    fs::copy_file(FAKE_A_FILE, copy);
    ASSERT_EQ(::chmod(copy.c_str(), 0666), 0);
    EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(copy.string(), "DllRegisterServer"); }), 429);

    if (::geteuid() != 0) GTEST_SKIP() << "files of another user need root to make";
    for (const fs::path& path : {fileOf(FakeA), folder}) {
        SCOPED_TRACE(path);
        ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
        const std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
        EXPECT_NE(why.find(path.string() + " belongs to user 65534"), std::string::npos) << why;
        ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
    }
}

TEST_F(RegistryTest, AnUnreadableRegistryIsToldApartAndNeverReplaced) {
    writeFile(location, "sarn-registry 1\n" + oldEntries(FakeS, canonical(FakeS)));
    registerServer(FakeA);  // moves FakeS into the folder
    writeFile(location, "sarn-registry 1\n" + oldEntries(FakeC, canonical(FakeC)));
    const std::string old = readFile(location);
    const std::string a = readFile(fileOf(FakeA));
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);

    auto checks = [&](const fs::path& unreadable) {
        int failures = 0;
        auto check = [&](bool ok, const std::string& what) {
            if (!ok) {
                std::cerr << "failed: " << what << " (" << unreadable << ")\n";
                ++failures;
            }
        };
        check(errorNumberOf([&] { rt::readRegistry(location, false); }) == 75, "reading gives 75");
        const std::string why = errorTextOf([] { rt::createObject("FakeA.Thing"); });
        check(errorNumberOf([] { rt::createObject("FakeA.Thing"); }) == 75, "creating gives 75: " + why);
        check(why.find("cannot be read") != std::string::npos && why.find("does not exist") == std::string::npos,
              "says why: " + why);
        // Another server's file unreadable to its own owner is no reason to
        // refuse a registration; to a reader who is not the owner the whole
        // folder is closed.
        const bool othersFileOfOwn = ::geteuid() != 0 && unreadable == fileOf(FakeA);
        if (!othersFileOfOwn) check(entry(FakeB, "DllRegisterServer") != rt::hresult::Ok, "registering fails");
        return failures;
    };
    for (const fs::path& unreadable : {fs::path(location), fileOf(FakeA), folder}) {
        SCOPED_TRACE(unreadable);
        struct stat st{};
        ASSERT_EQ(::stat(unreadable.c_str(), &st), 0);
        ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
        if (::geteuid() == 0)
            EXPECT_EQ(inChild([&] {
                          if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) return 99;
                          return checks(unreadable);
                      }),
                      0);
        else
            EXPECT_EQ(checks(unreadable), 0);
        ASSERT_EQ(::chmod(unreadable.c_str(), st.st_mode & 07777), 0);
    }
    EXPECT_EQ(readFile(location), old);
    EXPECT_EQ(readFile(fileOf(FakeA)), a);
    EXPECT_FALSE(fs::exists(fileOf(FakeB)));
}

TEST_F(RegistryTest, AFullDiskLosesNothing) {
    registerServer(FakeA);
    writeFile(location, "sarn-registry 1\n" + oldEntries(FakeS, canonical(FakeS)));
    const std::string a = readFile(fileOf(FakeA)), old = readFile(location);
    ASSERT_EQ(::chmod(fileOf(FakeA).c_str(), 0640), 0);  // so that registering again rewrites it
    // A file size limit stands in for a full disk: every write past it fails.
    const int failures = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit{16, 16};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 99;
        int bad = 0;
        for (const Fake* f : {&FakeA, &FakeB}) {
            if (rt::callServerEntry(f->file, "DllRegisterServer") != rt::hresult::SelfRegClass) ++bad;
            if (rt::Err()->Number != 75) ++bad;
        }
        return bad;
    });
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(readFile(fileOf(FakeA)), a);
    EXPECT_EQ(readFile(location), old);
    EXPECT_EQ(folderNames(), std::vector<std::string>{fileOf(FakeA).filename()}) << "no new file is left behind";
    for (const char* name : {"FakeA", "FakeS"}) EXPECT_EQ(createdName(name), name);
}

// A writer killed at any moment leaves each file either as it was or as it
// was meant to be, and the next writer carries on.
TEST_F(RegistryTest, AWriterKilledAtAnyMomentDamagesNothing) {
    registerServer(FakeS);
    const std::string s = readFile(fileOf(FakeS));
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        writeFile(location, "sarn-registry 1\n" + oldEntries(FakeC, canonical(FakeC)));
        pid_t pid = ::fork();
        if (pid == 0) {
            for (;;) {
                rt::callServerEntry(FakeA.file, "DllRegisterServer");
                rt::callServerEntry(FakeA.file, "DllUnregisterServer");
            }
        }
        ::usleep(static_cast<useconds_t>(2000 + 3000 * round));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        EXPECT_EQ(errorNumberOf([&] { rt::readRegistry(location, false); }), 0);
        const std::string a = createdName("FakeA");
        EXPECT_TRUE(a == "FakeA" || a == "error 429: Cannot create object: FakeA.Thing") << a;
        EXPECT_EQ(createdName("FakeC"), "FakeC") << "moved or not, never lost";
        EXPECT_EQ(readFile(fileOf(FakeS)), s);
        registerServer(FakeB);
        EXPECT_EQ(createdName("FakeB"), "FakeB");
    }
}

// Several processes at once: three register and unregister their own server
// in a loop, two create objects by name; the registry starts in the old
// format, so the first writers race to move it.
TEST_F(RegistryTest, ConcurrentWritersAndReadersLoseNothing) {
    writeFile(location, "sarn-registry 1\n" + oldEntries(FakeS, canonical(FakeS)));
    std::vector<std::vector<std::string>> commands{
        {REGISTRY_WORKER, "cycle", FakeA.file, "FakeA", "40", "registered"},
        {REGISTRY_WORKER, "cycle", FakeB.file, "FakeB", "40", "unregistered"},
        {REGISTRY_WORKER, "cycle", FakeC.file, "FakeC", "40", "registered"},
        {REGISTRY_WORKER, "create", "FakeS", "FakeA", "FakeB", "FakeC", "150"},
        {REGISTRY_WORKER, "create", "FakeS", "FakeA", "FakeB", "FakeC", "150"},
    };
    Environment env;
    env.set("SARN_REGISTRY", location);
    std::vector<pid_t> pids;
    for (auto& command : commands) {
        std::vector<char*> argv;
        for (auto& a : command) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, REGISTRY_WORKER, nullptr, nullptr, argv.data(), environ), 0);
        pids.push_back(pid);
    }
    for (size_t i = 0; i < pids.size(); ++i) {
        int status = 0;
        ::waitpid(pids[i], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << commands[i][1] << " " << commands[i][3] << ": " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1)
            << " failures";
    }
    EXPECT_FALSE(fs::exists(location));
    EXPECT_EQ(folderNames(), (std::vector<std::string>{fileOf(FakeA).filename(), fileOf(FakeC).filename(),
                                                       fileOf(FakeS).filename()}))
        << "exactly what each server's last operation left, and no temporary file";
    std::vector<std::string> progIds;
    for (const auto& c : rt::readRegistry(location, false).classes) progIds.push_back(c.progId);
    EXPECT_EQ(progIds, (std::vector<std::string>{"FakeA.Thing", "FakeC.Thing", "FakeS.Thing"}));
}

}  // namespace
