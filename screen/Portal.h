// The desktop portal's ScreenCast interface on the session bus: a session that shares every
// monitor, the PipeWire remote its streams come from, and the session's end.
#pragma once

#include "screen/DesktopLayout.h"

#include <dbus/dbus.h>

#include <csignal>
#include <string>
#include <vector>

struct SharedMonitor {
    uint32_t node = 0;  // PipeWire node of the monitor's stream
    MonitorPlace place;
};

enum class ShareOutcome { Shared, Declined, Failed };

// The options of SelectSources: every monitor, no pointer where the portal offers that
// (`cursorModes` is its AvailableCursorModes), the choice remembered where it can be.
void AppendSourceOptions(DBusMessageIter* args, const std::string& handleToken, uint32_t version,
                         uint32_t cursorModes, const std::string& restoreToken);
// The streams of Start's results, a(ua{sv}): each node with the monitor's place on the desktop.
bool ReadStreams(DBusMessageIter streams, std::vector<SharedMonitor>& monitors);

class CScreenCastPortal {
public:
    // `stop` ends any wait for the portal's answer (a signal handler sets it).
    explicit CScreenCastPortal(const volatile std::sig_atomic_t& stop) : stop(stop) {}
    ~CScreenCastPortal();
    CScreenCastPortal(const CScreenCastPortal&) = delete;
    CScreenCastPortal& operator=(const CScreenCastPortal&) = delete;

    // The session bus and a portal on it with a ScreenCast interface that can share monitors.
    bool Connect();
    // Asks for the monitors (with the choice of a previous share when the token still holds),
    // and waits for the user's answer. `restoreToken` is replaced by the one for next time.
    ShareOutcome Share(std::string& restoreToken, std::vector<SharedMonitor>& monitors);
    // A PipeWire socket for the shared streams, owned by the caller; -1 on failure.
    int OpenPipeWireRemote();
    // True once the desktop ended the share (its "stop sharing", for one). Does not block.
    bool SessionClosed();

    // What went wrong last, one line.
    const std::string& Error() const { return error; }

private:
    bool Fail(const std::string& what);
    // A number property of the ScreenCast interface; `why` says why there is none.
    bool GetProperty(const char* name, uint32_t& value, std::string& why);
    // A portal method that answers with a Request object's Response signal.
    bool CallWithResponse(DBusMessage* call, uint32_t& response, DBusMessage*& results);
    bool WaitForResponse(const std::string& requestPath, uint32_t& response, DBusMessage*& results);
    void Dispatch(DBusMessage* message);

    const volatile std::sig_atomic_t& stop;
    DBusConnection* bus = nullptr;
    uint32_t version = 0;
    uint32_t cursorModes = 0;
    std::string session;
    bool closed = false;
    unsigned tokens = 0;
    std::string error;
};
