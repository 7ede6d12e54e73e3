// For the small X11 helpers of the tests (tests/smoke/x11_check,
// cipherkey/tests/clipboard_keeper): xcb's replies and events are freed with
// free(), its connection with xcb_disconnect().
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace xcb_handles {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// The atom named `name`, made if the server has none yet; XCB_ATOM_NONE when
// the server did not answer.
inline xcb_atom_t intern(xcb_connection_t* c, const std::string& name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.c_str()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace xcb_handles
