#include "screen/Portal.h"

#include "screen/PortalOptions.h"

#include <memory>

namespace {

const char kPortal[] = "org.freedesktop.portal.Desktop";
const char kPortalPath[] = "/org/freedesktop/portal/desktop";
const char kScreenCast[] = "org.freedesktop.portal.ScreenCast";
const char kRequest[] = "org.freedesktop.portal.Request";
const char kSession[] = "org.freedesktop.portal.Session";
constexpr int kCallTimeout = 25000;  // ms; the bus may first have to start the portal
constexpr uint32_t kMonitorSource = 1;
constexpr uint32_t kHiddenCursor = 1;
constexpr uint32_t kPersistUntilRevoked = 2;
constexpr uint32_t kCancelled = 1;

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using CMessage = std::unique_ptr<DBusMessage, MessageUnref>;

class CDBusError {
public:
    CDBusError() { dbus_error_init(&error); }
    ~CDBusError() { dbus_error_free(&error); }
    CDBusError(const CDBusError&) = delete;
    CDBusError& operator=(const CDBusError&) = delete;
    DBusError* Get() { return &error; }
    std::string Text() const { return dbus_error_is_set(&error) ? error.message : "no answer"; }

private:
    DBusError error;
};

CMessage NewCall(const char* interface, const char* method, const char* path = kPortalPath)
{
    return CMessage(dbus_message_new_method_call(kPortal, path, interface, method));
}

// A ScreenCast method on the session: its first argument, the session's path, is in place and
// `args` appends the rest.
CMessage SessionCall(const std::string& session, const char* method, DBusMessageIter& args)
{
    CMessage call = NewCall(kScreenCast, method);
    if (call) {
        dbus_message_iter_init_append(call.get(), &args);
        const char* path = session.c_str();
        dbus_message_iter_append_basic(&args, DBUS_TYPE_OBJECT_PATH, &path);
    }
    return call;
}

// The a{sv} results of a Response signal.
DBusMessageIter Results(DBusMessage* response)
{
    DBusMessageIter args;
    dbus_message_iter_init(response, &args);
    dbus_message_iter_next(&args);
    return args;
}

}  // namespace

void AppendSourceOptions(DBusMessageIter* args, const std::string& handleToken, uint32_t version,
                         uint32_t cursorModes, const std::string& restoreToken)
{
    COptions options(args);
    options.String("handle_token", handleToken);
    options.Uint("types", kMonitorSource);
    options.Bool("multiple", true);
    // No pointer in the pictures, as PrtSc takes none; a mode the portal does not offer would end
    // the session, so without it the backend's default stands.
    if (cursorModes & kHiddenCursor)
        options.Uint("cursor_mode", kHiddenCursor);
    // Remembering the choice came with version 4.
    if (version >= 4) {
        options.Uint("persist_mode", kPersistUntilRevoked);
        if (!restoreToken.empty())
            options.String("restore_token", restoreToken);
    }
}

bool ReadStreams(DBusMessageIter streams, std::vector<SharedMonitor>& monitors)
{
    if (dbus_message_iter_get_arg_type(&streams) != DBUS_TYPE_ARRAY)
        return false;
    DBusMessageIter stream;
    for (dbus_message_iter_recurse(&streams, &stream); dbus_message_iter_get_arg_type(&stream) == DBUS_TYPE_STRUCT;
         dbus_message_iter_next(&stream)) {
        DBusMessageIter field, value;
        dbus_message_iter_recurse(&stream, &field);
        SharedMonitor monitor;
        if (!GetUint(field, monitor.node) || !dbus_message_iter_next(&field))
            return false;
        if (FindEntry(field, "position", value))
            monitor.place.positioned = GetPair(value, monitor.place.x, monitor.place.y);
        int32_t width = 0, height = 0;
        if (FindEntry(field, "size", value) && GetPair(value, width, height) && width > 0 && height > 0) {
            monitor.place.logicalWidth = static_cast<uint32_t>(width);
            monitor.place.logicalHeight = static_cast<uint32_t>(height);
        }
        monitors.push_back(monitor);
    }
    return !monitors.empty();
}

