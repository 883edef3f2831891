#include "screen/Portal.h"
#include "screen/PortalOptions.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using CMessage = std::unique_ptr<DBusMessage, MessageUnref>;

CMessage NewMessage()
{
    return CMessage(dbus_message_new_method_call("org.example.Portal", "/org/example", "org.example.Portal", "Call"));
}

// The SelectSources options as the bus carries them.
CMessage SourceOptions(uint32_t version, uint32_t cursorModes, const std::string& token)
{
    CMessage message = NewMessage();
    DBusMessageIter args;
    dbus_message_iter_init_append(message.get(), &args);
    AppendSourceOptions(&args, "tessilo2", version, cursorModes, token);
    return message;
}

bool UintOption(DBusMessage* message, const char* key, uint32_t& value)
{
    DBusMessageIter args, entry;
    return dbus_message_iter_init(message, &args) && FindEntry(args, key, entry) && GetUint(entry, value);
}

TEST(Portal, AsksForNoPointerOnlyWhereThePortalOffersThat)
{
    uint32_t value = 0;
    // Hidden (1) and embedded (2) offered, as the wlroots backend does.
    EXPECT_TRUE(UintOption(SourceOptions(5, 3, "").get(), "cursor_mode", value));
    EXPECT_EQ(1u, value);
    // Only embedded, or nothing said: the backend's default, and the share is still asked for.
    for (uint32_t modes : {0u, 2u, 4u}) {
        const CMessage options = SourceOptions(5, modes, "");
        EXPECT_FALSE(UintOption(options.get(), "cursor_mode", value)) << modes;
        ASSERT_TRUE(UintOption(options.get(), "types", value));
        EXPECT_EQ(1u, value);
    }
}

TEST(Portal, RemembersTheChoiceFromVersionFourOn)
{
    uint32_t value = 0;
    EXPECT_FALSE(UintOption(SourceOptions(3, 1, "old").get(), "persist_mode", value));
    const CMessage options = SourceOptions(4, 1, "old");
    EXPECT_TRUE(UintOption(options.get(), "persist_mode", value));
    EXPECT_EQ(2u, value);
    DBusMessageIter args, entry;
    std::string token;
    ASSERT_TRUE(dbus_message_iter_init(options.get(), &args));
    ASSERT_TRUE(FindEntry(args, "restore_token", entry));
    ASSERT_TRUE(GetString(entry, token));
    EXPECT_EQ("old", token);
}

// Appends one stream of Start's results: its node and, where given, its position and size.
void AppendStream(DBusMessageIter& array, uint32_t node, const int32_t* position, const int32_t* size)
{
    DBusMessageIter stream, dict;
    dbus_message_iter_open_container(&array, DBUS_TYPE_STRUCT, nullptr, &stream);
    dbus_message_iter_append_basic(&stream, DBUS_TYPE_UINT32, &node);
    dbus_message_iter_open_container(&stream, DBUS_TYPE_ARRAY, "{sv}", &dict);
    const std::pair<const char*, const int32_t*> fields[] = {{"position", position}, {"size", size}};
    for (const auto& field : fields) {
        if (!field.second)
            continue;
        DBusMessageIter entry, variant, pair;
        dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &field.first);
        dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "(ii)", &variant);
        dbus_message_iter_open_container(&variant, DBUS_TYPE_STRUCT, nullptr, &pair);
        dbus_message_iter_append_basic(&pair, DBUS_TYPE_INT32, &field.second[0]);
        dbus_message_iter_append_basic(&pair, DBUS_TYPE_INT32, &field.second[1]);
        dbus_message_iter_close_container(&variant, &pair);
        dbus_message_iter_close_container(&entry, &variant);
        dbus_message_iter_close_container(&dict, &entry);
    }
    dbus_message_iter_close_container(&stream, &dict);
    dbus_message_iter_close_container(&array, &stream);
}

TEST(Portal, ReadsEachStreamsLogicalPositionAndSize)
{
    const CMessage message = NewMessage();
    DBusMessageIter args, array;
    dbus_message_iter_init_append(message.get(), &args);
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "(ua{sv})", &array);
    const int32_t left[] = {-1280, 0}, small[] = {1280, 720}, badSize[] = {0, 720};
    AppendStream(array, 40, left, small);
    AppendStream(array, 41, nullptr, nullptr);
    AppendStream(array, 42, nullptr, badSize);
    dbus_message_iter_close_container(&args, &array);

    std::vector<SharedMonitor> monitors;
    DBusMessageIter streams;
    ASSERT_TRUE(dbus_message_iter_init(message.get(), &streams));
    ASSERT_TRUE(ReadStreams(streams, monitors));
    ASSERT_EQ(3u, monitors.size());
    EXPECT_EQ(40u, monitors[0].node);
    EXPECT_TRUE(monitors[0].place.positioned);
    EXPECT_EQ(-1280, monitors[0].place.x);
    EXPECT_EQ(1280u, monitors[0].place.logicalWidth);
    EXPECT_EQ(720u, monitors[0].place.logicalHeight);
    EXPECT_EQ(0u, monitors[0].place.width);
    // Without position or size, as one desktop sends them: laid out side by side later.
    EXPECT_FALSE(monitors[1].place.positioned);
    EXPECT_EQ(0u, monitors[1].place.logicalWidth);
    EXPECT_EQ(0u, monitors[2].place.logicalWidth);
}

}  // namespace
