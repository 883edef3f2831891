#include "screen/PortalOptions.h"

COptions::COptions(DBusMessageIter* args) : args(args)
{
    dbus_message_iter_open_container(args, DBUS_TYPE_ARRAY, "{sv}", &dict);
}

COptions::~COptions()
{
    dbus_message_iter_close_container(args, &dict);
}

void COptions::String(const char* key, const std::string& value)
{
    const char* text = value.c_str();
    Add(key, DBUS_TYPE_STRING, DBUS_TYPE_STRING_AS_STRING, &text);
}

void COptions::Uint(const char* key, uint32_t value)
{
    Add(key, DBUS_TYPE_UINT32, DBUS_TYPE_UINT32_AS_STRING, &value);
}

void COptions::Bool(const char* key, bool value)
{
    const dbus_bool_t flag = value;
    Add(key, DBUS_TYPE_BOOLEAN, DBUS_TYPE_BOOLEAN_AS_STRING, &flag);
}

void COptions::Add(const char* key, int type, const char* signature, const void* value)
{
    DBusMessageIter entry, variant;
    dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
    dbus_message_iter_append_basic(&variant, type, value);
    dbus_message_iter_close_container(&entry, &variant);
    dbus_message_iter_close_container(&dict, &entry);
}

bool FindEntry(DBusMessageIter dict, const char* key, DBusMessageIter& value)
{
    if (dbus_message_iter_get_arg_type(&dict) != DBUS_TYPE_ARRAY)
        return false;
    DBusMessageIter entry;
    for (dbus_message_iter_recurse(&dict, &entry); dbus_message_iter_get_arg_type(&entry) == DBUS_TYPE_DICT_ENTRY;
         dbus_message_iter_next(&entry)) {
        DBusMessageIter field;
        dbus_message_iter_recurse(&entry, &field);
        if (dbus_message_iter_get_arg_type(&field) != DBUS_TYPE_STRING)
            continue;
        const char* name = nullptr;
        dbus_message_iter_get_basic(&field, &name);
        if (std::string(name) != key || !dbus_message_iter_next(&field)
            || dbus_message_iter_get_arg_type(&field) != DBUS_TYPE_VARIANT)
            continue;
        dbus_message_iter_recurse(&field, &value);
        return true;
    }
    return false;
}

bool GetString(DBusMessageIter value, std::string& text)
{
    const int type = dbus_message_iter_get_arg_type(&value);
    if (type != DBUS_TYPE_STRING && type != DBUS_TYPE_OBJECT_PATH)
        return false;
    const char* chars = nullptr;
    dbus_message_iter_get_basic(&value, &chars);
    text = chars;
    return true;
}

bool GetUint(DBusMessageIter value, uint32_t& number)
{
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_UINT32)
        return false;
    dbus_message_iter_get_basic(&value, &number);
    return true;
}

bool GetPair(DBusMessageIter value, int32_t& first, int32_t& second)
{
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_STRUCT)
        return false;
    DBusMessageIter field;
    dbus_message_iter_recurse(&value, &field);
    if (dbus_message_iter_get_arg_type(&field) != DBUS_TYPE_INT32)
        return false;
    dbus_message_iter_get_basic(&field, &first);
    if (!dbus_message_iter_next(&field) || dbus_message_iter_get_arg_type(&field) != DBUS_TYPE_INT32)
        return false;
    dbus_message_iter_get_basic(&field, &second);
    return true;
}