CScreenCastPortal::~CScreenCastPortal()
{
    if (!bus)
        return;
    if (!session.empty() && !closed && dbus_connection_get_is_connected(bus)) {
        CMessage close = NewCall(kSession, "Close", session.c_str());
        if (close) {
            dbus_connection_send(bus, close.get(), nullptr);
            dbus_connection_flush(bus);
        }
    }
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
}

bool CScreenCastPortal::Fail(const std::string& what)
{
    error = what;
    return false;
}

bool CScreenCastPortal::Connect()
{
    CDBusError busError;
    bus = dbus_bus_get_private(DBUS_BUS_SESSION, busError.Get());
    if (!bus)
        return Fail("no session D-Bus (" + busError.Text() + ")");
    dbus_connection_set_exit_on_disconnect(bus, FALSE);

    std::string why;
    if (!GetProperty("version", version, why))
        return Fail("no screen-cast portal on the session bus (xdg-desktop-portal with a backend for this desktop: "
                    + why + ")");
    // Offered from version 2 on; without it the portal's default stands.
    if (version >= 2 && !GetProperty("AvailableCursorModes", cursorModes, why))
        cursorModes = 0;

    const char* rules[] = {
        "type='signal',sender='org.freedesktop.portal.Desktop',interface='org.freedesktop.portal.Request',"
        "member='Response'",
        "type='signal',sender='org.freedesktop.portal.Desktop',interface='org.freedesktop.portal.Session',"
        "member='Closed'",
    };
    for (const char* rule : rules) {
        CDBusError matchError;
        dbus_bus_add_match(bus, rule, matchError.Get());
        if (dbus_error_is_set(matchError.Get()))
            return Fail("the session D-Bus refused to pass on the portal's signals (" + matchError.Text() + ")");
    }
    return true;
}

bool CScreenCastPortal::GetProperty(const char* name, uint32_t& value, std::string& why)
{
    CDBusError callError;
    CMessage get(dbus_message_new_method_call(kPortal, kPortalPath, "org.freedesktop.DBus.Properties", "Get"));
    const char* interface = kScreenCast;
    if (!get || !dbus_message_append_args(get.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                          DBUS_TYPE_INVALID))
        return false;
    CMessage reply(dbus_connection_send_with_reply_and_block(bus, get.get(), kCallTimeout, callError.Get()));
    DBusMessageIter args, variant;
    if (!reply || !dbus_message_iter_init(reply.get(), &args)
        || dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_VARIANT) {
        why = callError.Text();
        return false;
    }
    dbus_message_iter_recurse(&args, &variant);
    why = "not a number";
    return GetUint(variant, value);
}

bool CScreenCastPortal::CallWithResponse(DBusMessage* call, uint32_t& response, DBusMessage*& results)
{
    CDBusError callError;
    CMessage reply(dbus_connection_send_with_reply_and_block(bus, call, kCallTimeout, callError.Get()));
    const char* handle = nullptr;
    if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID))
        return Fail(std::string("the screen-cast portal refused ") + dbus_message_get_member(call) + " ("
                    + callError.Text() + ")");
    // The request object the portal names; it is the one whose Response counts.
    return WaitForResponse(handle, response, results);
}

bool CScreenCastPortal::WaitForResponse(const std::string& requestPath, uint32_t& response, DBusMessage*& results)
{
    while (!stop) {
        while (DBusMessage* raw = dbus_connection_pop_message(bus)) {
            CMessage message(raw);
            if (dbus_message_is_signal(raw, kRequest, "Response") && dbus_message_has_path(raw, requestPath.c_str())) {
                DBusMessageIter args;
                if (!dbus_message_iter_init(raw, &args) || !GetUint(args, response))
                    return Fail("the screen-cast portal gave an answer without a result");
                results = message.release();
                return true;
            }
            Dispatch(raw);
        }
        if (!dbus_connection_read_write(bus, 200))
            return Fail("lost the session D-Bus while waiting for the screen-cast portal");
    }
    return Fail("stopped while waiting for the screen-cast portal");
}

