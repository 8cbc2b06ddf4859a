// clsKwOrvel10BA: the App object, the library's own resources, the About box
// and the per-thread buddy slot.
#include "library/library_object.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "library/resources.h"
#include "library/tests/expected_surface.h"
#include "library/type_library.h"
#include "library/version_block.h"
#include "outside/about_standin.h"
#include "runtime/app_object.h"
#include "runtime/classes.h"
#include "runtime/error.h"
#include "testing/recording_handler.h"

namespace Sarn10B::test {
namespace {

using testing_support::reportsAt;

constexpr const char* ErrorHandlerId = "KwBrenta10.clsKwbrErrorHandlerA";
constexpr const char* AboutId = "KwBrenta10.clsKwBrenta10A";
const std::string AboutSite = "basKwbrCommonA.AppAboutKwbr_Pro";

// An error handler that keeps the App and Err objects of every report, so
// that their identity can be compared.
class ObjectKeepingHandler : public rt::Object {
public:
    struct Log {
        std::vector<rt::ObjectRef> apps;
        std::vector<rt::ObjectRef> errs;
    };
    explicit ObjectKeepingHandler(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "ObjectKeepingHandler",
            {{"ErrorHandlerMessageKw", 1, rt::CallKind::Method, [](rt::Object& o, rt::Args& a) -> rt::Variant {
                  auto& log = *rt::self<ObjectKeepingHandler>(o).log_;
                  log.apps.push_back(rt::toObject(a.at(0)));
                  log.errs.push_back(rt::toObject(a.at(1)));
                  return {};
              },
              testing_support::errorHandlerParams()}}};
        return info;
    }

private:
    std::shared_ptr<Log> log_;
};

// A stand-in About component that counts its live instances and keeps what
// it was handed; it can also fail its one operation.
class CountingAbout : public rt::Object {
public:
    struct Log {
        int created = 0;
        int alive = 0;
        std::vector<rt::Args> calls;
        int32_t failWith = 0;
    };
    explicit CountingAbout(std::shared_ptr<Log> log) : log_(std::move(log)) {
        ++log_->created;
        ++log_->alive;
    }

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{"CountingAbout",
                                        {{"AppAboutKwbr",
                                          1,
                                          rt::CallKind::Method,
                                          [](rt::Object& o, rt::Args& a) -> rt::Variant {
                                              auto& log = *rt::self<CountingAbout>(o).log_;
                                              log.calls.push_back(a);
                                              if (log.failWith)
                                                  throw rt::Error(log.failWith, "the About component failed");
                                              return {};
                                          },
                                          {{"oApp", rt::VarType::Object, false, false}}}}};
        return info;
    }

protected:
    ~CountingAbout() override { --log_->alive; }

private:
    std::shared_ptr<Log> log_;
};

// An object whose end can be observed.
class Tracked : public rt::Object {
public:
    explicit Tracked(std::shared_ptr<std::atomic<bool>> gone) : gone_(std::move(gone)) {}

protected:
    ~Tracked() override { *gone_ = true; }

private:
    std::shared_ptr<std::atomic<bool>> gone_;
};

struct TrackedObject {
    std::shared_ptr<std::atomic<bool>> gone = std::make_shared<std::atomic<bool>>(false);
    rt::ObjectRef ref = rt::make<Tracked>(gone);
};

// Runs f on a thread of its own, whose module data starts out fresh.
template <class F>
void onFreshThread(F&& f) {
    std::thread t(std::forward<F>(f));
    t.join();
}

class LibraryObjectTest : public testing_support::ChannelTest {
protected:
    rt::Ref<clsKwOrvel10BA> lib = rt::make<clsKwOrvel10BA>();
    // No About component unless a test installs one; restored afterwards.
    rt::ClassRegistration noAbout{AboutId, rt::Factory{}};
};

// --- GetProStdProperties ---------------------------------------------------

