// The library as a loadable component server: registration in a registry, activation by programmatic identifier in a process that never linked
// the library, the entry points' result codes, and one apartment per thread.
// This test binary links only the runtime and the tree view.
#include "runtime/server.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "outside/memory_tree.h"
#include "runtime/app_objects.h"
#include "runtime/classes.h"
#include "runtime/collection.h"
#include "runtime/err_object.h"
#include "runtime/registry.h"
#include "testing/error_number.h"
#include "testing/recording_handler.h"

namespace {

namespace fs = std::filesystem;
using rt::CallKind;
using testing_support::errorNumberOf;

const std::vector<std::string> LibraryClasses{"Sarn10B.clsKwAmbrTvsA",
                                              "Sarn10B.clsKwOrvel10BA",
                                              "Sarn10B.clsKwAmbrListViewWndClassA",
                                              "Sarn10B.clsKwAmbrTreeviewWndClassA",
                                              "Sarn10B.clsKwAmbrGeneralA",
                                              "Sarn10B.clsKwAmbrAdvancedA"};

constexpr const char* ManagerClsid = "7A1C059C-ACFC-4E25-AD87-6989C16E3026";
constexpr const char* LibraryId = "E532C398-C310-45EB-93F8-8371C6E38700";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}


class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::umask(022);  // a registry folder that others can write is refused
        dir_ = fs::temp_directory_path() / ("sarn-server-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        registry = (dir_ / "registry").string();
        rt::setRegistryPath(registry);
    }
    void TearDown() override {
        rt::setRegistryPath("");
        fs::remove_all(dir_);
    }

    int32_t entry(const char* name) { return rt::callServerEntry(SARN10B_SERVER_FILE, name); }

    fs::path dir_;
    std::string registry;
};

TEST_F(ServerTest, RegisteringWritesEveryClassAndTheTypeLibraryOnce) {
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok);
    const std::string file = registry + ".d/Sarn10B-" + LibraryId + ".server";
    const std::string once = readFile(file);
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok) << "registering twice is harmless";
    EXPECT_EQ(readFile(file), once);

    auto r = rt::readRegistry(registry, false);
    std::vector<std::string> progIds;
    for (const auto& c : r.classes) {
        progIds.push_back(c.progId);
        EXPECT_EQ(c.threading, "Apartment") << c.progId;
        EXPECT_EQ(c.server, fs::canonical(SARN10B_SERVER_FILE).string()) << c.progId;
        EXPECT_TRUE(rt::Guid::parse(c.clsid)) << c.clsid;
        EXPECT_EQ(c.appObject, c.progId == "Sarn10B.clsKwOrvel10BA") << c.progId;
    }
    EXPECT_EQ(progIds, LibraryClasses);
    ASSERT_EQ(r.typeLibraries.size(), 1u);
    EXPECT_EQ(r.typeLibraries[0].name, "Sarn10B");
    EXPECT_EQ(r.typeLibraries[0].version, "1.0");
    EXPECT_EQ(r.typeLibraries[0].lcid, "409");
}

// A host language that honours the application-object flag calls the
// library object's members without an instance, as when it links the library.
TEST_F(ServerTest, TheLibraryObjectIsAnApplicationObjectThroughTheRegistry) {
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok);
    std::thread([] {
        try {
            ASSERT_TRUE(rt::createObject("Sarn10B.clsKwOrvel10BA"));
            auto buddy = rt::createObject("Sarn10B.clsKwAmbrGeneralA");
            rt::callGlobal("BuddyObjectGlobal", CallKind::PropertySet, {buddy});
            EXPECT_TRUE(
                rt::sameObject(rt::toObject(rt::callGlobal("BuddyObjectGlobal", CallKind::PropertyGet)), buddy));
            rt::callGlobal("BuddyObjectGlobal", CallKind::PropertySet, {rt::ObjectRef()});
        } catch (const rt::Error& e) {
            ADD_FAILURE() << e.what();
        }
    }).join();
}

