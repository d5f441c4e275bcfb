// The skin-change observer: every receiver gets each broadcast in order; receivers that go away, also
// during a broadcast, get nothing more.

#include "dui/SkinObserver.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dui;

namespace {

class CRecorder : public ReceiverImpl<SkinChangedParam>
{
public:
    std::vector<SkinChangedParam> got;
    std::unique_ptr<CRecorder>* removeOnReceive = nullptr;
    bool Receive(SkinChangedParam param) override
    {
        got.push_back(param);
        if (removeOnReceive)
            removeOnReceive->reset();
        return true;
    }
};

TEST(SkinObserverTest, BroadcastReachesEveryLiveReceiver)
{
    auto& observer = ObserverImpl<SkinChangedParam>::GetInstance();
    CRecorder first;
    auto second = std::make_unique<CRecorder>();
    first.AddToObserver();
    first.AddToObserver(); // once only
    second->AddToObserver();
    EXPECT_EQ(observer.GetReceiverCount(), 2u);

    EXPECT_EQ(observer.Broadcast({1, 0xFF102030, ""}), 2);
    ASSERT_EQ(first.got.size(), 1u);
    EXPECT_EQ(first.got[0].bColor, 1);
    EXPECT_EQ(first.got[0].bkcolor, 0xFF102030u);
    EXPECT_EQ(second->got.size(), 1u);

    // The first receiver deletes the second while the broadcast runs: the second is skipped.
    first.removeOnReceive = &second;
    EXPECT_EQ(observer.Broadcast({0, 0, "common/background.png"}), 1);
    EXPECT_EQ(first.got.back().bgimage, "common/background.png");
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(observer.GetReceiverCount(), 1u);
}

} // namespace
