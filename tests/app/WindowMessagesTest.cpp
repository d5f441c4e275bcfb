#include "app/WindowMessages.h"

#include "platform/MessageBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

size_t CountOf(WindowMessageGroup group)
{
    return static_cast<size_t>(
        std::count_if(std::begin(kRegisteredMessages), std::end(kRegisteredMessages),
                      [&](const RegisteredMessageEntry& e) { return e.group == group; }));
}

// Checks the numbers without calling a registration function (ctest runs each test alone).
TEST(WindowMessageTable, HookMouseAndGameMessagesAreKnownFromStaticInitialisation)
{
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        const bool staticGroup =
            entry.group == WindowMessageGroup::Hook || entry.group == WindowMessageGroup::Game;
        if (staticGroup) {
            EXPECT_EQ(*entry.number, platform::RegisterWindowMessage(entry.name)) << entry.constant;
        }
    }
    EXPECT_NE(WM_HOOK_KEY_KBMACRO_MSG, 0u);
    EXPECT_NE(Game_Death, 0u);
}

TEST(WindowMessageTable, RegisteredNamesAreDistinctAndNumbersStableAndInRange)
{
    ASSERT_TRUE(RegisterAllWindowMessages());
    std::set<std::string> constants, names;
    std::set<uint32_t> numbers;
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        const uint32_t number = *entry.number;
        EXPECT_GE(number, kFirstRegisteredMessage) << entry.constant;
        EXPECT_LE(number, kLastRegisteredMessage) << entry.constant;
        // The same name, in any letter case, gives the same number again.
        EXPECT_EQ(platform::RegisterWindowMessage(entry.name), number) << entry.constant;
        EXPECT_EQ(platform::RegisterWindowMessage(Lower(entry.name)), number) << entry.constant;
        EXPECT_EQ(Lower(platform::RegisteredMessageName(number).value_or("")), Lower(entry.name));
        constants.insert(std::string(entry.constant));
        names.insert(Lower(entry.name)); // registered names compare without letter case
        numbers.insert(number);
    }
    const size_t count = std::size(kRegisteredMessages);
    EXPECT_EQ(constants.size(), count);
    EXPECT_EQ(names.size(), count);
    EXPECT_EQ(numbers.size(), count);
    // A second registration pass changes nothing.
    std::map<std::string_view, uint32_t> before;
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        before[entry.constant] = *entry.number;
    }
    ASSERT_TRUE(RegisterAllWindowMessages());
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        EXPECT_EQ(*entry.number, before[entry.constant]) << entry.constant;
    }
}

TEST(WindowMessageTable, GroupsHoldTheNamesOtherProcessesUse)
{
    EXPECT_EQ(CountOf(WindowMessageGroup::Instance), 1u);
    EXPECT_EQ(CountOf(WindowMessageGroup::Guid), 5u);
    EXPECT_EQ(CountOf(WindowMessageGroup::Hook), 19u);
    EXPECT_EQ(CountOf(WindowMessageGroup::Game), 4u);
    EXPECT_EQ(RegisteredNameOf("UWM_INSTANCE_MSG"), "ORVANT X80 PRO");

    // The five GUID names differ only in their last group, in registration order; the fifth is BE19.
    const char* const lastGroups[] = {"EFFCE93EBF15}", "EFFCE93EBF16}", "EFFCE93EBF17}", "EFFCE93EBF18}",
                                      "EFFCE93EBE19}"};
    size_t index = 0;
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        if (entry.group != WindowMessageGroup::Guid) {
            continue;
        }
        ASSERT_LT(index, std::size(lastGroups));
        EXPECT_EQ(entry.name, std::string("{4695579F-999A-41d4-9FAF-") + lastGroups[index]) << entry.constant;
        ++index;
    }
    // Hook, mouse and game messages register under their own names.
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        if (entry.group == WindowMessageGroup::Hook || entry.group == WindowMessageGroup::Game) {
            EXPECT_EQ(entry.name, entry.constant);
        }
    }
}

TEST(WindowMessageTable, ConstantAndRegisteredNamesTranslateBothWays)
{
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        EXPECT_EQ(RegisteredNameOf(entry.constant), entry.name);
        EXPECT_EQ(ConstantNameOf(entry.name), entry.constant);
    }
    EXPECT_FALSE(RegisteredNameOf("UWM_NO_SUCH_MSG"));
    EXPECT_FALSE(ConstantNameOf("{4695579F-999A-41d4-9FAF-EFFCE93EBF19}"));
}

TEST(WindowMessageTable, PrivateNumbersAreDistinctAndBelowTheRegisteredRange)
{
    std::set<uint32_t> numbers;
    std::set<std::string_view> constants;
    for (const PrivateMessageEntry& entry : kPrivateMessages) {
        EXPECT_GE(entry.number, WM_USER) << entry.constant;
        EXPECT_LT(entry.number, kFirstRegisteredMessage) << entry.constant;
        numbers.insert(entry.number);
        constants.insert(entry.constant);
    }
    EXPECT_EQ(numbers.size(), std::size(kPrivateMessages));
    EXPECT_EQ(constants.size(), std::size(kPrivateMessages));
    // The discovery thread and the tray icon depend on these exact numbers.
    EXPECT_EQ(UM_DEVICE_ARRIVED, 3090u);
    EXPECT_EQ(UM_DEVICE_REMOVED, 3091u);
    EXPECT_EQ(UM_TRAY_NOTIFY, 1025u);
    EXPECT_EQ(WM_LBUTTONUP, 514u);
    EXPECT_EQ(WM_RBUTTONUP, 517u);
}

} // namespace
