#pragma once

#include <QtGlobal>

// The frame codes of the panels' command protocol. A command keeps its VELK_REMOTE_CMD_ name whichever side sends
// it; its answer is the command's code with bit 0x8000 set and is named VELK_REMOTE_RSP_. The console and the
// simulated panel both use this one table.

constexpr quint16 VELK_REMOTE_RSP_BIT = 0x8000;

// Handshake and keep-alive
constexpr quint16 VELK_REMOTE_CMD_IDENTITY = 0x0001;  // P->C JSON identity
constexpr quint16 VELK_REMOTE_RSP_IDENTITY = 0x8001;  // C->P int32 0 connected/1 locked/-1 refused + console id
constexpr quint16 VELK_REMOTE_CMD_HEARTBEAT = 0x0002; // either side, int32 0
constexpr quint16 VELK_REMOTE_RSP_HEARTBEAT = 0x8002; // int32 0
constexpr quint16 VELK_REMOTE_CMD_KICK = 0x0003;      // P->C UTF-8 id of the console that took the panel over

// Device control
constexpr quint16 VELK_REMOTE_CMD_POWER_OFF = 0x1001;    // C->P int32 0
constexpr quint16 VELK_REMOTE_CMD_REBOOT = 0x1002;       // C->P int32 0
constexpr quint16 VELK_REMOTE_CMD_SET_PASSWORD = 0x1003; // C->P UTF-8 password
constexpr quint16 VELK_REMOTE_RSP_SET_PASSWORD = 0x9003; // P->C int32

// Firmware transfer and installation
constexpr quint16 VELK_REMOTE_CMD_TRANSFER_FILE_START = 0x2002;    // C->P UTF-8 file name
constexpr quint16 VELK_REMOTE_CMD_TRANSFER_FILE_DATA = 0x2003;     // C->P 1..chunkSize bytes
constexpr quint16 VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE = 0x2004; // C->P size text, "0" = cancelled
constexpr quint16 VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE = 0xA004; // P->C int32, 0 = file good
constexpr quint16 VELK_REMOTE_CMD_CHECK_OTA_STATE = 0x2006;        // C->P int32 0
constexpr quint16 VELK_REMOTE_RSP_CHECK_OTA_STATE = 0xA006;        // P->C int32, -1 = cannot take an update
constexpr quint16 VELK_REMOTE_CMD_START_OTA = 0x2007;              // C->P int32 upgrade type
constexpr quint16 VELK_REMOTE_RSP_OTA_RESULT = 0xA007;             // P->C int32: 0 success, -1 failure, else progress

// Broadcasts
constexpr quint16 VELK_REMOTE_CMD_BROADCAST_FILE_START = 0x3002;    // C->P UTF-8 file name
constexpr quint16 VELK_REMOTE_CMD_BROADCAST_FILE_DATA = 0x3003;     // C->P 1..chunkSize bytes
constexpr quint16 VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE = 0x3004; // C->P size text, "0" = cancelled
constexpr quint16 VELK_REMOTE_CMD_BROADCAST_DATA = 0x3005;          // C->P 5 x int32 + UTF-8 content text
constexpr quint16 VELK_REMOTE_RSP_BROADCAST_DATA = 0xB005;          // P->C the panel waits for the audio file
constexpr quint16 VELK_REMOTE_CMD_BROADCAST_DATA_COMPLETE = 0x3007; // reserved, never sent
constexpr quint16 VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE = 0xB007; // P->C record (and file) received
constexpr quint16 VELK_REMOTE_CMD_START_BROADCAST = 0x3008;         // C->P int32 0
constexpr quint16 VELK_REMOTE_RSP_START_BROADCAST = 0xB008;         // P->C anything

// Account synchronisation
constexpr quint16 VELK_REMOTE_CMD_ASK_FIRST_SYNC = 0x4001;              // C->P UTF-8 console id
constexpr quint16 VELK_REMOTE_RSP_ASK_FIRST_SYNC = 0xC001;              // P->C int32 first + account file
constexpr quint16 VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP = 0x4002;        // C->P int32 0
constexpr quint16 VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP = 0xC002;        // P->C not read
constexpr quint16 VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS = 0x4003;         // C->P JSON
constexpr quint16 VELK_REMOTE_RSP_SYNC_ADMIN_SETTINGS = 0xC003;         // P->C int32, logged
constexpr quint16 VELK_REMOTE_CMD_SYNC_USER_SETTINGS = 0x4004;          // C->P account file
constexpr quint16 VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE = 0xC004; // P->C not read

// Emergency alert
constexpr quint16 VELK_REMOTE_CMD_SAFE_ALERT = 0x5001;      // P->C int32 0
constexpr quint16 VELK_REMOTE_RSP_SAFE_ALERT = 0xD001;      // C->P int32 0
constexpr quint16 VELK_REMOTE_CMD_STOP_SAFE_ALERT = 0x5002; // C->P int32 0
constexpr quint16 VELK_REMOTE_RSP_STOP_SAFE_ALERT = 0xD002; // P->C int32 0

// How the receiver reads a payload. Only kinds whose value is read impose a minimum length, so a panel answer the
// console never looks at (an SOS, a "received" acknowledgement) is never dropped for its payload.
enum class PayloadKind
{
    Unread,         // content ignored, any length
    Int32,          // at least 4 bytes, little-endian int32 read
    Text,           // UTF-8 text, may be empty
    SizeText,       // ASCII decimal digits
    Json,           // one JSON object
    Bytes,          // raw bytes, at least one
    Int32ThenBytes, // int32 followed by text or a file
    BroadcastData,  // 5 x int32 followed by UTF-8 text
};

enum class FrameDirection
{
    PanelToConsole,
    ConsoleToPanel,
    Both,
};

struct FrameCodeInfo
{
    quint16 code;
    const char *name;
    FrameDirection direction;
    PayloadKind kind;
    int minPayload;
};

namespace ProtocolCodes {
// The table entry of a code, or null for a code this protocol does not know.
const FrameCodeInfo *find(quint16 code);
// The code's VELK_REMOTE_ name, or "UNKNOWN".
const char *name(quint16 code);
bool isKnown(quint16 code);
// The answer code of a command.
constexpr quint16 responseOf(quint16 command)
{
    return quint16(command | VELK_REMOTE_RSP_BIT);
}
// Every known code, in table order.
int count();
const FrameCodeInfo &at(int index);
} // namespace ProtocolCodes
