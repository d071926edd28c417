#include <gtest/gtest.h>

#include "classes.h"

#include <vector>

namespace {

std::vector<int>* g_log = nullptr;

class TLogged : public TComponent {
public:
    TLogged(TComponent* owner, int id) : TComponent(owner), Id(id) {}
    ~TLogged() override {
        if (g_log) g_log->push_back(Id);
    }
    int Id;
};

}  // namespace

TEST(Component, OwnerDeletesOwnedInReverseOrderOfCreation) {
    std::vector<int> log;
    g_log = &log;
    auto* root = new TLogged(nullptr, 0);
    new TLogged(root, 1);
    auto* two = new TLogged(root, 2);
    new TLogged(two, 21);
    new TLogged(root, 3);
    EXPECT_EQ(root->ComponentCount(), 3);
    delete root;
    g_log = nullptr;
    // A destructor's own body runs before the components it owns are deleted.
    EXPECT_EQ(log, (std::vector<int>{0, 3, 2, 21, 1}));
}

TEST(Component, DeletingAnOwnedComponentRemovesItFromItsOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
}

TEST(Component, ClassNameIsTheDynamicCppClassName) {
    TLogged logged(nullptr, 7);
    TObject* base = &logged;
    EXPECT_EQ(base->ClassName(), L"TLogged");
    EXPECT_EQ(logged.Tag, 0);
}