TEST_F(LibraryObjectTest, GetProStdPropertiesIsTheAppObjectThatReportsCarry) {
    auto log = std::make_shared<ObjectKeepingHandler::Log>();
    rt::ClassRegistration keeping(ErrorHandlerId, [log] { return rt::ObjectRef(rt::make<ObjectKeepingHandler>(log)); });

    EXPECT_EQ(lib->About(), 0);  // the missing component makes two reports

    ASSERT_EQ(log->apps.size(), 2u);
    const rt::ObjectRef app = lib->GetProStdProperties();
    ASSERT_TRUE(app);
    EXPECT_TRUE(rt::sameObject(app, log->apps[0]));
    EXPECT_TRUE(rt::sameObject(app, log->apps[1]));
    EXPECT_TRUE(rt::sameObject(app, rt::App()));
    EXPECT_TRUE(rt::sameObject(log->errs[0], log->errs[1])) << "both reports carry the thread's Err object";
    EXPECT_TRUE(
        rt::sameObject(rt::toObject(rt::callByName(lib, "getprostdproperties", rt::CallKind::PropertyGet)), app));
}

TEST_F(LibraryObjectTest, GetProStdPropertiesIsOneObjectPerThread) {
    const rt::ObjectRef here = lib->GetProStdProperties();
    EXPECT_TRUE(rt::sameObject(here, rt::make<clsKwOrvel10BA>()->GetProStdProperties()));
    rt::ObjectRef there;
    onFreshThread([&] { there = rt::make<clsKwOrvel10BA>()->GetProStdProperties(); });
    ASSERT_TRUE(there);
    EXPECT_FALSE(rt::sameObject(here, there));
}

// --- resources ---------------------------------------------------------------

TEST_F(LibraryObjectTest, GetProResStringsFailsForEveryIdentifierWithoutAReport) {
    for (int32_t id : {0, 1, -1, 101, 32767, std::numeric_limits<int32_t>::max()}) {
        SCOPED_TRACE("lResId " + std::to_string(id));
        EXPECT_EQ(errorNumberOf([&] { lib->GetProResStrings(id); }), rt::errnum::ResourceNotFound);
        EXPECT_EQ(errorNumberOf(
                      [&] { rt::callByName(lib, "GetProResStrings", rt::CallKind::PropertyGet, {rt::Variant(id)}); }),
                  rt::errnum::ResourceNotFound);
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(LibraryObjectTest, GetProResPictureChecksTheKindBeforeAnyLookup) {
    struct Case {
        const char* name;
        int32_t id;
        int32_t kind;
        int32_t expected;
    };
    const Case cases[] = {
        {"bitmap", 1, 0, rt::errnum::ResourceNotFound},
        {"icon", 1, 1, rt::errnum::ResourceNotFound},
        {"cursor", 1, 2, rt::errnum::ResourceNotFound},
        {"bitmap, other identifier", 101, 0, rt::errnum::ResourceNotFound},
        {"unknown kind 3", 1, 3, rt::errnum::InvalidCall},
        {"unknown kind -1", 1, -1, rt::errnum::InvalidCall},
        {"largest 16-bit kind", 1, 32767, rt::errnum::InvalidCall},
        {"smallest 16-bit kind", 1, -32768, rt::errnum::InvalidCall},
        {"just above 16 bits", 1, 32768, rt::errnum::Overflow},
        {"just below 16 bits", 1, -32769, rt::errnum::Overflow},
        // Truncated to 16 bits these would be a known kind (0) and an unknown
        // one (3): only the overflow may show.
        {"65536 (bitmap when truncated)", 1, 65536, rt::errnum::Overflow},
        {"65539 (kind 3 when truncated)", 1, 65539, rt::errnum::Overflow},
        {"largest 32-bit", 1, std::numeric_limits<int32_t>::max(), rt::errnum::Overflow},
        {"smallest 32-bit", 1, std::numeric_limits<int32_t>::min(), rt::errnum::Overflow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorNumberOf([&] { lib->GetProResPicture(c.id, c.kind); }), c.expected);
        rt::Args args{c.id, c.kind};
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(lib, "GetProResPicture", rt::CallKind::PropertyGet, args); }),
                  c.expected);
        EXPECT_EQ(args, (rt::Args{c.id, c.kind})) << "the arguments are not changed";
    }
    EXPECT_TRUE(reports().empty());
}

rt::Bytes bytesOf(const std::string& text) { return rt::Bytes(text.begin(), text.end()); }