TEST_F(ServerTest, EveryClassIsCreatedByNameUntilUnregistered) {
    testing_support::RecordingErrorHandler handler;
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok);
    for (const auto& id : LibraryClasses) {
        SCOPED_TRACE(id);
        EXPECT_EQ(errorNumberOf([&] { EXPECT_TRUE(rt::createObject(id)); }), 0);
    }
    // What each class answers by name shows that the right class was made.
    auto manager = rt::createObject("sarn10b.CLSKWAMBRTVSA");
    EXPECT_EQ(rt::toInt32(rt::callByName(manager, "ImageStyles", CallKind::PropertyGet)), 0);
    auto wnd = rt::createObject("Sarn10B.clsKwAmbrListViewWndClassA");
    rt::callByName(wnd, "Handle", CallKind::PropertyLet, {-7});
    EXPECT_EQ(rt::toInt32(rt::callByName(wnd, "Handle", CallKind::PropertyGet)), -7);
    EXPECT_EQ(errorNumberOf([&] {
                  rt::callByName(rt::createObject("Sarn10B.clsKwAmbrGeneralA"), "Handle", CallKind::PropertyGet);
              }),
              rt::errnum::NoSuchMember);

    ASSERT_EQ(entry("DllUnregisterServer"), rt::hresult::Ok);
    for (const auto& id : LibraryClasses) {
        SCOPED_TRACE(id);
        EXPECT_EQ(errorNumberOf([&] { rt::createObject(id); }), rt::errnum::CannotCreate);
    }
    EXPECT_TRUE(handler.reports().empty());
}

TEST_F(ServerTest, TheRoadOfATypicalUseByNameOnly) {
    testing_support::RecordingErrorHandler handler;
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok);
    auto tv = rt::make<tree::MemoryTreeView>();
    auto manager = rt::createObject("Sarn10B.clsKwAmbrTvsA");
    rt::callByName(manager, "TreeViewObject", CallKind::PropertySet, {tv});
    rt::callByName(manager, "AddNode", CallKind::Method, {rt::Missing{}, rt::Missing{}, "S1", "Fonts", 0});
    rt::Args item{"S1", 4, "CBbold", "Bold", rt::Missing{}, "", rt::Missing{}};
    rt::callByName(manager, "AddNode", CallKind::Method, item);
    EXPECT_EQ(rt::toText(item[5]), "chkoff") << "the image key is written back across the server boundary";
    tv->clickNode("CBbold");
    auto states =
        rt::toObject(rt::callByName(manager, "QueryNodeCollection", CallKind::Method, {"S1"})).as<rt::Collection>();
    ASSERT_TRUE(states);
    EXPECT_EQ(states->texts(), std::vector<std::string>{"True"});
    rt::callByName(manager, "Refresh", CallKind::Method);
    EXPECT_EQ(tv->Nodes()->Count(), 0);
    EXPECT_TRUE(handler.reports().empty());
}

TEST_F(ServerTest, UnregisteringLeavesEveryOtherEntryAsItWas) {
    // A registry of the earlier single-file format, with another server in it.
    {
        std::ofstream(registry, std::ios::binary)
            << "sarn-registry 1\n"
               "class\t11111111-2222-3333-4444-555555555555\tOther.Thing\t/opt/other.so\tBoth\n"
               "typelib\t66666666-2222-3333-4444-555555555555\t2.1\t0\tOther\t/opt/other.so\n";
    }
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok);
    ASSERT_EQ(entry("DllUnregisterServer"), rt::hresult::Ok);
    auto r = rt::readRegistry(registry, false);
    ASSERT_EQ(r.classes.size(), 1u);
    EXPECT_EQ(r.classes[0].progId, "Other.Thing");
    EXPECT_EQ(r.classes[0].threading, "Both");
    ASSERT_EQ(r.typeLibraries.size(), 1u);
    EXPECT_EQ(r.typeLibraries[0].name, "Other");
}

TEST_F(ServerTest, AMissingRegistryNamesItselfWhenAClassIsAskedFor) {
    try {
        rt::createObject("Sarn10B.clsKwAmbrTvsA");
        FAIL();
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), rt::errnum::CannotCreate);
        EXPECT_NE(e.description().find("does not exist"), std::string::npos) << e.description();
    }
}

// The entry points, called as a loader calls them.
class EntryPointTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        handle = dlopen(SARN10B_SERVER_FILE, RTLD_NOW | RTLD_NOLOAD);
        if (!handle) handle = dlopen(SARN10B_SERVER_FILE, RTLD_NOW);
        ASSERT_TRUE(handle) << dlerror();
        getClassObject = reinterpret_cast<GetClassObject>(dlsym(handle, "DllGetClassObject"));
        canUnloadNow = reinterpret_cast<int32_t (*)()>(dlsym(handle, "DllCanUnloadNow"));
        ASSERT_TRUE(getClassObject && canUnloadNow);
    }
    void TearDown() override {
        dlclose(handle);
        ServerTest::TearDown();
    }
    rt::Ref<rt::ClassFactory> factoryOf(const char* clsid) {
        const auto c = *rt::Guid::parse(clsid);
        const auto iid = *rt::Guid::parse(rt::IID_IClassFactory);
        void* out = nullptr;
        EXPECT_EQ(getClassObject(&c, &iid, &out), rt::hresult::Ok);
        return rt::ObjectRef::attach(static_cast<rt::Object*>(out)).as<rt::ClassFactory>();
    }

    using GetClassObject = int32_t (*)(const rt::Guid*, const rt::Guid*, void**);
    void* handle = nullptr;
    GetClassObject getClassObject = nullptr;
    int32_t (*canUnloadNow)() = nullptr;
};


