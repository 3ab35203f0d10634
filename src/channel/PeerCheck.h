#pragma once

#include <sys/socket.h>
#include <unistd.h>

namespace tanzo {

// The socket lives in a directory only this user can enter; the kernel's
// word on who is at the other end makes sure all the same.
inline bool peerIsThisUser(int fd) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
}

} // namespace tanzo
