#pragma once

// Records, codes and enumerations shared by every protocol driver, the
// protocol selector, the scheduler and the windows that talk to inverters.
// TTelData and TRecTel are byte-exact: they are copied whole between
// drivers and clients and their positions are fixed by the wire codecs.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>

class QObject;

static_assert(std::endian::native == std::endian::little,
              "the records are laid out little-endian");

// Protocol of an inverter address.
enum TProt : int {
    prOffline = 0,
    prANSI = 1, // DIN 66019 II
    prZelk = 2,
    prIBS = 3,  // Interbus
    prIP = 4,
    prCAN = 5,
    prPBS = 6,  // Profibus DP
};

enum TBaudRate : int {
    B_1200 = 0,
    B_2400,
    B_4800,
    B_9600,
    B_19200,
    B_38400,
    B_57600,
    B_115200,
};

// Bit rate of a TBaudRate; values outside the enumeration give 0.
constexpr int BaudRateBits(TBaudRate b)
{
    constexpr int table[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return (b >= B_1200 && b <= B_115200) ? table[b] : 0;
}

// Value n opens the device "COM<n+1>:".
enum TComPort : int {
    Com1 = 0,
    Com2,
    Com3,
    Com4,
    Com5,
    Com6,
    Com7,
    Com8,
    Com9,
};

// Inverter addresses: 0..239 one inverter, 240..255 broadcast (writes only).
inline constexpr int MaxInvAdr = 239;
inline constexpr int MaxBroadcastAdr = 255;

// Request numbers of a driver run 1..15 in turn.
inline constexpr int MaxReqId = 15;

// Result codes: in TRecTel::Status and as negative function results.
namespace QelResult {
inline constexpr int Ok = 0;
inline constexpr int InvErrFirst = 1;   // 1..15: error number sent by the inverter
inline constexpr int InvErrRepeat = 6;  // the inverter asks for the request again
inline constexpr int InvErrLast = 15;
inline constexpr int Offline = 16;       // answered by the offline driver
inline constexpr int SendTimeOut = -1;   // no answer, own frame still being sent
inline constexpr int OpenFailed = -2;    // opening or sending failed
inline constexpr int AlreadyOpen = -3;
inline constexpr int NotOpen = -4;       // not open, or the driver is closing
inline constexpr int Parity = -7;
inline constexpr int Framing = -8;
inline constexpr int Overrun = -9;
inline constexpr int NoAnswer = -10;
inline constexpr int Checksum = -11;
inline constexpr int DriverClosed = -100;
inline constexpr int DriverBusy = -101;
inline constexpr int AddrRange = -103;
inline constexpr int NotSupported = -104;
inline constexpr int ResourceMissing = -105;
inline constexpr int Malformed = -300;
inline constexpr int Pending = -400;     // internal to the synchronous loop, never delivered
} // namespace QelResult

// Services carried by every request.
namespace QelService {
inline constexpr int Poll = -2;           // acknowledge only; DIN 66019 II only
inline constexpr int Plain = -1;          // parameter access without service letter
inline constexpr int ParaSet = 0;         // parameter value with set byte
inline constexpr int ParaSetAdr = 1;      // parameter value with set addressing
inline constexpr int Inv2 = 2;            // 2..12: the inverter's own services
inline constexpr int Inv3 = 3;
inline constexpr int Inv4 = 4;
inline constexpr int Inv5 = 5;
inline constexpr int Inv6 = 6;
inline constexpr int Inv7 = 7;
inline constexpr int Inv8 = 8;
inline constexpr int Inv9 = 9;
inline constexpr int Inv10 = 10;
inline constexpr int Inv11 = 11;
inline constexpr int Inv12 = 12;
inline constexpr int Fieldbus = 13;       // fieldbus card service (Interbus, CAN)
inline constexpr int ProcData32 = 16;     // process data 2 x 32 bit
inline constexpr int ProcData16 = 17;     // process data 4 x 16 bit
inline constexpr int ScopeRead = 18;      // fast scope read, read only
inline constexpr int ParaSetCmd = 32;     // as 0 without value
inline constexpr int ParaSetAdrCmd = 33;  // as 1 without value
inline constexpr int ProcData32RW = 48;   // 2 x 32 bit written and read in one exchange
inline constexpr int ProcData16RW = 49;   // 4 x 16 bit written and read in one exchange
inline constexpr int Zelk50 = 50;         // Zelk only
} // namespace QelService

// Functions of the fieldbus service 13 (byte 0 of the data area).
enum TFieldbusFunc : int {
    fbVarAcc = 0,
    fbIdentify = 1,
    fbIbsBusInfo = 2,
    fbControlBus = 3,
    fbCanBusInfo = 4,
};

// A text in a data area: a length byte and at most 24 characters.
inline constexpr int MaxTelText = 24;

// The 72-byte request and answer data area. Its bytes are laid out per
// service; the accessors read and write any field by byte position.
struct TTelData {
    uint16_t ParAdr = 0;   // bytes 0-1: parameter address
    uint16_t ParSet = 0;   // bytes 2-3: set byte (low), or the 16-bit value of service -1
    int32_t Value = 0;     // bytes 4-7: value written by services 0 and 1
    uint8_t Rest[64] = {}; // bytes 8-71

    static constexpr int Size = 72;

    uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }

    // Out-of-range positions read 0 and are not written.
    uint8_t GetByte(int pos) const { return inRange(pos, 1) ? Bytes()[pos] : 0; }
    void SetByte(int pos, uint8_t v)
    {
        if (inRange(pos, 1))
            Bytes()[pos] = v;
    }
    uint16_t GetU16(int pos) const { return get<uint16_t>(pos); }
    void SetU16(int pos, uint16_t v) { set(pos, v); }
    int16_t GetI16(int pos) const { return get<int16_t>(pos); }
    uint32_t GetU32(int pos) const { return get<uint32_t>(pos); }
    void SetU32(int pos, uint32_t v) { set(pos, v); }
    int32_t GetI32(int pos) const { return get<int32_t>(pos); }
    void SetI32(int pos, int32_t v) { set(pos, v); }

    void Clear() { std::memset(Bytes(), 0, Size); }

private:
    static constexpr bool inRange(int pos, int len) { return pos >= 0 && pos + len <= Size; }
    template <class T> T get(int pos) const
    {
        T v{};
        if (inRange(pos, sizeof(T)))
            std::memcpy(&v, Bytes() + pos, sizeof(T));
        return v;
    }
    template <class T> void set(int pos, T v)
    {
        if (inRange(pos, sizeof(T)))
            std::memcpy(Bytes() + pos, &v, sizeof(T));
    }
};

