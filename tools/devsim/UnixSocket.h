#pragma once
// A listening Unix socket at a path, replacing a stale socket file left there.

#include <string>

namespace devsim {

// type: SOCK_SEQPACKET or SOCK_STREAM, optionally with SOCK_NONBLOCK; the descriptor, or -1.
int ListenUnixSocket(const std::string& path, int type);

} // namespace devsim
