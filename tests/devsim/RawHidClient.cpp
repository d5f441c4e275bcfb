#include "RawHidClient.h"

#include <algorithm>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace devsim::test {

CRawHidClient::~CRawHidClient()
{
    Close();
}

void CRawHidClient::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

bool CRawHidClient::Connect(const std::string& path)
{
    Close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    fd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    auto hello = Receive();
    if (!hello || hello->empty()) {
        Close();
        return false;
    }
    hello_ = *hello;
    return true;
}

bool CRawHidClient::Send(uint8_t kind, const std::vector<uint8_t>& report)
{
    std::vector<uint8_t> packet{kind};
    packet.insert(packet.end(), report.begin(), report.end());
    return fd_ >= 0 &&
           send(fd_, packet.data(), packet.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(packet.size());
}

std::optional<std::vector<uint8_t>> CRawHidClient::Receive(int timeoutMs)
{
    if (fd_ < 0)
        return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return std::nullopt;
    std::vector<uint8_t> buffer(8192);
    const ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
    if (n < 0)
        return std::nullopt;
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

std::optional<Frame> CRawHidClient::ReceiveFrame(int timeoutMs)
{
    for (;;) {
        auto packet = Receive(timeoutMs);
        if (!packet || packet->size() < 2)
            return std::nullopt;
        if ((*packet)[0] != 0x81 || (*packet)[1] != kCommandReportId)
            continue;
        Frame f{};
        std::copy_n(packet->begin() + 1, std::min(packet->size() - 1, f.size()), f.begin());
        return f;
    }
}

std::optional<Frame> CRawHidClient::Transact(const Frame& request, int timeoutMs)
{
    if (!SendFrame(request))
        return std::nullopt;
    return ReceiveFrame(timeoutMs);
}

} // namespace devsim::test
