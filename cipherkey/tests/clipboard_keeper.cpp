// A minimal X11 clipboard manager for the clipboard test: it owns
// CLIPBOARD_MANAGER, and when a program that is about to exit asks it to
// SAVE_TARGETS, it fetches the CLIPBOARD text from that program, takes the
// CLIPBOARD over and serves the text from then on. It prints "ready" once it
// owns the manager selection and runs until it is killed.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "tests/support/xcb_handles.h"

namespace {

using xcb_handles::FreeDeleter;
using xcb_handles::intern;
using xcb_handles::Reply;

constexpr xcb_atom_t kNone = XCB_ATOM_NONE;

void notify(xcb_connection_t* c, const xcb_selection_request_event_t& req, xcb_atom_t property)
{
    xcb_selection_notify_event_t ev{};
    ev.response_type = XCB_SELECTION_NOTIFY;
    ev.time = req.time;
    ev.requestor = req.requestor;
    ev.selection = req.selection;
    ev.target = req.target;
    ev.property = property;
    xcb_send_event(c, 0, req.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
}

}  // namespace

int main()
{
    xcb_handles::Connection connection(xcb_connect(nullptr, nullptr));
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "clipboard_keeper: no X display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t self = xcb_generate_id(c);
    const std::uint32_t mask = XCB_CW_EVENT_MASK;
    const std::uint32_t values[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, self, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, mask, values);

    const xcb_atom_t manager = intern(c, "CLIPBOARD_MANAGER");
    const xcb_atom_t clipboard = intern(c, "CLIPBOARD");
    const xcb_atom_t save_targets = intern(c, "SAVE_TARGETS");
    const xcb_atom_t targets = intern(c, "TARGETS");
    const xcb_atom_t utf8 = intern(c, "UTF8_STRING");
    const xcb_atom_t kept = intern(c, "KEEPER_DATA");

    xcb_set_selection_owner(c, self, manager, XCB_CURRENT_TIME);
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, manager), nullptr));
    if (!owner || owner->owner != self) {
        std::fprintf(stderr, "clipboard_keeper: another clipboard manager runs\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    std::string text;
    bool serving = false;
    // The save request waits here until the exiting program has answered
    // our conversion of its CLIPBOARD.
    bool saving = false;
    xcb_selection_request_event_t pending_save{};

    while (std::unique_ptr<xcb_generic_event_t, FreeDeleter> event{xcb_wait_for_event(c)}) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            const auto& req = *reinterpret_cast<xcb_selection_request_event_t*>(event.get());
            const xcb_atom_t property = req.property == kNone ? req.target : req.property;
            if (req.selection == manager && req.target == save_targets && !saving) {
                saving = true;
                pending_save = req;
                xcb_convert_selection(c, self, clipboard, utf8, kept, req.time);
                xcb_flush(c);
            } else if (req.selection == clipboard && serving && req.target == targets) {
                const xcb_atom_t list[] = {targets, utf8};
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, req.requestor, property, XCB_ATOM_ATOM, 32, 2,
                                    list);
                notify(c, req, property);
            } else if (req.selection == clipboard && serving && req.target == utf8) {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, req.requestor, property, utf8, 8,
                                    std::uint32_t(text.size()), text.data());
                notify(c, req, property);
            } else {
                notify(c, req, kNone);
            }
        } else if (type == XCB_SELECTION_NOTIFY && saving) {
            const auto& ev = *reinterpret_cast<xcb_selection_notify_event_t*>(event.get());
            bool saved = false;
            if (ev.property != kNone) {
                Reply<xcb_get_property_reply_t> prop(xcb_get_property_reply(
                    c, xcb_get_property(c, 1, self, kept, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr));
                if (prop) {
                    const char* data = static_cast<const char*>(xcb_get_property_value(prop.get()));
                    text.assign(data, std::size_t(xcb_get_property_value_length(prop.get())));
                    xcb_set_selection_owner(c, self, clipboard, XCB_CURRENT_TIME);
                    serving = true;
                    saved = true;
                }
            }
            const xcb_atom_t answer = pending_save.property != kNone ? pending_save.property : save_targets;
            notify(c, pending_save, saved ? answer : kNone);
            saving = false;
        } else if (type == XCB_SELECTION_CLEAR) {
            serving = false;
        }
    }
    return 0;
}
