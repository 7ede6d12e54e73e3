// The form runtime: every window of both programs is built from a description
// (JSON data in the Qt resources) and driven by plain handler functions that
// reach controls by window name and control name. No handler ever keeps a
// widget pointer across events; a control that is gone simply reads as empty
// and ignores writes, so a handler that outlives its window (a nested wait, a
// message box) can finish without touching freed memory. A name that is not
// in any description (a window), or not in the window's description (a
// control, menu item or unit), reads and writes the same way, but is a fault
// of the program: it is logged as a warning that starts with
// kLookupWarningPrefix, and the tests fail on it. Handlers take their names
// from the headers generated from the descriptions, so most such faults do
// not even compile.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QApplication;

namespace db {
class Connection;
class RecordSet;
}  // namespace db

namespace ui {

// How the warning about a name that no description has begins.
inline constexpr char kLookupWarningPrefix[] = "ui lookup: ";

namespace detail {
struct FolderRead;
}  // namespace detail

// ---- handlers -------------------------------------------------------------

using Handler = std::function<void()>;

// Registers a handler under the name that descriptions use in their event
// bindings ("example.on_open"). Registering a name twice replaces it.
void register_handler(const QString& name, Handler fn);
[[nodiscard]] bool has_handler(const QString& name);

// ---- descriptions ---------------------------------------------------------

// The descriptions below a resource folder (the one a program keeps its
// descriptions in) as read_descriptions() reads them: every "*.json" file,
// and the pictures they name decoded, nothing checked yet. Null: not read.
using DescriptionsRead = std::shared_ptr<const detail::FolderRead>;

// Reads and decodes what load_descriptions() then checks, and reports
// nothing. Start-up runs it ahead (platform/ui/ahead.h) while the runtime
// starts. Any thread may call it.
[[nodiscard]] DescriptionsRead read_descriptions(const QString& resource_dir);

// Parses every "*.json" description below the resource folder and keeps
// them by window name. A description that names an unknown control type,
// property, event or handler is refused: the result is false and `error`
// says which file and why. A folder is taken whole or not at all. With
// `stub_handlers` (tests that only look at windows), a handler name nobody
// registered gets one that does nothing instead of refusing the file.
// `read_ahead`, what read_descriptions() read of the same folder, is checked
// and reported as if this had read it itself; without it, this reads the
// folder.
[[nodiscard]] bool load_descriptions(const QString& resource_dir, QString* error, bool stub_handlers = false,
                                     const DescriptionsRead& read_ahead = nullptr);

// Parses and registers one description from its JSON text (tests, tools).
[[nodiscard]] bool add_description(const QByteArray& json, const QString& origin, QString* error);
[[nodiscard]] bool has_description(const QString& window);
QStringList description_names();

// ---- windows --------------------------------------------------------------

// Opens a window from its description. An open window is brought forward (a
// minimised one restored) and its creation does not run again; a window that
// is closing is destroyed at once and opened anew. `parent` names the owning
// window ("" for none). Returns false, with the lookup warning, when there is
// no such description.
[[nodiscard]] bool load_window(const QString& window, const QString& parent = {}, bool modal = false);
// Asks a window to close; the close happens when the event loop takes the
// request. A second request, or one for a window that is gone, does nothing.
void destroy_window_or_unit(const QString& window);
[[nodiscard]] bool is_window_open(const QString& window);  // open and not closing
[[nodiscard]] bool is_window_closing(const QString& window);
int open_window_count();  // windows that exist

QString caption(const QString& window);
void set_caption(const QString& window, const QString& text);

// Placement of a top-level window.
[[nodiscard]] bool is_minimised(const QString& window);
[[nodiscard]] bool is_window_visible(const QString& window);
void show_window(const QString& window);
void hide_window(const QString& window);
// Restores a minimised window, makes it normal and centres it on the screen.
void restore_centred(const QString& window);

// ---- controls -------------------------------------------------------------

// Text of an EditBox, caption of a TransLabel, Button, CheckBox or RadioBox,
// tip of a TrayIcon. Reading a control that does not exist gives "". A
// multi-line EditBox gives its line breaks as CR LF and takes CR LF or LF.
QString text(const QString& window, const QString& control);
void set_text(const QString& window, const QString& control, const QString& value);

[[nodiscard]] bool is_visible(const QString& window, const QString& control);
void set_visible(const QString& window, const QString& control, bool visible);
[[nodiscard]] bool is_disabled(const QString& window, const QString& control);
// Also works on menu items, which are named like controls.
void set_disabled(const QString& window, const QString& control, bool disabled);
[[nodiscard]] bool is_checked(const QString& window, const QString& control);
void set_checked(const QString& window, const QString& control, bool checked);
// Input mode of an EditBox, as in descriptions: "normal", "readonly",
// "integer" or "password". Handlers lock and unlock boxes with it. An
// unknown mode, or a control that is no EditBox, does nothing / reads "".
QString edit_mode(const QString& window, const QString& control);
void set_edit_mode(const QString& window, const QString& control, const QString& mode);

// ListBox and ComboBox items. The current index is 0-based, -1 for none;
// setting it from a handler does not fire on_selection_changed.
int current_index(const QString& window, const QString& control);
void set_current_index(const QString& window, const QString& control, int index);
void add_item(const QString& window, const QString& control, const QString& item);
void clear_items(const QString& window, const QString& control);
int item_count(const QString& window, const QString& control);
QString item_text(const QString& window, const QString& control, int index);
// Removes one item; an index outside the list does nothing. Does not fire
// on_selection_changed.
void remove_item(const QString& window, const QString& control, int index);

// ListView rows: one text per column.
void add_row(const QString& window, const QString& control, const QStringList& cells);
// Shows the rows of the window's record-set unit `recordset` in a ListView,
// field `fields[i]` in column i, in place of the rows the list had (rows
// added later follow them). The rows are read from the set's snapshot as the
// list draws them, not copied; NULL and a field the set lacks show as empty.
// The list follows the set once each handler is done: a set that a handler
// opened anew, added to or closed (its connection closed) shows as it is then;
// once the window goes the list shows none of its rows.
void show_recordset_rows(const QString& window, const QString& control, const QString& recordset,
                         const QStringList& fields);
void clear_rows(const QString& window, const QString& control);
// What the list shows; reading it does not make it follow its set.
int row_count(const QString& window, const QString& control);
QString cell_text(const QString& window, const QString& control, int row, int column);

// Timer period in milliseconds; 0 stops it.
int timer_interval(const QString& window, const QString& control);
void set_timer_interval(const QString& window, const QString& control, int ms);

// TrayIcon: shown in the notification area or not.
void show_tray_icon(const QString& window, const QString& control);
void hide_tray_icon(const QString& window, const QString& control);
[[nodiscard]] bool is_tray_icon_shown(const QString& window, const QString& control);

void set_focus(const QString& window, const QString& control);
// Name of the control that has the keyboard focus in that window ("" if none).
QString focused_control(const QString& window);

// The non-visual units a window owns. Null when the window or unit is gone.
db::Connection* connection(const QString& window, const QString& unit);
db::RecordSet* recordset(const QString& window, const QString& unit);

// ---- program --------------------------------------------------------------

// Creates the application object (if none exists), maps the description
// fonts onto installed CJK fonts and takes the program folder.
void start_runtime(int& argc, char** argv);
QString get_program_directory();  // no trailing "/"
QString get_current_directory();  // "" when it cannot be read

// Visual style: 1 blue, 2 olive green, 3 silver, anything else removes it.
void apply_xp_style(int scheme);
int current_xp_style();

// Runs the event loop until no window is left; returns at once when none is
// open. Returns the exit code (0).
int run_message_loop();

// The exit clean-up runs once: after the loop ends, or from exit_program.
void register_exit_cleanup(std::function<void()> fn);
void run_exit_cleanup();
// Ends the program at once with `code`, after the exit clean-up.
void exit_program(int code);

// Fatal error: the "错误" box, then exit code -1 without the clean-up.
[[noreturn]] void fatal_error(const QString& message, std::optional<long> code = std::nullopt);
// The text of that box.
QString fatal_error_text(const QString& message, std::optional<long> code = std::nullopt);

// Waits `ms` milliseconds while window events go on being processed.
void wait_processing_events(int ms);

}  // namespace ui
