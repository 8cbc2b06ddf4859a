// Adding with the texts given as texts on the in-memory view, whose own
// path stores the texts straight from where they lie.

#include <gtest/gtest.h>

#include "outside/tests/add_texts_cases.h"

namespace {

using outside_tests::errorNumberOf;

TEST(MemoryTreeAddTexts, ChecksPlacesAndKeepsWhatAddWithVariantsDoes) {
    add_texts_cases::expectAddTextsAsAddWithVariants<tree::MemoryTreeView>();
}

TEST(MemoryTreeAddTexts, FailsWithControlDeletedOnceTheViewIsGone) {
    auto view = rt::make<tree::MemoryTreeView>();
    auto nodes = view->Nodes();
    view = nullptr;
    EXPECT_EQ(errorNumberOf([&] { nodes->addTexts("", tree::tvwChild, "a", "A", ""); }),
              tree::errnum::ControlDeleted);
}

}  // namespace
