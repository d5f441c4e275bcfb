// The device tables, the slot list operations and the wired/wireless pair decisions, without devices.

#include <gtest/gtest.h>

#include <string>

#include "devices/DeviceSlotList.h"
#include "devices/PartnerLinkDecision.h"

namespace {

constexpr uint16_t kMaker = 0x320F;
constexpr uint16_t kKeyboardPid = 0x5055;
constexpr uint16_t kMousePid = 0x221C;

// A candidate as the discovery thread builds it from a path and the opened interface.
SupportedDeviceEntry Candidate(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t page,
                               uint16_t usage, const std::string& path)
{
    return {vid, pid, mi, col, 0, 0, 0, page, usage, 0, 0, path};
}

SupportedDeviceEntry Command(uint16_t pid, const std::string& path)
{
    return Candidate(kMaker, pid, 1, 4, 0xFF1C, 0x92, path);
}

SupportedDeviceEntry Event(uint16_t pid, const std::string& path)
{
    return Candidate(kMaker, pid, 1, 3, 0x000C, 0x01, path);
}

int Claim(CDeviceSlotList& slots, SupportedDeviceEntry candidate)
{
    int index = -1;
    return slots.ClaimSlot(candidate, index) ? index : -1;
}

TEST(SupportedDeviceTable, PairsPointAtEachOtherAndShareTheirInterface)
{
    const auto& table = SupportedDeviceTable();
    ASSERT_EQ(table.size(), 11u);
    for (size_t i = 0; i < table.size(); ++i) {
        const SupportedDeviceEntry& row = table[i];
        EXPECT_EQ(row.connected, 0);
        EXPECT_TRUE(row.path.empty());
        if (row.hasPartner == 0) {
            continue;
        }
        ASSERT_LT(row.partnerRow, table.size()) << "row " << i;
        const SupportedDeviceEntry& partner = table[row.partnerRow];
        EXPECT_EQ(partner.partnerRow, i) << "row " << i;
        EXPECT_EQ(partner.role, row.role) << "row " << i;
        EXPECT_EQ(partner.collection, row.collection) << "row " << i;
        // One wired and one receiver row of the same family.
        EXPECT_NE(IsReceiverKind(row.kind), IsReceiverKind(partner.kind)) << "row " << i;
        EXPECT_EQ(FindFamily(row.kind), FindFamily(partner.kind)) << "row " << i;
    }
    // Only the wired keyboard and mouse carry product ids; the headset has no collection part.
    EXPECT_EQ(table[0].productId, kKeyboardPid);
    EXPECT_EQ(table[4].productId, kMousePid);
    EXPECT_EQ(table[10].vendorId, 0x0C76);
    EXPECT_EQ(table[10].interfaceNumber, 3);
    EXPECT_EQ(table[10].collection, 0);
}

TEST(DeviceTypeTable, EveryTypeHasItsCommandRowAndPageInTheSameOrder)
{
    const char* names[] = {"mouse", "keyboard", "MousePad", "HD"};
    const char* pages[] = {"XML\\DeviceXml\\mousedevice.xml", "XML\\DeviceXml\\keyboarddevice.xml",
                           "XML\\DeviceXml\\mousepaddevice.xml", "XML\\DeviceXml\\hs6533device.xml"};
    for (size_t i = 0; i < kDeviceTypeCount; ++i) {
        const DeviceTypeEntry& type = DeviceTypeTable()[i];
        EXPECT_EQ(type.typeName, names[i]);
        EXPECT_EQ(DeviceXmlTable()[i].pageLayout, pages[i]);
        EXPECT_EQ(type.optionLayout, "XML\\CustomControlXML\\DeviceOption.xml");
        const int row = CDeviceSlotList::FindRow(type.vendorId, type.productId, type.kind, type.role);
        ASSERT_GE(row, 0) << type.typeName;
        EXPECT_EQ(CDeviceSlotList::FindDeviceType(type.vendorId, type.productId, type.kind, type.role),
                  static_cast<int>(i));
    }
    EXPECT_EQ(DeviceXmlTable()[1].ledCount, 170);
    EXPECT_EQ(DeviceXmlTable()[0].batteryPowered, 1);
    // Receivers have no type row: they use their wired partner's page.
    EXPECT_EQ(CDeviceSlotList::FindDeviceType(kMaker, 0, kKindKeyboardReceiver, 0), -1);
    EXPECT_EQ(CDeviceSlotList::FindRow(kMaker, 0x1234, kKindKeyboard, 0), -1);
}

TEST(DeviceTables, FamiliesAndTilePictures)
{
    struct Case
    {
        int kind;
        int role;
        DeviceFamily family;
        const char* prefix; // null: the tile keeps its pictures
    };
    const Case cases[] = {
        {1, 0, DeviceFamily::Keyboard, "kb_device_"},      {9, 0, DeviceFamily::Keyboard, "unknow_device_"},
        {2, 0, DeviceFamily::Mouse, "ms_device_"},         {6, 0, DeviceFamily::Mouse, "unknow_device_"},
        {3, 0, DeviceFamily::MousePad, "hard_mp_device_"}, {3, 1, DeviceFamily::MousePad, "soft_mp_device_"},
        {3, 2, DeviceFamily::MousePad, nullptr},           {7, 0, DeviceFamily::Headset, "hd_device_"},
        {4, 0, DeviceFamily::None, "hd_device_"},          {5, 0, DeviceFamily::None, "hub_device_"},
        {0, 0, DeviceFamily::None, "unknow_device_"},
    };
    for (const Case& c : cases) {
        const DeviceFamilyEntry* family = FindFamily(c.kind);
        EXPECT_EQ(family == nullptr ? DeviceFamily::None : family->family, c.family) << "kind " << c.kind;
        const char* prefix = TileImagePrefix(c.kind, c.role);
        if (c.prefix == nullptr) {
            EXPECT_EQ(prefix, nullptr) << "kind " << c.kind << " role " << c.role;
        } else {
            ASSERT_NE(prefix, nullptr) << "kind " << c.kind;
            EXPECT_STREQ(prefix, c.prefix) << "kind " << c.kind << " role " << c.role;
        }
    }
    EXPECT_STREQ(FindFamily(7)->addedLine, "添加一个鼠标垫设备");
    EXPECT_STREQ(FindFamily(9)->lostLine, "键盘设备丢失");
}

TEST(DeviceSlotList, ClaimCopiesKindAndRoleAndTakesTheFirstFreeMatchingSlot)
{
    CDeviceSlotList slots;
    SupportedDeviceEntry kb = Command(kKeyboardPid, "kb-a");
    int index = -1;
    ASSERT_TRUE(slots.ClaimSlot(kb, index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(kb.kind, kKindKeyboard);
    EXPECT_EQ(kb.role, kRoleCommand);
    EXPECT_EQ(slots.Slot(0).connected, 1);
    EXPECT_EQ(slots.Slot(0).path, "kb-a");
    EXPECT_EQ(Claim(slots, Event(kKeyboardPid, "kb-a-event")), 1);
    EXPECT_EQ(slots.Slot(1).role, kRoleEvent);

    // A second identical keyboard finds no free slot until the first one's slot is released.
    EXPECT_FALSE(slots.IsCandidate(Command(kKeyboardPid, "kb-b")));
    EXPECT_EQ(Claim(slots, Command(kKeyboardPid, "kb-b")), -1);
    EXPECT_EQ(slots.Slot(0).path, "kb-a");
    ASSERT_TRUE(slots.ReleaseSlot(0));
    EXPECT_TRUE(slots.IsCandidate(Command(kKeyboardPid, "kb-b")));
    EXPECT_EQ(Claim(slots, Command(kKeyboardPid, "kb-b")), 0);
    EXPECT_EQ(slots.Slot(0).path, "kb-b");
    EXPECT_FALSE(slots.ReleaseSlot(11));
    EXPECT_FALSE(slots.ReleaseSlot(-1));
}

TEST(DeviceSlotList, AnInterfaceWithOtherUsagesIsACandidateButIsRefused)
{
    CDeviceSlotList slots;
    SupportedDeviceEntry odd = Candidate(kMaker, kKeyboardPid, 1, 4, 0xFF00, 0x01, "odd");
    EXPECT_TRUE(slots.IsCandidate(odd));
    int index = -1;
    EXPECT_FALSE(slots.ClaimSlot(odd, index));
    EXPECT_EQ(slots.ConnectedSlots().size(), 0u);
    // Ids no row has are no candidates; the headset matches without a collection.
    EXPECT_FALSE(slots.IsCandidate(Candidate(0x1234, 0x5678, 1, 4, 0, 0, "x")));
    EXPECT_EQ(Claim(slots, Candidate(0x0C76, 0, 3, 0, 0x000C, 0x01, "hs")), 10);
    EXPECT_EQ(Claim(slots, Candidate(0x0C76, 0, 3, 1, 0x000C, 0x01, "hs-col")), -1);
}

TEST(DeviceSlotList, ProductIdZeroRowsFillInTableOrder)
{
    // The receivers and the mouse pad share vendor, product 0 and usages: the first such interface
    // takes the keyboard receiver's rows, the next the mouse receiver's, the third the mouse pad's.
    CDeviceSlotList slots;
    EXPECT_EQ(Claim(slots, Command(0, "a")), 2);
    EXPECT_EQ(Claim(slots, Event(0, "a-ev")), 3);
    EXPECT_EQ(Claim(slots, Command(0, "b")), 6);
    EXPECT_EQ(Claim(slots, Command(0, "c")), 8);
    EXPECT_EQ(Claim(slots, Command(0, "d")), -1);
    EXPECT_EQ(slots.Slot(6).kind, kKindMouseReceiver);
}

TEST(DeviceSlotList, AnInterfaceHoldsOneSlotEvenWhereSeveralRowsDescribeIt)
{
    CDeviceSlotList slots;
    ASSERT_EQ(Claim(slots, Command(0, "receiver")), 2);
    EXPECT_FALSE(slots.IsCandidate(Command(0, "receiver")));
    EXPECT_EQ(Claim(slots, Command(0, "receiver")), -1);
    EXPECT_EQ(slots.ConnectedSlots().size(), 1u);
    EXPECT_TRUE(slots.IsCandidate(Command(0, "other receiver")));
}

TEST(DeviceSlotList, AllSlotsTakenOnlyWhenEverySlotIsHeld)
{
    CDeviceSlotList slots;
    const SupportedDeviceEntry all[] = {
        Command(kKeyboardPid, "0"),
        Event(kKeyboardPid, "1"),
        Command(0, "2"),
        Event(0, "3"),
        Command(kMousePid, "4"),
        Event(kMousePid, "5"),
        Command(0, "6"),
        Event(0, "7"),
        Command(0, "8"),
        Event(0, "9"),
    };
    for (const SupportedDeviceEntry& c : all) {
        ASSERT_GE(Claim(slots, c), 0) << c.path;
        EXPECT_FALSE(slots.AllSlotsTaken());
    }
    ASSERT_EQ(Claim(slots, Candidate(0x0C76, 0, 3, 0, 0x000C, 0x01, "10")), 10);
    EXPECT_TRUE(slots.AllSlotsTaken());
    EXPECT_EQ(slots.ConnectedSlots().size(), 11u);
    slots.ReleaseSlot(5);
    EXPECT_FALSE(slots.AllSlotsTaken());
}

TEST(DeviceSlotList, RecordsMatchIgnoresStateAndPartnerFields)
{
    SupportedDeviceEntry a = SupportedDeviceTable()[0];
    SupportedDeviceEntry b = a;
    b.connected = 1;
    b.path = "somewhere";
    b.hasPartner = 0;
    b.partnerRow = 7;
    EXPECT_TRUE(CDeviceSlotList::RecordsMatch(a, b));
    b.role = kRoleEvent;
    EXPECT_FALSE(CDeviceSlotList::RecordsMatch(a, b));
    EXPECT_FALSE(CDeviceSlotList::RecordsMatch(SupportedDeviceTable()[2], SupportedDeviceTable()[6]));
}

// Pair decisions: slots held before the step, the slot of the step, and what follows.
struct PairCase
{
    const char* what;
    std::vector<int> held; // slots connected (with a path) when the decision is made
    int slot;
    CommandLinkAction arrival;
    CommandLinkAction removal;
};

class PairDecision : public ::testing::TestWithParam<PairCase>
{
};

TEST_P(PairDecision, FollowsTheCableAndLeavesTheReceiverAlone)
{
    const PairCase& c = GetParam();
    CDeviceSlotList slots;
    for (int held : c.held) {
        int index = -1;
        // Claims go to the first free matching slot; hold earlier ones first so the wanted one is taken.
        for (int attempt = 0; attempt < 3 && index != held; ++attempt) {
            SupportedDeviceEntry e = SupportedDeviceTable()[static_cast<size_t>(held)];
            e.path = "p" + std::to_string(held) + "-" + std::to_string(attempt);
            ASSERT_TRUE(slots.ClaimSlot(e, index)) << c.what;
        }
        ASSERT_EQ(index, held) << c.what;
    }
    for (int s = 0; s < CDeviceSlotList::Count(); ++s) {
        if (std::find(c.held.begin(), c.held.end(), s) == c.held.end() && slots.Slot(s).connected) {
            slots.ReleaseSlot(s);
        }
    }
    EXPECT_EQ(DecideCommandArrival(slots, c.slot), c.arrival) << c.what;
    EXPECT_EQ(DecideCommandRemoval(slots, c.slot), c.removal) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairDecision,
    ::testing::Values(
        PairCase{"keyboard cable alone", {}, 0, CommandLinkAction::Attach, CommandLinkAction::Detach},
        PairCase{"cable while receiver attached",
                 {2},
                 0,
                 CommandLinkAction::SwitchPartnerLink,
                 CommandLinkAction::SwitchPartnerLink},
        PairCase{
            "receiver while cable attached", {0}, 2, CommandLinkAction::Ignore, CommandLinkAction::Ignore},
        PairCase{"mouse receiver alone", {}, 6, CommandLinkAction::Attach, CommandLinkAction::Detach},
        PairCase{"mouse cable while receiver attached",
                 {6},
                 4,
                 CommandLinkAction::SwitchPartnerLink,
                 CommandLinkAction::SwitchPartnerLink},
        PairCase{"mouse pad has no partner", {0, 2}, 8, CommandLinkAction::Attach, CommandLinkAction::Detach},
        PairCase{"out of range", {}, 11, CommandLinkAction::Ignore, CommandLinkAction::Ignore}));

TEST(PairKeys, EverySlotLeadsToTheWiredCommandRecord)
{
    CDeviceSlotList slots;
    struct Case
    {
        int slot;
        int deviceKey;
        int tileKey;
    };
    const Case cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0},    {4, 4, 4},    {5, 5, 4},   {6, 4, 4},
                          {7, 5, 4}, {8, 8, 8}, {9, 9, 8}, {10, 10, 10}, {11, -1, -1}, {-1, -1, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceKeySlot(slots, c.slot), c.deviceKey) << "slot " << c.slot;
        EXPECT_EQ(TileKeySlot(slots, c.slot), c.tileKey) << "slot " << c.slot;
    }
}

TEST(PairKeys, SwitchPathAndEventMatching)
{
    CDeviceSlotList slots;
    SupportedDeviceEntry cable = Command(kKeyboardPid, "cable");
    SupportedDeviceEntry receiver = Command(0, "receiver");
    int index = -1;
    ASSERT_TRUE(slots.ClaimSlot(cable, index));
    ASSERT_TRUE(slots.ClaimSlot(receiver, index));
    // On the receiver now: the cable's own path; on the cable now: the receiver's.
    EXPECT_EQ(PartnerSwitchPath(slots, 0, true), "cable");
    EXPECT_EQ(PartnerSwitchPath(slots, 0, false), "receiver");
    EXPECT_EQ(PartnerSwitchPath(slots, 8, false), "");

    const SupportedDeviceEntry keyboard = SupportedDeviceTable()[0];
    const SupportedDeviceEntry mouse = SupportedDeviceTable()[4];
    const SupportedDeviceEntry pad = SupportedDeviceTable()[8];
    EXPECT_TRUE(EventSlotMatchesDevice(slots, 1, keyboard));
    EXPECT_TRUE(EventSlotMatchesDevice(slots, 3, keyboard)); // through the receiver partner
    EXPECT_FALSE(EventSlotMatchesDevice(slots, 5, keyboard));
    EXPECT_TRUE(EventSlotMatchesDevice(slots, 7, mouse));
    EXPECT_FALSE(EventSlotMatchesDevice(slots, 3, mouse));
    EXPECT_TRUE(EventSlotMatchesDevice(slots, 9, pad));
    EXPECT_FALSE(EventSlotMatchesDevice(slots, 3, pad));
    EXPECT_FALSE(EventSlotMatchesDevice(slots, 12, pad));
}

} // namespace
