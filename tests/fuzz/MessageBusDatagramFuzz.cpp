// Reads arbitrary bytes as a message bus datagram: nothing may crash, and whatever is accepted must
// encode back to exactly the bytes it came from (the wire format has one spelling per message).

#include "platform/MessageBus.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<platform::BusMessage> message = platform::DecodeBusDatagram(bytes);
    if (!message) {
        return 0;
    }
    const std::optional<std::string> again = platform::EncodeBusDatagram(*message);
    if (!again || *again != bytes) {
        std::abort();
    }
    return 0;
}