static_assert(sizeof(TTelData) == 72);
static_assert(alignof(TTelData) == 4);
static_assert(offsetof(TTelData, ParAdr) == 0);
static_assert(offsetof(TTelData, ParSet) == 2);
static_assert(offsetof(TTelData, Value) == 4);
static_assert(offsetof(TTelData, Rest) == 8);

// The 92-byte answer record of every driver.
struct TRecTel {
    int32_t ReqId = 0;   // driver request number 1..15, or the selector's handle 1..64
    int32_t InvAdr = 0;
    int32_t Service = 0;
    int32_t Status = 0;  // result code
    uint8_t IsRead = 0;  // 1 answer to a read, 0 to a write
    uint8_t IsReq = 0;   // 1 the record carries a request sent by the inverter
    uint8_t Reserved[2] = {}; // alignment filler of the stored layout, always 0
    TTelData Data;
};

static_assert(sizeof(TRecTel) == 92);
static_assert(offsetof(TRecTel, ReqId) == 0);
static_assert(offsetof(TRecTel, InvAdr) == 4);
static_assert(offsetof(TRecTel, Service) == 8);
static_assert(offsetof(TRecTel, Status) == 12);
static_assert(offsetof(TRecTel, IsRead) == 16);
static_assert(offsetof(TRecTel, IsReq) == 17);
static_assert(offsetof(TRecTel, Data) == 20);

// Answer event (an answer or a time-out completes an asynchronous request)
// and incoming-request event (Zelk slave role). Sender is the object that
// raises the event; the record is the receiver's own copy.
using tOnRsp = std::function<void(QObject* Sender, TRecTel ReceivedTel)>;
using tOnReq = std::function<void(QObject* Sender, TRecTel ReceivedTel)>;
