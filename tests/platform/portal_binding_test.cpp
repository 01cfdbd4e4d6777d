#include <gtest/gtest.h>

#include <vector>

#include "platform/portal/portal_hotkey_backend.h"

namespace codalume {
namespace {

// The portal's answers that the KDE session of the end-to-end tests never gives: each row is a
// way to report "initialized" for a shortcut that can never fire, or to miss a real binding.
TEST(PortalBindingTest, OnlyAnAcceptedListedTriggeredShortcutIsBound) {
    const QString id = QStringLiteral("capture");
    const QString other = QStringLiteral("other");
    const QVariantMap triggered{
        {QStringLiteral("trigger_description"), QStringLiteral("Meta+Shift+C")}};
    const QVariantMap noTrigger{{QStringLiteral("trigger_description"), QString()}};
    const QVariantMap silent{{QStringLiteral("description"), QStringLiteral("获取剪贴板")}};
    struct Case {
        const char *name;
        uint code;
        QList<PortalShortcut> shortcuts;
        bool bound;
    };
    const std::vector<Case> cases = {
        {"accepted with a trigger", 0, {PortalShortcut{id, triggered}}, true},
        {"a portal that names no triggers", 0, {PortalShortcut{id, silent}}, true},
        {"the user changed the trigger",
         0,
         {PortalShortcut{other, noTrigger}, PortalShortcut{id, triggered}},
         true},
        {"empty list: offered only in BindShortcuts to KDE 5.27", 0, {}, false},
        {"a trigger the desktop could not parse", 0, {PortalShortcut{id, noTrigger}}, false},
        {"only other programs' shortcuts", 0, {PortalShortcut{other, triggered}}, false},
        {"the user said no", 1, {PortalShortcut{id, triggered}}, false},
        {"the portal failed", 2, {PortalShortcut{id, triggered}}, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(portalBound(c.code, c.shortcuts, id), c.bound) << c.name;
    }
}

}  // namespace
}  // namespace codalume
