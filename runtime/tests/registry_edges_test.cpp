// The registry's edges: the writers' lock, what dead writers leave, folders
// above a registry, a search over several registries, the move of the old
// single file, names and paths that would hide or mislead, and files of our
// own that are unreadable, damaged or far too large.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "runtime/app_objects.h"
#include "runtime/classes.h"
#include "runtime/dispatch.h"
#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/registry.h"
#include "runtime/server.h"
#include "runtime/variant.h"
#include "runtime/tests/registry_helpers.h"
#include "testing/error_number.h"

namespace {

namespace fs = std::filesystem;
using registry_tests::readFile;
using registry_tests::writeFile;
using registry_tests::errorTextOf;
using registry_tests::createdName;
using testing_support::errorNumberOf;

constexpr uid_t Nobody = 65534;
constexpr const char* TypeLibA = "0A000000-0000-4000-8000-00000000000A";
constexpr const char* TypeLibS = "05000000-0000-4000-8000-000000000005";

std::string oldEntries(const char* name, const char* clsid, const char* typeLib, const std::string& server) {
    return std::string("class\t") + clsid + "\t" + name + ".Thing\t" + server + "\tApartment\n" + "typelib\t" + typeLib +
           "\t1.0\t0\t" + name + "\t" + server + "\n";
}

// Sets environment variables for one test and puts them back after it.
class Environment {
public:
    void set(const char* name, const std::optional<std::string>& value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class RegistryEdgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::umask(022);
        char pattern[] = "/tmp/sarn-registry-edge-XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern));
        dir = pattern;
        ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
        useRegistry(dir / "registry");
    }
    void TearDown() override {
        for (const char* name : {"FakeA", "FakeB", "FakeS"}) rt::unregisterAppObject(std::string(name) + ".Thing");
        rt::setRegistryPath("");
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    void useRegistry(const fs::path& at) {
        location = at.string();
        folder = at.string() + ".d";
        rt::setRegistryPath(location);
    }
    int32_t registerFile(const char* file) { return rt::callServerEntry(file, "DllRegisterServer"); }
    fs::path fileOfA() const { return folder / rt::serverFileName("FakeA", TypeLibA); }

    fs::path dir;
    std::string location;
    fs::path folder;
};

TEST_F(RegistryEdgeTest, AWriterWaitsForTheLockAFewSecondsAndThenChangesNothing) {
    ASSERT_EQ(registerFile(FAKE_S_FILE), rt::hresult::Ok);
    const std::string s = readFile(folder / rt::serverFileName("FakeS", TypeLibS));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // A second writer holds the lock for longer than a writer waits.
    pid_t holder = ::fork();
    if (holder == 0) {
        int fd = ::open((folder / ".lock").c_str(), O_RDWR);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
        (void)!::write(ready[1], "x", 1);
        ::sleep(30);
        ::_exit(0);
    }
    char x;
    ASSERT_EQ(::read(ready[0], &x, 1), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(registerFile(FAKE_A_FILE), rt::hresult::SelfRegClass);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(rt::Err()->Number, 75);
    EXPECT_NE(rt::Err()->Description.find("did not finish within 5 seconds; nothing was changed"), std::string::npos)
        << rt::Err()->Description;
    EXPECT_GE(waited, std::chrono::seconds(4));
    EXPECT_FALSE(fs::exists(fileOfA()));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok) << "the lock goes with its holder";
    EXPECT_EQ(readFile(folder / rt::serverFileName("FakeS", TypeLibS)), s);
}

TEST_F(RegistryEdgeTest, TheLockIsTheOwnersAlone) {
    ASSERT_EQ(registerFile(FAKE_S_FILE), rt::hresult::Ok);
    struct stat st{};
    ASSERT_EQ(::stat((folder / ".lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A lock file left readable by an older version is closed again.
    ASSERT_EQ(::chmod((folder / ".lock").c_str(), 0644), 0);
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    ASSERT_EQ(::stat((folder / ".lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A link planted as the lock file is never opened through.
    fs::remove(folder / ".lock");
    writeFile(dir / "elsewhere", "");
    fs::create_symlink(dir / "elsewhere", folder / ".lock");
    EXPECT_EQ(registerFile(FAKE_B_FILE), rt::hresult::SelfRegClass);
    EXPECT_EQ(rt::Err()->Number, 75) << rt::Err()->Description;
    fs::remove(folder / ".lock");

    if (::geteuid() != 0) GTEST_SKIP() << "SKIPPED (needs root): a second user";
    // Another user can neither open the lock file nor stop a writer by
    // locking the folder, which everyone may read.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    pid_t other = ::fork();
    if (other == 0) {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) ::_exit(1);
        const bool opened = ::open((folder / ".lock").c_str(), O_RDONLY) >= 0;
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) ::flock(fd, LOCK_EX);
        (void)!::write(ready[1], opened ? "o" : "x", 1);
        ::sleep(30);
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'x') << "the other user opened the lock file";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(registerFile(FAKE_B_FILE), rt::hresult::Ok) << rt::Err()->Description;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)) << "the writer waited for them";
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(RegistryEdgeTest, TheNextWriterRemovesWhatDeadWritersLeft) {
    ASSERT_EQ(registerFile(FAKE_S_FILE), rt::hresult::Ok);
    pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string name = fileOfA().filename().string();
    const fs::path left = folder / ("." + name + ".new-" + std::to_string(dead) + "-0");
    const fs::path live = folder / ("." + name + ".new-" + std::to_string(::getppid()) + "-0");
    const fs::path other = folder / ".something-else";
    for (const auto& p : {left, live, other}) writeFile(p, "half a file");
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    EXPECT_FALSE(fs::exists(left)) << "its writer is gone";
    EXPECT_TRUE(fs::exists(live)) << "its writer may still be at work";
    EXPECT_TRUE(fs::exists(other)) << "not a writer's file";
}

TEST_F(RegistryEdgeTest, FoldersAboveARegistryAreCheckedToo) {
    const fs::path open = dir / "open";
    fs::create_directories(open / "mine");
    useRegistry(open / "mine/registry");
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    const std::string why = errorTextOf([&] { rt::readRegistry(location, false); });
    EXPECT_NE(why.find(open.string() + " can be written by others than its owner"), std::string::npos) << why;
    EXPECT_EQ(errorNumberOf([] { rt::createObject("FakeA.Thing"); }), 429);
    EXPECT_EQ(registerFile(FAKE_B_FILE), rt::hresult::SelfRegClass);
    EXPECT_EQ(rt::Err()->Number, 429);

    // Sticky, like /tmp: nobody can move the folder of another away.
    ASSERT_EQ(::chmod(open.c_str(), 01777), 0);
    EXPECT_EQ(createdName("FakeA"), "FakeA");
}

TEST_F(RegistryEdgeTest, ASearchPassesOverARegistryItCannotTrust) {
    Environment env;
    env.set("SARN_REGISTRY", std::nullopt);
    env.set("XDG_DATA_HOME", (dir / "user").string());
    env.set("XDG_DATA_DIRS", (dir / "system").string());
    rt::setRegistryPath((dir / "system/sarn/registry").string());
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    rt::setRegistryPath((dir / "user/sarn/registry").string());
    ASSERT_EQ(registerFile(FAKE_S_FILE), rt::hresult::Ok);
    rt::setRegistryPath("");
    ASSERT_EQ(::chmod((dir / "user").c_str(), 0777), 0);

    EXPECT_EQ(createdName("FakeA"), "FakeA") << "found in the later, trusted registry";
    const std::string why = errorTextOf([] { rt::createObject("FakeB.Thing"); });
    EXPECT_EQ(errorNumberOf([] { rt::createObject("FakeB.Thing"); }), 429);
    EXPECT_NE(why.find("refused: "), std::string::npos) << why;
    EXPECT_NE(why.find((dir / "user").string() + " can be written by others than its owner"), std::string::npos) << why;
}

// A reader running while a writer moves the old single file into the folder
// sees every class, whichever moment it reads at.
TEST_F(RegistryEdgeTest, AReaderNeverMissesAClassWhileTheOldFileMoves) {
    const std::string server = fs::canonical(FAKE_S_FILE).string();
    int missed = 0;
    for (int round = 0; round < 150; ++round) {
        fs::remove_all(folder);
        writeFile(location, "sarn-registry 1\n" +
                                oldEntries("FakeS", "50000000-0000-4000-8000-000000000005", TypeLibS, server));
        pid_t writer = ::fork();
        if (writer == 0) ::_exit(registerFile(FAKE_A_FILE) == rt::hresult::Ok ? 0 : 1);
        int status = 0;
        while (::waitpid(writer, &status, WNOHANG) == 0) {
            bool seen = false;
            for (const auto& c : rt::readRegistry(location, false).classes) seen = seen || c.progId == "FakeS.Thing";
            if (!seen) ++missed;
        }
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(missed, 0);
    EXPECT_FALSE(fs::exists(location));
}

TEST_F(RegistryEdgeTest, AnOldFileThatCannotMoveIsNamed) {
    writeFile(location, "sarn-registry 1\n" + oldEntries("FakeS", "50000000-0000-4000-8000-000000000005", TypeLibS,
                                                          "/opt/a\x1b[2Jb.so"));
    EXPECT_EQ(rt::readRegistry(location, false).classes.size(), 1u) << "still read as it is";
    EXPECT_EQ(registerFile(FAKE_A_FILE), rt::hresult::SelfRegClass);
    EXPECT_EQ(rt::Err()->Number, 52);
    EXPECT_NE(rt::Err()->Description.find("The registry file " + location + " of the old format cannot be moved"),
              std::string::npos)
        << rt::Err()->Description;
}

TEST_F(RegistryEdgeTest, RootNeverMakesFoldersInAUsersHome) {
    if (::geteuid() != 0) GTEST_SKIP() << "SKIPPED (needs root)";
    const fs::path home = dir / "home";
    fs::create_directories(home / ".local");
    ASSERT_EQ(::chown(home.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown((home / ".local").c_str(), Nobody, Nobody), 0);
    Environment env;
    env.set("SARN_REGISTRY", std::nullopt);
    env.set("XDG_DATA_HOME", std::nullopt);
    env.set("HOME", home.string());
    rt::setRegistryPath("");
    EXPECT_EQ(registerFile(FAKE_A_FILE), rt::hresult::SelfRegClass);
    EXPECT_EQ(rt::Err()->Number, 75);
    EXPECT_NE(rt::Err()->Description.find(".local belongs to user 65534"), std::string::npos) << rt::Err()->Description;
    EXPECT_FALSE(fs::exists(home / ".local/share"));
}

TEST_F(RegistryEdgeTest, CharactersThatMisleadATerminalAreRefusedAndListedEscaped) {
    struct Case {
        const char* name;
        std::string text;
        const char* code;
        const char* shown;
    } cases[] = {
        {"C1 control as UTF-8", "/opt/a\xc2\x9b" "31mb.so", "U+009B", "/opt/a\\u009b31mb.so"},
        {"raw 0x9b byte", "/opt/a\x9b" "31mb.so", "0x9b", "/opt/a\\x9b31mb.so"},
        {"right-to-left override", "/opt/a\xe2\x80\xae" "os.b", "U+202E", "/opt/a\\u202eos.b"},
        {"isolate", "/opt/a\xe2\x81\xa6" "b.so", "U+2066", "/opt/a\\u2066b.so"},
        {"escape", "/opt/a\x1b[2Jb.so", "0x1b", "/opt/a\\x1b[2Jb.so"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string why = errorTextOf([&] { rt::checkRegistryField(c.text, "server path"); });
        EXPECT_NE(why.find(std::string("holds the control character ") + c.code), std::string::npos) << why;
        EXPECT_EQ(errorNumberOf([&] { rt::callServerEntry(c.text, "DllRegisterServer"); }), 52);
        EXPECT_EQ(rt::printable(c.text), c.shown);
    }
    EXPECT_EQ(rt::printable("/opt/caf\xc3\xa9\\x.so"), "/opt/caf\xc3\xa9\\\\x.so") << "letters stay, backslashes double";

    // Old-format files were written unchecked; the listing shows what they
    // hold escaped, and goes on past a registry it refuses.
    std::string old = "sarn-registry 1\n";
    for (const auto& c : cases) old += oldEntries("FakeS", "50000000-0000-4000-8000-000000000005", TypeLibS, c.text);
    fs::create_directories(dir / "system/sarn");
    writeFile(dir / "system/sarn/registry", old);
    const fs::path refused = dir / "user/sarn/registry.d";
    fs::create_directories(refused);
    ASSERT_EQ(::chmod(refused.c_str(), 0777), 0);
    Environment env;
    env.set("SARN_REGISTRY", std::nullopt);
    env.set("XDG_DATA_HOME", (dir / "user").string());
    env.set("XDG_DATA_DIRS", (dir / "system").string());
    const std::string command = std::string(REGSERVER) + " list 2>&1";
    std::FILE* out = ::popen(command.c_str(), "r");
    ASSERT_TRUE(out);
    std::string listing;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, out)) listing.append(buffer, n);
    const int status = ::pclose(out);
    EXPECT_EQ(WEXITSTATUS(status), 1) << "a registry was refused";
    EXPECT_NE(listing.find("refused: error 429"), std::string::npos) << listing;
    for (const auto& c : cases) EXPECT_NE(listing.find(c.shown), std::string::npos) << c.name << "\n" << listing;
    for (unsigned char ch : listing) EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7f)) << "raw byte " << int(ch);
}

TEST_F(RegistryEdgeTest, ANameStartingWithADotIsNotHidden) {
    EXPECT_EQ(rt::serverFileName(".Hidden", "1").front(), '_');
    const std::string server = fs::canonical(FAKE_A_FILE).string();
    rt::ServerRegistration r{server, {TypeLibA, "1.0", "0", ".Hidden", server}, {}};
    r.classes.push_back({"A0000000-0000-4000-8000-00000000000A", "FakeA.Thing", server, "Apartment"});
    rt::writeServerRegistration(location, r);
    EXPECT_EQ(createdName("FakeA"), "FakeA") << "what was written is read";
}

TEST_F(RegistryEdgeTest, AnOwnFileThatCannotBeReadOrIsDamagedIsReplacedWhole) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> spoil;
    } cases[] = {
        {"mode 000", [](const fs::path& f) { fs::permissions(f, fs::perms::none); }},
        {"damaged", [](const fs::path& f) { writeFile(f, "sarn-server 1\ngarbage\n"); }},
        {"cut short", [](const fs::path& f) { writeFile(f, readFile(f).substr(0, 20)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
        const std::string sound = readFile(fileOfA());
        c.spoil(fileOfA());
        ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
        struct stat st{};
        ASSERT_EQ(::stat(fileOfA().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0644u);
        EXPECT_EQ(readFile(fileOfA()), sound);
        EXPECT_EQ(createdName("FakeA"), "FakeA");
    }
}

TEST_F(RegistryEdgeTest, AFileOverOneMebibyteIsDamage) {
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    std::string big = readFile(fileOfA());
    while (big.size() <= (1u << 20)) big += "class\tX\tX.Y\tApartment\t\n";
    writeFile(folder / "Big-1.server", big);
    const std::string why = errorTextOf([&] { rt::readRegistry(location, false); });
    EXPECT_EQ(errorNumberOf([&] { rt::readRegistry(location, false); }), 321);
    EXPECT_NE(why.find("Big-1.server is damaged: it is larger than 1 MiB"), std::string::npos) << why;
}

// Lookups remember what files said; none may miss a change to a file.
TEST_F(RegistryEdgeTest, ARememberedFileIsReadAgainOnceItChanges) {
    ASSERT_EQ(registerFile(FAKE_A_FILE), rt::hresult::Ok);
    const std::string sound = readFile(fileOfA());
    ASSERT_EQ(rt::readRegistry(location, false).classes.size(), 1u);
    struct Case {
        const char* name;
        std::function<void()> change;
        int32_t expected;
    } cases[] = {
        {"rewritten in place",
         [&] { std::ofstream(fileOfA(), std::ios::binary | std::ios::trunc) << "sarn-server 1\nwhatever\n"; }, 321},
        {"opened to others", [&] { fs::permissions(fileOfA(), fs::perms::others_write, fs::perm_options::add); }, 429},
        {"the same length in place", [&] {
             std::string same = sound;
             same[same.find("FakeA.Thing")] = 'X';
             std::ofstream(fileOfA(), std::ios::binary | std::ios::trunc) << same;
         }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        EXPECT_EQ(errorNumberOf([&] { rt::readRegistry(location, false); }), c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(rt::readRegistry(location, false).classes.at(0).progId, "XakeA.Thing");
        }
        fs::permissions(fileOfA(), fs::perms::others_write, fs::perm_options::remove);
        writeFile(fileOfA(), sound);
        EXPECT_EQ(rt::readRegistry(location, false).classes.at(0).progId, "FakeA.Thing");
    }
}

}  // namespace
