// The a{sv} dictionaries of the desktop portal's calls and answers on D-Bus: writing the options
// of a call, reading the fields of an answer.
#pragma once

#include <dbus/dbus.h>

#include <cstdint>
#include <string>

// The a{sv} options of a portal call, appended to a message; closed when this goes.
class COptions {
public:
    explicit COptions(DBusMessageIter* args);
    ~COptions();
    COptions(const COptions&) = delete;
    COptions& operator=(const COptions&) = delete;

    void String(const char* key, const std::string& value);
    void Uint(const char* key, uint32_t value);
    void Bool(const char* key, bool value);

private:
    void Add(const char* key, int type, const char* signature, const void* value);

    DBusMessageIter* args;
    DBusMessageIter dict;
};

// The value of `key` in an a{sv} at `dict`.
bool FindEntry(DBusMessageIter dict, const char* key, DBusMessageIter& value);
// A string or an object path.
bool GetString(DBusMessageIter value, std::string& text);
bool GetUint(DBusMessageIter value, uint32_t& number);
// An (ii) pair: a position or a size.
bool GetPair(DBusMessageIter value, int32_t& first, int32_t& second);
