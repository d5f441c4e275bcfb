#include "tools/devsim/UnixSocket.h"

#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace devsim {

int ListenUnixSocket(const std::string& path, int type)
{
    // Bound and listening under a temporary name first, then renamed into place: a peer that sees the
    // file can always connect (the file existing is what "present" means to a host).
    const std::string temporary = path + ".tmp";
    sockaddr_un addr{};
    if (temporary.size() >= sizeof addr.sun_path)
        return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, temporary.c_str(), temporary.size() + 1);
    const int fd = socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    unlink(temporary.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0 ||
        rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace devsim