TEST_F(EntryPointTest, GetClassObjectAnswersWithTheUsualCodes) {
    const auto known = *rt::Guid::parse(ManagerClsid);
    const auto unknown = *rt::Guid::parse("00000000-1111-2222-3333-444444444444");
    const auto factoryIid = *rt::Guid::parse(rt::IID_IClassFactory);
    const auto otherIid = *rt::Guid::parse("00020400-0000-0000-C000-000000000046");
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(&unknown, &factoryIid, &out), rt::hresult::ClassNotAvailable);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(getClassObject(&known, &otherIid, &out), rt::hresult::NoInterface);
    EXPECT_EQ(getClassObject(&known, &factoryIid, nullptr), rt::hresult::Pointer);
    EXPECT_EQ(getClassObject(nullptr, &factoryIid, &out), rt::hresult::Pointer);
    ASSERT_EQ(canUnloadNow(), rt::hresult::Ok);
}

TEST_F(EntryPointTest, CanUnloadOnlyWhileNoObjectOrLockIsAlive) {
    ASSERT_EQ(canUnloadNow(), rt::hresult::Ok);
    auto factory = factoryOf(ManagerClsid);
    ASSERT_TRUE(factory);
    EXPECT_EQ(canUnloadNow(), rt::hresult::False) << "a factory is alive";
    auto obj = factory->CreateInstance();
    factory->LockServer(true);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), rt::hresult::False) << "an object and a lock are alive";
    obj = nullptr;
    EXPECT_EQ(canUnloadNow(), rt::hresult::False) << "the lock is still held";
    factory = factoryOf(ManagerClsid);
    factory->LockServer(false);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), rt::hresult::Ok);
}

// Two threads, each with its own tree and manager at the same time: each has
// its own module data and nothing is shared between them.
TEST_F(ServerTest, EachThreadBuildsItsOwnTreeWithItsOwnModuleData) {
    testing_support::RecordingErrorHandler handler;
    ASSERT_EQ(entry("DllRegisterServer"), rt::hresult::Ok);
    struct Result {
        std::string tree;
        rt::ObjectRef app;
        rt::ObjectRef buddySeenFirst;
        std::vector<std::string> states;
    };
    auto work = [](const std::string& prefix, Result& out) {
        auto tv = rt::make<tree::MemoryTreeView>();
        auto manager = rt::createObject("Sarn10B.clsKwAmbrTvsA");
        rt::callByName(manager, "TreeViewObject", CallKind::PropertySet, {tv});
        rt::callByName(manager, "AddNode", CallKind::Method, {rt::Missing{}, rt::Missing{}, prefix, prefix, 0});
        for (int i = 0; i < 200; ++i)
            rt::callByName(manager, "AddNode", CallKind::Method,
                           {prefix, 4, prefix + "CB" + std::to_string(i), "item", i % 2 ? 1 : 2});
        for (int i = 0; i < 200; i += 3) tv->clickNode(prefix + "CB" + std::to_string(i));
        auto states = rt::toObject(rt::callByName(manager, "QueryNodeCollection", CallKind::Method, {prefix}))
                          .as<rt::Collection>();
        out.states = states->texts();
        auto library = rt::createObject("Sarn10B.clsKwOrvel10BA");
        out.buddySeenFirst = rt::toObject(rt::callByName(library, "BuddyObjectGlobal", CallKind::PropertyGet));
        rt::callByName(library, "BuddyObjectGlobal", CallKind::PropertySet, {tv});
        out.app = rt::toObject(rt::callByName(library, "GetProStdProperties", CallKind::PropertyGet));
        rt::callByName(manager, "Refresh", CallKind::Method);
        out.tree = std::to_string(tv->Nodes()->Count());
    };
    Result a, b;
    std::thread first(work, "A", std::ref(a));
    std::thread second(work, "B", std::ref(b));
    first.join();
    second.join();

    EXPECT_EQ(a.states.size(), 200u);
    EXPECT_EQ(a.states, b.states) << "the same work gives the same states on both threads";
    EXPECT_FALSE(a.buddySeenFirst) << "no thread sees another thread's buddy";
    EXPECT_FALSE(b.buddySeenFirst);
    EXPECT_FALSE(rt::sameObject(a.app, b.app)) << "each thread has its own App";
    EXPECT_EQ(a.tree, "0");
    EXPECT_TRUE(handler.reports().empty());
}

}  // namespace
