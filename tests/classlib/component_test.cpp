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

namespace {

class TWatcher : public TComponent {
public:
    using TComponent::TComponent;
    TComponent* Watched = nullptr;

protected:
    void Notification(TComponent* c, bool inserting) override {
        if (!inserting && c == Watched) Watched = nullptr;
    }
};

}  // namespace

TEST(Component, FreeNotificationClearsAPointerToADeletedComponent) {
    TWatcher watcher(nullptr);
    auto* watched = new TComponent(nullptr);
    watcher.Watched = watched;
    watched->FreeNotification(&watcher);
    delete watched;
    EXPECT_EQ(watcher.Watched, nullptr);

    // The other way round: a deleted watcher is not told about later deletions.
    auto* second = new TComponent(nullptr);
    {
        TWatcher gone(nullptr);
        second->FreeNotification(&gone);
    }
    delete second;  // must not reach the deleted watcher
}
