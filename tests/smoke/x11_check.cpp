// Tells whether the X server on $DISPLAY answers and, with --tray, whether a
// tray host owns the system-tray selection of its default screen, the way
// applications find the notification area. scripts/test.sh runs it before
// the tests, so a server or tray host that did not start fails the run
// instead of leaving the X11 tests nothing to run on.
// Exit code 0 when all is there, 1 otherwise (with the reason on stderr).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/xcb_handles.h"

namespace {

using xcb_handles::Reply;

int missing(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool tray = argc > 1 && std::strcmp(argv[1], "--tray") == 0;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return missing("DISPLAY is not set");

    int screen = 0;
    xcb_handles::Connection connection(xcb_connect(nullptr, &screen));
    if (xcb_connection_has_error(connection.get())) {
        return missing(std::string("no X server answers on ") + display);
    }
    if (!tray) return 0;

    // The tray host of screen N owns the selection _NET_SYSTEM_TRAY_SN.
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    const xcb_atom_t atom = xcb_handles::intern(connection.get(), name);
    if (atom == xcb_atom_t{XCB_ATOM_NONE}) return missing("the X server did not answer");
    Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection.get(), xcb_get_selection_owner(connection.get(), atom), nullptr));
    if (!owner) return missing("the X server did not answer");
    if (owner->owner == XCB_NONE) return missing("no tray host owns " + name + " on " + display);
    return 0;
}