void CScreenCastPortal::Dispatch(DBusMessage* message)
{
    if (dbus_message_is_signal(message, kSession, "Closed") && !session.empty()
        && dbus_message_has_path(message, session.c_str()))
        closed = true;
}

ShareOutcome CScreenCastPortal::Share(std::string& restoreToken, std::vector<SharedMonitor>& monitors)
{
    // Each call names its request object by a token of ours.
    auto nextToken = [this] { return "tessilo" + std::to_string(++tokens); };
    auto Failed = [this](const std::string& what) {
        Fail(what);
        return ShareOutcome::Failed;
    };
    auto Declined = [this] {
        Fail("the screen share was declined");
        return ShareOutcome::Declined;
    };
    uint32_t response = 0;
    DBusMessage* raw = nullptr;

    CMessage create = NewCall(kScreenCast, "CreateSession");
    if (!create)
        return Failed("out of memory");
    {
        DBusMessageIter args;
        dbus_message_iter_init_append(create.get(), &args);
        COptions options(&args);
        options.String("handle_token", nextToken());
        options.String("session_handle_token", nextToken());
    }
    if (!CallWithResponse(create.get(), response, raw))
        return ShareOutcome::Failed;
    CMessage created(raw);
    DBusMessageIter value;
    if (response != 0 || !FindEntry(Results(raw), "session_handle", value) || !GetString(value, session))
        return Failed("the screen-cast portal could not make a session (answer " + std::to_string(response) + ")");

    DBusMessageIter args;
    CMessage select = SessionCall(session, "SelectSources", args);
    if (!select)
        return Failed("out of memory");
    AppendSourceOptions(&args, nextToken(), version, cursorModes, restoreToken);
    if (!CallWithResponse(select.get(), response, raw))
        return ShareOutcome::Failed;
    CMessage selected(raw);
    if (response == kCancelled)
        return Declined();
    if (response != 0)
        return Failed("the screen-cast portal could not offer the monitors (answer " + std::to_string(response) + ")");

    CMessage start = SessionCall(session, "Start", args);
    if (!start)
        return Failed("out of memory");
    {
        const char* parent = "";
        dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &parent);
        COptions options(&args);
        options.String("handle_token", nextToken());
    }
    if (!CallWithResponse(start.get(), response, raw))
        return ShareOutcome::Failed;
    CMessage started(raw);
    if (response == kCancelled)
        return Declined();
    if (response != 0)
        return Failed("the screen-cast portal could not start the share (answer " + std::to_string(response) + ")");
    if (!FindEntry(Results(raw), "streams", value) || !ReadStreams(value, monitors))
        return Failed("the screen-cast portal shared no monitor");
    std::string token;
    if (FindEntry(Results(raw), "restore_token", value) && GetString(value, token))
        restoreToken = token;
    return ShareOutcome::Shared;
}

int CScreenCastPortal::OpenPipeWireRemote()
{
    DBusMessageIter args;
    CMessage open = SessionCall(session, "OpenPipeWireRemote", args);
    if (!open) {
        Fail("out of memory");
        return -1;
    }
    {
        COptions options(&args);
    }
    CDBusError callError;
    CMessage reply(dbus_connection_send_with_reply_and_block(bus, open.get(), kCallTimeout, callError.Get()));
    int fd = -1;
    if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_UNIX_FD, &fd, DBUS_TYPE_INVALID)) {
        Fail("the screen-cast portal gave no PipeWire connection (" + callError.Text() + ")");
        return -1;
    }
    return fd;
}

bool CScreenCastPortal::SessionClosed()
{
    if (!dbus_connection_read_write(bus, 0))
        return closed = true;
    while (DBusMessage* raw = dbus_connection_pop_message(bus)) {
        CMessage message(raw);
        Dispatch(raw);
    }
    return closed;
}
