#include "app/WorkToolReply.h"

#include "devices/SupportedDevices.h"

#include <array>

namespace {

void PutInt(std::string& block, size_t index, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (size_t byte = 0; byte < 4; ++byte) {
        block[index * 4 + byte] = static_cast<char>((v >> (8 * byte)) & 0xFF);
    }
}

} // namespace

std::string WorkToolBlock()
{
    std::string block(kWorkToolBlockSize, '\0');
    constexpr std::array<int32_t, 4> kHead = {2, 3, 0, 2};
    for (size_t i = 0; i < kHead.size(); ++i) {
        PutInt(block, i, kHead[i]);
    }
    const auto& rows = DeviceTypeTable();
    PutInt(block, 4, static_cast<int32_t>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        PutInt(block, 5 + 3 * i, rows[i].vendorId);
        PutInt(block, 6 + 3 * i, rows[i].productId);
        PutInt(block, 7 + 3 * i, rows[i].kind);
    }
    return block;
}

platform::BusSendResult SendWorkToolReply(const platform::BusEndpoint& from, uint64_t mainWindow)
{
    if (!platform::FindWindow(kWorkToolTitle)) {
        return platform::BusSendResult::NoSuchWindow;
    }
    platform::BusMessage message = platform::MakeCopyData(kWorkToolRecordType, WorkToolBlock());
    message.wParam = mainWindow;
    return from.Send(kWorkToolTitle, std::move(message));
}