TEST_F(LibraryObjectTest, GetProResDataFindsOnlyTheRegistrationRecords) {
    const rt::Bytes typeLib = bytesOf(idlText(typeLibrary()));
    const rt::Bytes version = encodeVersionBlock(libraryVersion());
    struct Case {
        std::string name;
        int32_t id;
        rt::Variant type;
        rt::Variant expected;  // Empty: fails with 326
    };
    std::vector<Case> cases = {
        {"type library", 1, "TYPELIB", typeLib},
        {"type library, small letters", 1, "typelib", typeLib},
        {"type library, mixed case", 1, "TypeLib", typeLib},
        {"version block", 1, int32_t{16}, version},
        {"version block, 16-bit type", 1, int16_t{16}, version},
        {"type library, other identifier", 2, "TYPELIB", {}},
        {"type library, identifier 0", 0, "TYPELIB", {}},
        {"version block, other identifier", 2, int32_t{16}, {}},
        {"string table", 1, int32_t{6}, {}},
        {"bitmap", 1, int32_t{2}, {}},
        {"icon", 1, int32_t{3}, {}},
        {"type as a name that is no type", 1, "VERSION", {}},
        {"empty type name", 1, "", {}},
        {"class record 0", 0, "CLASSINFO", {}},
        {"class record 7", 7, "CLASSINFO", {}},
    };
    const auto& classes = typeLibrary().classes;
    ASSERT_EQ(classes.size(), 6u);
    for (int32_t i = 1; i <= 6; ++i) {
        const auto& c = classes[static_cast<size_t>(i - 1)].ids;
        const std::string record = std::string(c.name) + " " + std::string(c.clsid) + " " + std::string(c.iid);
        cases.push_back({"class record " + std::to_string(i), i, i % 2 ? "CLASSINFO" : "classinfo", bytesOf(record)});
    }

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.expected.isEmpty()) {
            EXPECT_EQ(errorNumberOf([&] { lib->GetProResData(c.id, c.type); }), rt::errnum::ResourceNotFound);
            continue;
        }
        EXPECT_EQ(lib->GetProResData(c.id, c.type), c.expected);
        rt::Args args{c.id, c.type};
        EXPECT_EQ(rt::callByName(lib, "GETPRORESDATA", rt::CallKind::PropertyGet, args), c.expected);
        EXPECT_EQ(args, (rt::Args{c.id, c.type})) << "the arguments are not changed";
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(LibraryObjectTest, ClassRecordsNameTheDefaultInterfaces) {
    // Each record is "name clsid iid" with the identifiers of the type library.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"clsKwAmbrTvsA", std::string(ids::StyleManager.iid)},
        {"clsKwOrvel10BA", std::string(ids::LibraryObject.iid)},
        {"clsKwAmbrListViewWndClassA", std::string(ids::ListViewWndClass.iid)},
        {"clsKwAmbrTreeviewWndClassA", std::string(ids::TreeviewWndClass.iid)},
        {"clsKwAmbrGeneralA", std::string(ids::General.iid)},
        {"clsKwAmbrAdvancedA", std::string(ids::Advanced.iid)},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        const rt::Bytes data = rt::toBytes(lib->GetProResData(static_cast<int32_t>(i + 1), "CLASSINFO"));
        const std::string record(data.begin(), data.end());
        EXPECT_EQ(record.substr(0, record.find(' ')), expected[i].first);
        EXPECT_EQ(record.substr(record.rfind(' ') + 1), expected[i].second);
    }
}

TEST_F(LibraryObjectTest, ResourceOperationsNeedTheirArguments) {
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(lib, "GetProResData", rt::CallKind::PropertyGet, {int32_t{1}}); }),
              rt::errnum::ArgumentNotOptional);
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(lib, "GetProResPicture", rt::CallKind::PropertyGet, {int32_t{1}}); }),
              rt::errnum::ArgumentNotOptional);
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(lib, "GetProResStrings", rt::CallKind::PropertyGet, {"x"}); }),
              rt::errnum::TypeMismatch);
    EXPECT_TRUE(reports().empty());
}

// --- About -------------------------------------------------------------------

