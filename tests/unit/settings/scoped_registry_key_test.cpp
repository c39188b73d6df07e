#include "settings/scoped_registry_key.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_registry.h"

namespace tessaline {
namespace {

using Calls = std::vector<std::string>;

TEST(ScopedRegistryKey, ClosedOnceWhenItGoes) {
    FakeRegistry registry;
    {
        const ScopedRegistryKey key =
            ScopedRegistryKey::Open(registry, Registry::kCurrentUserKey, "software");
        EXPECT_TRUE(key.IsOpen());
    }
    EXPECT_EQ(registry.calls, (Calls{"Open(software)", "Close(software)"}));
    EXPECT_TRUE(registry.handleErrors.empty());
}

TEST(ScopedRegistryKey, AFailedOpenClosesNothing) {
    FakeRegistry registry;
    registry.refuseCreate.insert("software\\Korvane");
    {
        const ScopedRegistryKey missing =
            ScopedRegistryKey::Open(registry, Registry::kCurrentUserKey, "nowhere");
        const ScopedRegistryKey refused =
            ScopedRegistryKey::Create(registry, Registry::kCurrentUserKey, "software\\Korvane");
        EXPECT_FALSE(missing.IsOpen());
        EXPECT_FALSE(refused.IsOpen());
    }
    EXPECT_EQ(registry.calls, (Calls{"Open(nowhere)", "Create(software\\Korvane)"}));
    EXPECT_TRUE(registry.handleErrors.empty());
}

// A child taking its parent's place closes the parent only after the child was reached, and a
// moved-from key closes nothing.
TEST(ScopedRegistryKey, AChildTakesItsParentsPlace) {
    FakeRegistry registry;
    {
        ScopedRegistryKey key =
            ScopedRegistryKey::Open(registry, Registry::kCurrentUserKey, "software");
        key = ScopedRegistryKey::Create(registry, key.Get(), "Korvane");
        ScopedRegistryKey moved(std::move(key));
        EXPECT_TRUE(moved.IsOpen());
        EXPECT_EQ(registry.OpenHandleCount(), 1);
    }
    EXPECT_EQ(registry.calls, (Calls{"Open(software)", "Create(software\\Korvane)",
                                     "Close(software)", "Close(software\\Korvane)"}));
    EXPECT_TRUE(registry.handleErrors.empty());
}

}  // namespace
}  // namespace tessaline
