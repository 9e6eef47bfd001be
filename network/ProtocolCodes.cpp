#include "network/ProtocolCodes.h"

namespace {

#define CODE_ENTRY(constant, dir, kind, min)                                                                           \
    {                                                                                                                  \
        constant, #constant, FrameDirection::dir, PayloadKind::kind, min                                               \
    }

const FrameCodeInfo kCodes[] = {
    CODE_ENTRY(VELK_REMOTE_CMD_IDENTITY, PanelToConsole, Json, 2),
    CODE_ENTRY(VELK_REMOTE_RSP_IDENTITY, ConsoleToPanel, Int32ThenBytes, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_HEARTBEAT, Both, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_RSP_HEARTBEAT, Both, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_KICK, PanelToConsole, Text, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_POWER_OFF, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_REBOOT, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_SET_PASSWORD, ConsoleToPanel, Text, 0),
    CODE_ENTRY(VELK_REMOTE_RSP_SET_PASSWORD, PanelToConsole, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_TRANSFER_FILE_START, ConsoleToPanel, Text, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, ConsoleToPanel, Bytes, 1),
    CODE_ENTRY(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, ConsoleToPanel, SizeText, 1),
    CODE_ENTRY(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, PanelToConsole, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_CHECK_OTA_STATE, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_RSP_CHECK_OTA_STATE, PanelToConsole, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_START_OTA, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_RSP_OTA_RESULT, PanelToConsole, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_BROADCAST_FILE_START, ConsoleToPanel, Text, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_BROADCAST_FILE_DATA, ConsoleToPanel, Bytes, 1),
    CODE_ENTRY(VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE, ConsoleToPanel, SizeText, 1),
    CODE_ENTRY(VELK_REMOTE_CMD_BROADCAST_DATA, ConsoleToPanel, BroadcastData, 20),
    CODE_ENTRY(VELK_REMOTE_RSP_BROADCAST_DATA, PanelToConsole, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, PanelToConsole, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_START_BROADCAST, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_RSP_START_BROADCAST, PanelToConsole, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_ASK_FIRST_SYNC, ConsoleToPanel, Text, 0),
    CODE_ENTRY(VELK_REMOTE_RSP_ASK_FIRST_SYNC, PanelToConsole, Int32ThenBytes, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP, PanelToConsole, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS, ConsoleToPanel, Json, 2),
    CODE_ENTRY(VELK_REMOTE_RSP_SYNC_ADMIN_SETTINGS, PanelToConsole, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_SYNC_USER_SETTINGS, ConsoleToPanel, Bytes, 0),
    CODE_ENTRY(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, PanelToConsole, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_CMD_SAFE_ALERT, PanelToConsole, Unread, 0),
    CODE_ENTRY(VELK_REMOTE_RSP_SAFE_ALERT, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_CMD_STOP_SAFE_ALERT, ConsoleToPanel, Int32, 4),
    CODE_ENTRY(VELK_REMOTE_RSP_STOP_SAFE_ALERT, PanelToConsole, Unread, 0),
};

#undef CODE_ENTRY

constexpr int kCodeCount = int(sizeof(kCodes) / sizeof(kCodes[0]));

} // namespace

namespace ProtocolCodes {

const FrameCodeInfo *find(quint16 code)
{
    for (const FrameCodeInfo &info : kCodes) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

const char *name(quint16 code)
{
    const FrameCodeInfo *info = find(code);
    return info ? info->name : "UNKNOWN";
}

bool isKnown(quint16 code)
{
    return find(code) != nullptr;
}

int count()
{
    return kCodeCount;
}

const FrameCodeInfo &at(int index)
{
    Q_ASSERT(index >= 0 && index < kCodeCount);
    return kCodes[index];
}

} // namespace ProtocolCodes