TEST_F(LibraryObjectTest, AboutWithoutTheComponentReportsTwiceAndReturnsZero) {
    EXPECT_EQ(lib->About(), 0);
    EXPECT_EQ(reports(), reportsAt(AboutSite, {rt::errnum::CannotCreate, rt::errnum::ObjectNotSet}));
    EXPECT_TRUE(messageBox.messages().empty());

    handler.clear();
    EXPECT_EQ(rt::callByName(lib, "about", rt::CallKind::Method), rt::Variant(int32_t{0}));
    EXPECT_EQ(reports(), reportsAt(AboutSite, {rt::errnum::CannotCreate, rt::errnum::ObjectNotSet}));
}

TEST_F(LibraryObjectTest, AboutShowsTheStandInBoxWithoutAReport) {
    outside::registerAboutStandIn();  // noAbout restores the empty slot afterwards
    EXPECT_EQ(lib->About(), 0);
    EXPECT_TRUE(reports().empty());
    ASSERT_EQ(messageBox.messages().size(), 1u);
    const auto& box = messageBox.messages()[0];
    const std::string shown = box.title + "\n" + box.prompt;
    EXPECT_NE(shown.find("Sarn10B"), std::string::npos) << shown;
    EXPECT_NE(shown.find("1.0.74"), std::string::npos) << shown;
}

TEST_F(LibraryObjectTest, AboutHandsTheAppObjectToANewInstanceAndReleasesIt) {
    auto log = std::make_shared<CountingAbout::Log>();
    rt::ClassRegistration about(AboutId, [log] { return rt::ObjectRef(rt::make<CountingAbout>(log)); });

    EXPECT_EQ(lib->About(), 0);
    EXPECT_EQ(lib->About(), 0);

    EXPECT_EQ(log->created, 2) << "a new instance for every call";
    EXPECT_EQ(log->alive, 0) << "no instance lives on after the call";
    ASSERT_EQ(log->calls.size(), 2u);
    ASSERT_EQ(log->calls[0].size(), 1u);
    EXPECT_TRUE(rt::sameObject(rt::toObject(log->calls[0][0]), rt::App()));
    EXPECT_TRUE(reports().empty());
}

TEST_F(LibraryObjectTest, AboutReportsAFailingComponentOnce) {
    auto log = std::make_shared<CountingAbout::Log>();
    log->failWith = 1234;
    rt::ClassRegistration about(AboutId, [log] { return rt::ObjectRef(rt::make<CountingAbout>(log)); });

    EXPECT_EQ(lib->About(), 0);
    EXPECT_EQ(reports(), reportsAt(AboutSite, {1234}));
    EXPECT_EQ(log->alive, 0);
}

TEST_F(LibraryObjectTest, AboutOnAComponentWithoutTheOperationReportsOnce) {
    rt::ClassRegistration about(AboutId,
                                [] { return rt::ObjectRef(rt::make<Tracked>(std::make_shared<std::atomic<bool>>())); });
    EXPECT_EQ(lib->About(), 0);
    EXPECT_EQ(reports(), reportsAt(AboutSite, {rt::errnum::NoSuchMember}));
}

TEST_F(LibraryObjectTest, AFailingReportReachesTheCallerOfAbout) {
    handler.failWith(777);
    EXPECT_EQ(errorNumberOf([&] { lib->About(); }), 777);
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(lib, "About", rt::CallKind::Method); }), 777);
    EXPECT_EQ(handler.argumentKinds().size(), 2u) << "the first report fails, so the second step never reports";
}

// --- BuddyObjectGlobal ---------------------------------------------------------

TEST(BuddyObjectGlobal, HoldsNothingBeforeAnySet) {
    bool nothing = false;
    bool nothingByName = false;
    onFreshThread([&] {
        auto lib = rt::make<clsKwOrvel10BA>();
        nothing = lib->BuddyObjectGlobal().isNothing();
        nothingByName =
            rt::callByName(lib, "BuddyObjectGlobal", rt::CallKind::PropertyGet) == rt::Variant(rt::ObjectRef());
    });
    EXPECT_TRUE(nothing);
    EXPECT_TRUE(nothingByName);
}

TEST(BuddyObjectGlobal, IsSharedOnAThreadAndSeparateBetweenThreads) {
    onFreshThread([] {
        TrackedObject buddy;
        auto first = rt::make<clsKwOrvel10BA>();
        auto second = rt::make<clsKwOrvel10BA>();
        rt::callByName(first, "buddyobjectglobal", rt::CallKind::PropertySet, {buddy.ref});
        EXPECT_TRUE(rt::sameObject(second->BuddyObjectGlobal(), buddy.ref));
        EXPECT_TRUE(rt::sameObject(rt::toObject(rt::callByName(second, "BuddyObjectGlobal", rt::CallKind::PropertyGet)),
                                   buddy.ref));

        rt::ObjectRef seenElsewhere = buddy.ref;
        onFreshThread([&] { seenElsewhere = rt::make<clsKwOrvel10BA>()->BuddyObjectGlobal(); });
        EXPECT_TRUE(seenElsewhere.isNothing());
        EXPECT_TRUE(rt::sameObject(first->BuddyObjectGlobal(), buddy.ref)) << "the other thread changed nothing here";
    });
}

TEST(BuddyObjectGlobal, SettingTheHeldObjectAgainKeepsIt) {
    onFreshThread([] {
        auto lib = rt::make<clsKwOrvel10BA>();
        TrackedObject buddy;
        lib->setBuddyObjectGlobal(buddy.ref);
        buddy.ref = nullptr;  // the slot is now the only holder

        lib->setBuddyObjectGlobal(lib->BuddyObjectGlobal());
        EXPECT_FALSE(*buddy.gone);
        // The slot handed in by reference to itself.
        lib->setBuddyObjectGlobal(basKwOrvel10BA::buddySlot());
        EXPECT_FALSE(*buddy.gone);
        rt::callByName(lib, "BuddyObjectGlobal", rt::CallKind::PropertySet, {lib->BuddyObjectGlobal()});
        EXPECT_FALSE(*buddy.gone);

        const rt::ObjectRef held = lib->BuddyObjectGlobal();
        ASSERT_TRUE(held);
        EXPECT_EQ(held->refCount(), 2) << "the slot and this reference";
    });
}

TEST(BuddyObjectGlobal, ReplacingReleasesTheOldObject) {
    onFreshThread([] {
        auto lib = rt::make<clsKwOrvel10BA>();
        TrackedObject first, second;
        lib->setBuddyObjectGlobal(first.ref);
        first.ref = nullptr;
        EXPECT_FALSE(*first.gone);

        lib->setBuddyObjectGlobal(second.ref);
        EXPECT_TRUE(*first.gone);
        EXPECT_TRUE(rt::sameObject(lib->BuddyObjectGlobal(), second.ref));

        second.ref = nullptr;
        rt::callByName(lib, "BuddyObjectGlobal", rt::CallKind::PropertySet, {rt::ObjectRef()});
        EXPECT_TRUE(*second.gone) << "setting nothing clears the slot";
        EXPECT_TRUE(lib->BuddyObjectGlobal().isNothing());
    });
}

TEST(BuddyObjectGlobal, RefusesANonObjectAndKeepsWhatItHeld) {
    onFreshThread([] {
        auto lib = rt::make<clsKwOrvel10BA>();
        TrackedObject buddy;
        lib->setBuddyObjectGlobal(buddy.ref);
        EXPECT_EQ(
            errorNumberOf([&] { rt::callByName(lib, "BuddyObjectGlobal", rt::CallKind::PropertySet, {int32_t{5}}); }),
            rt::errnum::ObjectRequired);
        EXPECT_TRUE(rt::sameObject(lib->BuddyObjectGlobal(), buddy.ref));
    });
}

TEST(BuddyObjectGlobal, IsReleasedWhenItsThreadEnds) {
    TrackedObject buddy;
    onFreshThread([&] {
        rt::make<clsKwOrvel10BA>()->setBuddyObjectGlobal(buddy.ref);
        buddy.ref = nullptr;
    });
    EXPECT_TRUE(*buddy.gone);
}

}  // namespace
}  // namespace Sarn10B::test
